// The page simplifier on 10,000 pages of 30 KB, against copying the same
// bytes with cp in the same run.

#include "common/bench_row.h"
#include <cstdio>
#include <string>
#include <vector>

#include "app/context.h"
#include "batch/page_simplifier.h"
#include "bench_support.h"
#include "runtime/memory_controls.h"
#include "runtime/process.h"
#include "runtime/real_file_system.h"

using namespace qm;
using namespace qm::bench;

int main(int argc, char** argv) {
  int pages = argc > 1 ? std::atoi(argv[1]) : 10000;
  std::size_t page_size = 30 * 1024;
  ScratchFolder scratch("simplifier");
  if (!scratch.ok()) return 1;
  std::string site = scratch.path() + "/site";
  std::string copy = scratch.path() + "/copy";
  std::filesystem::create_directory(site);
  std::filesystem::create_directory(copy);
  std::mt19937 rng(11);
  std::vector<std::string> paths;
  double megabytes = 0;
  // GBK pages whose body is nearly all of the page; the markers in another
  // case than typed, so that the case-insensitive search is measured.
  std::string filler;
  std::uniform_int_distribution<int> lead(0xB0, 0xD7), trail(0xA1, 0xFE);
  for (std::size_t n = 0; n < page_size; n += 2) {
    filler += static_cast<char>(lead(rng));
    filler += static_cast<char>(trail(rng));
    if (n % 80 == 0) filler += "\r\n<p>";
  }
  for (int i = 0; i < pages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "page%05d.htm", i);
    std::string page = "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY>" + filler + "</BODY></HTML>";
    megabytes += page.size() / 1e6;
    paths.push_back(site + "/" + name);
    if (!WriteWhole(paths.back(), page)) return 1;
  }
  WarmUp(site);

  double baseline = -1;
  if (HaveProgram("cp")) {
    std::vector<std::string> argv_cp = {"cp"};
    argv_cp.insert(argv_cp.end(), paths.begin(), paths.end());
    argv_cp.push_back(copy);
    bool ok = true;
    baseline = Seconds([&] { ok = RunProgram(argv_cp); });
    if (!ok) std::printf("warning: cp failed\n");
  }

  RealFileSystem fs;
  MemoryControls ui;
  RealProcessRunner processes({});
  TreeModel tree;
  Random random;
  ProgramState state;
  Context ctx{fs, ui, ui, ui, processes, tree, random, state};
  ui.SetText("编辑框前标记", "<body>");
  ui.SetText("编辑框后标记", "</body>");
  SimplificationSummary summary;
  double ours = Seconds([&] { summary = SimplifyPagesInFolder(ctx, site, ".htm"); });
  if (summary.simplified != pages) {
    std::fprintf(stderr, "simplified %d of %d pages\n", summary.simplified, pages);
    return 1;
  }
  std::printf("page simplifier: %d pages, %.1f MB in %.3f s: %.1f MB/s\n", pages, megabytes, ours,
              megabytes / ours);
  if (baseline < 0) {
    std::printf("cp: not installed, no baseline\n");
  } else {
    std::printf("cp of the same files: %.3f s; ratio ours/that = %.3f (target <= 3)\n", baseline,
                ours / baseline);
  }
  PrintRow("simplify 10,000 pages of 30 KB", ours, "cp", baseline, OwnPeakMegabytes(), "<= 3");
  return 0;
}
