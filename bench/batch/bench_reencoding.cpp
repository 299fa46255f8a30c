// Re-encoding 2,000 UTF-8 pages of 50 KB into 处理后, against iconv over
// the same files in the same run: one iconv process per file, and one iconv
// over all files concatenated.

#include <unistd.h>
#include "common/bench_row.h"
#include <cstdio>
#include <string>
#include <vector>

#include "batch/reencoding.h"
#include "bench_support.h"
#include "runtime/real_file_system.h"

using namespace qm;
using namespace qm::bench;

int main(int argc, char** argv) {
  int pages = argc > 1 ? std::atoi(argv[1]) : 2000;
  std::size_t page_size = 50 * 1024;
  ScratchFolder scratch("reencoding");
  if (!scratch.ok()) return 1;
  std::string site = scratch.path() + "/site";
  std::string per_file = scratch.path() + "/iconv-per-file";
  std::filesystem::create_directory(site);
  std::filesystem::create_directory(per_file);
  std::mt19937 rng(7);
  std::vector<std::string> names;
  double megabytes = 0;
  for (int i = 0; i < pages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "page%05d.htm", i);
    names.push_back(name);
    std::string page = ChinesePageUtf8(page_size, rng);
    megabytes += page.size() / 1e6;
    if (!WriteWhole(site + "/" + name, page)) return 1;
  }
  WarmUp(site);
  // Let the 100 MB just generated reach the disk first, so that its write-back
  // does not slow down whichever contender runs first.
  ::sync();

  RealFileSystem fs;
  ReencodingSummary summary;
  double ours = Seconds([&] { summary = ReencodePagesInFolder(fs, site, ".htm"); });
  if (summary.converted != pages) {
    std::fprintf(stderr, "converted %d of %d pages\n", summary.converted, pages);
    return 1;
  }
  std::printf("re-encoding: %d pages, %.1f MB in %.3f s: %.1f MB/s\n", pages, megabytes, ours,
              megabytes / ours);

  if (!HaveProgram("iconv")) {
    std::printf("iconv: not installed, no baseline\n");
    PrintRow("re-encode 2,000 UTF-8 pages of 50 KB", ours, "iconv per file", 0, OwnPeakMegabytes(), "< 1");
    return 0;
  }
  bool ok = true;
  double loop = Seconds([&] {
    for (const std::string& name : names)
      ok = RunProgram({"iconv", "-f", "UTF-8", "-t", "GBK", site + "/" + name}, per_file + "/" + name) && ok;
  });
  std::vector<std::string> all = {"iconv", "-f", "UTF-8", "-t", "GBK"};
  for (const std::string& name : names) all.push_back(site + "/" + name);
  double concatenated = Seconds([&] { ok = RunProgram(all, scratch.path() + "/all.gbk") && ok; });
  if (!ok) std::printf("warning: an iconv run failed\n");
  std::printf("iconv, one process per file: %.3f s; ratio ours/that = %.3f (target < 1)\n", loop,
              ours / loop);
  std::printf("iconv over all files concatenated: %.3f s; ratio ours/that = %.3f (target <= 1.5)\n",
              concatenated, ours / concatenated);
  PrintRow("re-encode 2,000 UTF-8 pages of 50 KB", ours, "iconv per file", loop, OwnPeakMegabytes(), "< 1");
  PrintRow("re-encode 2,000 UTF-8 pages of 50 KB", ours, "iconv, all files at once", concatenated,
           OwnPeakMegabytes(), "<= 1.5");
  return 0;
}
