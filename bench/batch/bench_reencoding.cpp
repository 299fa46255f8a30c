// Re-encoding UTF-8 pages of 50 KB into 处理后, against one iconv over the
// same files concatenated, timed in the same rounds.
//   bench_reencoding [--scale S]        125 x S pages
//   bench_reencoding --single-mb M      one page of M MB

#include "common/bench_row.h"

#include <cstdio>
#include <string>
#include <vector>

#include "batch/reencoding.h"
#include "bench_support.h"
#include "runtime/encoding.h"
#include "runtime/real_file_system.h"

using namespace qm;
using namespace qm::bench;

int main(int argc, char** argv) {
  const int scale = static_cast<int>(Argument(argc, argv, "scale", 1));
  const double single_mb = Argument(argc, argv, "single-mb", 0);
  const int pages = single_mb > 0 ? 1 : 125 * scale;
  const std::size_t page_size = single_mb > 0 ? static_cast<std::size_t>(single_mb * 1e6) : 50 * 1024;
  ScratchFolder scratch("reencoding");
  if (!scratch.ok()) return 1;
  const std::string site = scratch.path() + "/site";
  std::filesystem::create_directory(site);
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
  ::sync();  // the pages just made reach the disk before any timing

  RealFileSystem fs;
  const std::string output = site + "/" + NativeName(Gbk("处理后"));
  std::vector<Contender> contenders;
  contenders.push_back({"ours", [&] { return ReencodePagesInFolder(fs, site, ".htm").converted == pages; },
                        [&] { MoveAside(output, scratch.path() + "/trash"); }});
  if (HaveProgram("iconv")) {
    std::vector<std::string> all = {"iconv", "-f", "UTF-8", "-t", "GBK"};
    for (const std::string& name : names) all.push_back(site + "/" + name);
    const std::string all_out = scratch.path() + "/all.gbk";
    contenders.push_back({"iconv, all files concatenated", [all, all_out] { return RunProgram(all, all_out); },
                          [&, all_out] { MoveAside(all_out, scratch.path() + "/trash"); }});
  }
  RunInterleaved(contenders);
  const std::string label = SizeLabel(single_mb, megabytes, pages, "page", "pages of 50 KB");
  PrintRow("re-encode UTF-8 pages", {label, megabytes}, contenders[0],
           contenders.size() > 1 ? &contenders[1] : nullptr, OwnPeakMegabytes(), "<= 1.0, < 50 MB");
  return contenders[0].ok ? 0 : 1;
}
