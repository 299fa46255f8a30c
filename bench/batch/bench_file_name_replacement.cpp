// Text replacement in the names of 20,000 files, against Debian's perl
// rename doing the same replacement on an identical folder in the same run.

#include "common/bench_row.h"
#include <cstdio>
#include <string>
#include <vector>

#include "batch/file_name_replacement.h"
#include "bench_support.h"
#include "runtime/real_file_system.h"

using namespace qm;
using namespace qm::bench;

int main(int argc, char** argv) {
  int files = argc > 1 ? std::atoi(argv[1]) : 20000;
  ScratchFolder scratch("rename");
  if (!scratch.ok()) return 1;
  std::string ours_dir = scratch.path() + "/ours";
  std::string theirs_dir = scratch.path() + "/theirs";
  std::filesystem::create_directory(ours_dir);
  std::filesystem::create_directory(theirs_dir);
  std::vector<std::string> theirs;
  for (int i = 0; i < files; ++i) {
    char name[48];
    // Mixed case, so that the case-insensitive match is measured.
    std::snprintf(name, sizeof name, "chapter %05d.%s", i, i % 2 ? "TXT" : "txt");
    if (!WriteWhole(ours_dir + "/" + name, "x") || !WriteWhole(theirs_dir + "/" + name, "x")) return 1;
    theirs.push_back(theirs_dir + "/" + name);
  }

  RealFileSystem fs;
  NameReplacementSummary summary;
  double ours = Seconds([&] { summary = ReplaceInFileNames(fs, ours_dir, "txt", "htm"); });
  if (summary.renamed != files) {
    std::fprintf(stderr, "renamed %d of %d files\n", summary.renamed, files);
    return 1;
  }
  std::printf("file-name replacement: %d files in %.3f s\n", files, ours);
  // Debian's perl rename is installed as "rename" (package rename) or
  // "file-rename"; another "rename" (util-linux) takes other arguments.
  std::string tool = HaveProgram("file-rename") ? "file-rename" : "";
  if (tool.empty()) {
    std::printf("perl rename (file-rename): not installed, no baseline\n");
    PrintRow("rename 20,000 files", ours, "perl rename", 0, OwnPeakMegabytes(), "<= 1");
    return 0;
  }
  std::vector<std::string> argv_rename = {tool, "s/txt/htm/gi"};
  argv_rename.insert(argv_rename.end(), theirs.begin(), theirs.end());
  bool ok = true;
  double baseline = Seconds([&] { ok = RunProgram(argv_rename); });
  if (!ok) std::printf("warning: %s failed\n", tool.c_str());
  std::printf("perl rename: %.3f s; ratio ours/that = %.3f (target <= 1)\n", baseline,
              ours / baseline);
  PrintRow("rename 20,000 files", ours, "perl rename", baseline, OwnPeakMegabytes(), "<= 1");
  return 0;
}
