#include "faults/memory_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "runtime/paths.h"

namespace qm::faults {
namespace {

long long StoredBytes(const VirtualFileSystem& fs) {
  long long total = 0;
  for (const auto& [path, data] : fs.Files()) total += static_cast<long long>(data.size());
  return total;
}

// True when the file at `path` is where some file at risk rightly went
// (moved, renamed or turned into its output), so it is the user's.
bool HoldsUsersBytes(const Scenario& scenario, VirtualFileSystem& fs, const Text& path) {
  std::string data = fs.Contents(path);
  Probe only_this = [&](const Text& p) -> std::optional<std::string> {
    if (fs.Absolute(p) == path) return data;
    return std::nullopt;
  };
  for (const FileAtRisk& file : scenario.AtRisk()) {
    if (file.kept(only_this)) return true;
  }
  return false;
}

Stage StageOf(MemoryFixture& f) { return Stage{f.fs, f.ui, f.state, f.processes}; }

void Arrange(Scenario& scenario, MemoryFixture& f) {
  f.fs.AddDirectory(kMemoryRoot);
  scenario.Arrange(StageOf(f), kMemoryRoot);
  f.fs.log.clear();
}

}  // namespace

bool IsMutatingCall(std::string_view call) {
  return call == "write" || call == "rename" || call == "replace" || call == "delete" || call == "mkdir";
}

RunReport RunInMemory(Scenario& scenario, const Arm& arm, bool check_messages) {
  MemoryFixture f;
  Arrange(scenario, f);
  Moved moved;
  arm(f, moved);
  scenario.Run(f.ctx);
  f.fs.fail = nullptr;
  f.fs.capacity = -1;

  // A file is looked for where it is named and, when its folder was taken
  // away, where that folder went.
  Probe probe = [&f, &moved](const Text& path) -> std::optional<std::string> {
    if (f.fs.Exists(path) && !f.fs.IsDirectory(path)) return f.fs.Contents(path);
    if (moved.happened && path.compare(0, moved.from.size() + 1, moved.from + "/") == 0) {
      Text there = moved.to + path.substr(moved.from.size());
      if (f.fs.Exists(there) && !f.fs.IsDirectory(there)) return f.fs.Contents(there);
    }
    return std::nullopt;
  };
  RunReport report = CheckFiles(scenario, probe, f.ui.messages, check_messages);
  return report;
}

CleanRun MeasureCleanRun(Scenario& scenario) {
  MemoryFixture f;
  Arrange(scenario, f);
  CleanRun clean;
  clean.start_bytes = clean.peak_bytes = StoredBytes(f.fs);
  // Measured after each call's effect: the hook sees the state before a
  // call, so the last call's effect is added after the run.
  std::set<Text> at_risk;
  for (const FileAtRisk& file : scenario.AtRisk()) at_risk.insert(f.fs.Absolute(file.path));
  f.fs.fail = [&](std::string_view call, const Text& path) {
    clean.peak_bytes = std::max(clean.peak_bytes, StoredBytes(f.fs));
    if (call == "read") ++clean.reads;
    Text abs = f.fs.Absolute(path);
    if (f.fs.Exists(abs) && !f.fs.IsDirectory(abs) && !at_risk.count(abs) && !HoldsUsersBytes(scenario, f.fs, abs)) {
      clean.own_file_calls.push_back(static_cast<int>(f.fs.log.size()));
    }
    return false;
  };
  scenario.Run(f.ctx);
  clean.peak_bytes = std::max(clean.peak_bytes, StoredBytes(f.fs));
  clean.calls = static_cast<int>(f.fs.log.size());
  for (const std::string& line : f.fs.log) {
    if (IsMutatingCall(std::string_view(line).substr(0, line.find(' ')))) ++clean.mutating_calls;
  }
  // A clean run loses nothing and finishes every file's job.
  Probe probe = [&f](const Text& path) -> std::optional<std::string> {
    if (f.fs.Exists(path) && !f.fs.IsDirectory(path)) return f.fs.Contents(path);
    return std::nullopt;
  };
  for (const FileAtRisk& file : scenario.AtRisk()) {
    EXPECT_TRUE(file.kept(probe)) << scenario.Name() << " clean run lost " << file.path;
    EXPECT_TRUE(file.done(probe) || scenario.ToldTrouble(f.ui.messages))
        << scenario.Name() << " clean run did not finish " << file.path;
  }
  return clean;
}

void FaultSweep::Run(const std::string& detail, const Arm& arm) {
  Record(scenario_.Name(), fault_, detail, RunInMemory(scenario_, arm, check_messages_));
  ++runs_;
}

}  // namespace qm::faults
