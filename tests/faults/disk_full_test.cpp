// The same operations on a real, small tmpfs that runs full at every page
// between the start of a run and the most it needs: short writes and
// ENOSPC come from the kernel, not from a simulation.

#include <gtest/gtest.h>

#include <filesystem>

#include "faults/scenario.h"
#include "faults/tmpfs.h"
#include "support/operation_fixture.h"

namespace qm::faults {
namespace {

constexpr long long kPage = 4096;
constexpr long long kDiskSize = 128 * kPage;

struct DiskRun {
  RunReport report;
  long long used = 0;  // bytes the run took on the disk
};

// Arranges the scenario in a fresh folder on the tmpfs, leaves `room` bytes
// free (or all of them when negative), runs it and checks every file at risk.
DiskRun RunOnDisk(Scenario& scenario, Tmpfs& disk, long long room) {
  std::string root = disk.Path() + "/run";
  std::filesystem::remove_all(root);
  std::filesystem::create_directory(root);
  BasicOperationFixture<RealFileSystem> f;
  scenario.Arrange(Stage{f.fs, f.ui, f.state, f.processes}, root);
  if (room >= 0) {
    EXPECT_TRUE(disk.LeaveRoom(room));
  }
  long long before = disk.Free();
  scenario.Run(f.ctx);
  DiskRun run;
  run.used = before - disk.Free();
  disk.Unfill();
  Probe probe = [&f](const Text& path) -> std::optional<std::string> {
    std::string data;
    int attributes = f.fs.Attributes(path);
    if (attributes == -1 || (attributes & kDirectory) || !f.fs.Read(path, &data)) return std::nullopt;
    return data;
  };
  run.report = CheckFiles(scenario, probe, f.ui.messages, /*check_messages=*/true);
  return run;
}

class DiskFullTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DiskFullTest, RealFullDiskAtEveryPageLosesNothing) {
  Tmpfs disk(kDiskSize);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Error();
  std::unique_ptr<Scenario> scenario = MakeScenario(GetParam());
  DiskRun clean = RunOnDisk(*scenario, disk, -1);
  ASSERT_TRUE(clean.report.lost.empty()) << clean.report.lost.front();
  // What the run keeps can be less than what it needs on the way (pages
  // that replace their texts, temporary copies): every file it writes takes
  // at least one page, so sweep one page further per file at risk.
  long long most = clean.used + (static_cast<long long>(scenario->AtRisk().size()) + 2) * kPage;
  for (long long room = 0; room <= most; room += kPage) {
    Record(scenario->Name(), kFullDisk, "tmpfs, " + std::to_string(room) + " bytes free",
           RunOnDisk(*scenario, disk, room).report);
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, DiskFullTest, ::testing::ValuesIn(ScenarioNames()), ScenarioTestName);

}  // namespace
}  // namespace qm::faults
