#pragma once
#include <memory>

#include "faults/scenario.h"

namespace qm::faults {

std::unique_ptr<Scenario> MakeFileNameScenario();
std::unique_ptr<Scenario> MakeSimplifierScenario();
std::unique_ptr<Scenario> MakeReencodingScenario();
std::unique_ptr<Scenario> MakeUnpackingScenario();
std::unique_ptr<Scenario> MakeContentsScenario();

}  // namespace qm::faults
