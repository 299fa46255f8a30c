#include "faults/tally.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace qm::faults {

void Tally::Add(const std::string& operation, const std::string& fault, const RunReport& report) {
  operations_.insert(operation);
  faults_.insert(fault);
  ++runs_;
  at_risk_ += report.at_risk;
  lost_ += static_cast<long>(report.lost.size());
  silent_ += static_cast<long>(report.silent.size());
  outside_ += static_cast<long>(report.outside.size());
}

std::string Tally::Line() const {
  std::string line = "fault suite: " + std::to_string(operations_.size()) + " operations x " +
                     std::to_string(faults_.size()) + " faults = " + std::to_string(runs_) + " runs, " +
                     std::to_string(at_risk_) + " files at risk, " + std::to_string(lost_) + " files lost, " +
                     std::to_string(outside_) + " files written outside the folder";
  if (silent_ > 0) line += ", " + std::to_string(silent_) + " files left undone without a message";
  return line;
}

Tally& SuiteTally() {
  static Tally tally;
  return tally;
}

void Record(const std::string& operation, const std::string& fault, const std::string& detail,
            const RunReport& report) {
  SuiteTally().Add(operation, fault, report);
  for (const std::string& path : report.lost) {
    ADD_FAILURE() << operation << ", " << fault << " (" << detail << "): lost " << path;
  }
  for (const std::string& path : report.outside) {
    ADD_FAILURE() << operation << ", " << fault << " (" << detail << "): wrote outside the folder: " << path;
  }
  for (const std::string& path : report.silent) {
    ADD_FAILURE() << operation << ", " << fault << " (" << detail
                  << "): left undone without telling the user: " << path;
  }
}

namespace {

// Prints the tally after the last test of the program.
class TallyPrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    std::printf("%s\n", SuiteTally().Line().c_str());
    std::fflush(stdout);
  }
};

[[maybe_unused]] ::testing::Environment* const kPrinter = ::testing::AddGlobalTestEnvironment(new TallyPrinter);

}  // namespace
}  // namespace qm::faults
