// Every file of fuzz/corpus/<target>/ and fuzz/regressions/<target>/ run
// through the target's entry function, as the fuzzer ran it: the seeds
// still work, and every crash or disagreement the fuzzers found stays fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_entries.h"

namespace {

namespace fs = std::filesystem;

using Entry = int (*)(const std::uint8_t*, std::size_t);

struct Target {
  const char* name;
  Entry entry;
};

// Test names and messages show the target's name, not its bytes.
void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

const Target kTargets[] = {
    {"text_operations", qm::fuzz::FuzzTextOperations},
    {"chm_unpacker", qm::fuzz::FuzzChmUnpacker},
    {"project_reading", qm::fuzz::FuzzProjectReading},
};

std::vector<std::string>& Failures() {
  static std::vector<std::string> failures;
  return failures;
}

void Collect(const std::string& message) { Failures().push_back(message); }

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec))
    if (e.is_regular_file() && e.path().filename().string().front() != '.') files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Runs every file of `folder` through `target`; returns how many ran.
std::size_t Replay(const Target& target, const fs::path& folder) {
  const std::vector<fs::path> files = FilesIn(folder);
  qm::fuzz::FailureHandler previous = qm::fuzz::SetFailureHandler(Collect);
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Failures().clear();
    target.entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    for (const std::string& f : Failures()) ADD_FAILURE() << file.filename().string() << ": " << f;
  }
  qm::fuzz::SetFailureHandler(previous);
  return files.size();
}

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, CorpusRunsClean) {
  const std::size_t ran = Replay(GetParam(), fs::path(QM_FUZZ_DIR) / "corpus" / GetParam().name);
  EXPECT_GT(ran, 0u) << "the seed corpus of " << GetParam().name << " is missing";
}

TEST_P(FuzzReplay, RegressionsStayFixed) {
  Replay(GetParam(), fs::path(QM_FUZZ_DIR) / "regressions" / GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& param_info) {
                           return std::string(param_info.param.name);
                         });

}  // namespace
