#pragma once
#include <memory>

#include "faults/scenario.h"

namespace qm::faults {

std::unique_ptr<Scenario> MakePagedBookScenario();
std::unique_ptr<Scenario> MakeBatchConversionScenario();
std::unique_ptr<Scenario> MakeUndoScenario();
std::unique_ptr<Scenario> MakeChapterSplittingScenario();

}  // namespace qm::faults
