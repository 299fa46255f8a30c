// Every operation that deletes, renames or overwrites the user's files, run
// on the in-memory disk under each kind of fault at every point where it can
// strike: afterwards every byte of every file at risk must still be where it
// rightly may be, and a file left undone must be reported to the user.

#include <gtest/gtest.h>

#include "faults/memory_runs.h"

namespace qm::faults {
namespace {

class MemoryFaultTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    scenario = MakeScenario(GetParam());
    clean = MeasureCleanRun(*scenario);
    ASSERT_GT(clean.calls, 0);
  }

  std::unique_ptr<Scenario> scenario;
  CleanRun clean;
};

TEST_P(MemoryFaultTest, UnreadableFilesStayWhereTheyAre) {
  FaultSweep sweep(*scenario, kUnreadable, /*check_messages=*/true);
  std::vector<Text> paths;
  for (const FileAtRisk& file : scenario->AtRisk()) paths.push_back(file.path);
  for (const Text& path : paths) {
    sweep.Run(path, [path](MemoryFixture& f, Moved&) { f.fs.SetUnreadable(path); });
  }
  sweep.Run("all", [paths](MemoryFixture& f, Moved&) {
    for (const Text& path : paths) f.fs.SetUnreadable(path);
  });
}

TEST_P(MemoryFaultTest, UnwritableFoldersAndFilesLoseNothing) {
  FaultSweep sweep(*scenario, kReadOnly, /*check_messages=*/true);
  std::vector<Text> entries = scenario->Folders();
  for (const FileAtRisk& file : scenario->AtRisk()) entries.push_back(file.path);
  for (const Text& entry : entries) {
    sweep.Run(entry, [entry](MemoryFixture& f, Moved&) { f.fs.SetReadOnly(entry); });
  }
  const std::vector<Text> folders = scenario->Folders();
  sweep.Run("every folder", [folders](MemoryFixture& f, Moved&) {
    for (const Text& folder : folders) f.fs.SetReadOnly(folder);
  });
}

// At every call of a clean run, each folder of the tree is taken away (moved
// elsewhere, as another program or the user might do), and separately the
// file that the call names, when the run made it itself, is deleted.
TEST_P(MemoryFaultTest, TargetVanishingAtEveryCallLosesNothing) {
  FaultSweep sweep(*scenario, kVanishing, /*check_messages=*/false);
  for (int n = 1; n <= clean.calls; ++n) {
    for (const Text& folder : scenario->Folders()) {
      sweep.Run("folder " + folder + " at call " + std::to_string(n), [n, folder](MemoryFixture& f, Moved& moved) {
        f.fs.AddDirectory(kGoneRoot);
        auto calls = std::make_shared<int>(0);
        auto busy = std::make_shared<bool>(false);
        f.fs.fail = [&f, &moved, n, folder, calls, busy](std::string_view, const Text&) {
          if (*busy || ++*calls != n) return false;
          *busy = true;
          moved.from = f.fs.Absolute(folder);
          moved.to = std::string(kGoneRoot) + "/v";
          moved.happened = f.fs.Rename(folder, moved.to);
          *busy = false;
          return false;
        };
      });
    }
  }
  for (int n : clean.own_file_calls) {
    sweep.Run("own file at call " + std::to_string(n), [n](MemoryFixture& f, Moved&) {
      auto calls = std::make_shared<int>(0);
      auto busy = std::make_shared<bool>(false);
      f.fs.fail = [&f, n, calls, busy](std::string_view, const Text& path) {
        if (*busy || ++*calls != n) return false;
        *busy = true;
        f.fs.Delete(path);
        *busy = false;
        return false;
      };
    });
  }
}

// The disk fills up at every size between the start of the run and the most
// the run needs: a write that does not fit writes what fits and fails.
TEST_P(MemoryFaultTest, FullDiskAtEverySizeLosesNothing) {
  FaultSweep sweep(*scenario, kFullDisk, /*check_messages=*/true);
  long long growth = clean.peak_bytes - clean.start_bytes;
  long long step = std::max(1LL, growth / 80);
  for (long long room = 0; room <= growth + step; room += room < 64 ? 1 : step) {
    long long capacity = clean.start_bytes + room;
    sweep.Run("room " + std::to_string(room), [capacity](MemoryFixture& f, Moved&) { f.fs.capacity = capacity; });
  }
}

// The k-th read, and the k-th call that changes the disk, fail; then that
// call and every later one fail, as on a disk that went away.
TEST_P(MemoryFaultTest, EveryFailingCallLosesNothing) {
  FaultSweep sweep(*scenario, kFailingCall, /*check_messages=*/true);
  auto failing = [](bool (*counted)(std::string_view), int k, bool onwards) {
    return [counted, k, onwards](MemoryFixture& f, Moved&) {
      auto seen = std::make_shared<int>(0);
      f.fs.fail = [counted, k, onwards, seen](std::string_view call, const Text&) {
        if (!counted(call)) return onwards && *seen >= k && IsMutatingCall(call);
        ++*seen;
        return onwards ? *seen >= k : *seen == k;
      };
    };
  };
  auto is_read = [](std::string_view call) { return call == "read"; };
  for (int k = 1; k <= clean.reads; ++k) sweep.Run("read " + std::to_string(k), failing(is_read, k, false));
  for (int k = 1; k <= clean.mutating_calls; ++k) {
    sweep.Run("change " + std::to_string(k), failing(IsMutatingCall, k, false));
    sweep.Run("change " + std::to_string(k) + " onwards", failing(IsMutatingCall, k, true));
  }
}

// The power fails at every call that changes the disk: what only the cache
// held is gone, and nothing more happens to the disk.
TEST_P(MemoryFaultTest, PowerCutAtEveryCallLosesNothing) {
  FaultSweep sweep(*scenario, kPowerCut, /*check_messages=*/false);
  for (int k = 1; k <= clean.mutating_calls; ++k) {
    sweep.Run("cut at change " + std::to_string(k), [k](MemoryFixture& f, Moved&) {
      f.fs.SyncAll("/");  // the user's files were on the disk before the run
      auto seen = std::make_shared<int>(0);
      f.fs.fail = [&f, k, seen](std::string_view call, const Text&) {
        if (!IsMutatingCall(call)) return *seen >= k;
        if (++*seen == k) f.fs.PowerCut();
        return *seen >= k;
      };
    });
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, MemoryFaultTest, ::testing::ValuesIn(ScenarioNames()), ScenarioTestName);

}  // namespace
}  // namespace qm::faults
