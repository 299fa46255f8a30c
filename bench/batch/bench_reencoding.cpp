// Re-encoding UTF-8 pages of 50 KB into 处理后, against one iconv over the
// same files concatenated, timed in the same rounds. A second row compares
// with the floor: only the system calls that any re-encoding of the
// folder must make (list it, read each page, create each result and write
// as many bytes as ours does), without converting anything.
//   bench_reencoding [--scale S]        125 x S pages
//   bench_reencoding --single-mb M      one page of M MB

#include "common/bench_row.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "batch/reencoding.h"
#include "bench_support.h"
#include "core/utf8_to_gbk.h"
#include "runtime/encoding.h"
#include "runtime/real_file_system.h"

using namespace qm;
using namespace qm::bench;

namespace {

// The floor: lists `site`, reads each page of `result_sizes` in pieces of
// 1 MB and writes the first result_sizes[name] bytes read into a new file
// of that name in `output`. False when any call fails.
bool BareFileOperations(const std::string& site, const std::string& output,
                        const std::vector<std::pair<std::string, std::size_t>>& result_sizes) {
  if (::mkdir(output.c_str(), 0755) != 0) return false;
  DIR* dir = ::opendir(site.c_str());
  if (!dir) return false;
  std::size_t entries = 0;
  while (::readdir(dir)) ++entries;
  ::closedir(dir);
  static std::string buffer(1 << 20, '\0');
  bool ok = entries >= result_sizes.size();
  for (const auto& [name, size] : result_sizes) {
    int in = ::open((site + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open((output + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    std::size_t left = size;
    for (ssize_t n; in >= 0 && out >= 0 && (n = ::read(in, buffer.data(), buffer.size())) > 0;) {
      std::size_t put = std::min(left, static_cast<std::size_t>(n));
      ok = ::write(out, buffer.data(), put) == static_cast<ssize_t>(put) && ok;
      left -= put;
    }
    ok = in >= 0 && out >= 0 && left == 0 && ok;
    if (in >= 0) ::close(in);
    if (out >= 0) ::close(out);
  }
  return ok;
}

}  // namespace

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
  std::vector<std::pair<std::string, std::size_t>> result_sizes;
  double megabytes = 0;
  for (int i = 0; i < pages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "page%05d.htm", i);
    names.push_back(name);
    std::string page = ChinesePageUtf8(page_size, rng);
    megabytes += page.size() / 1e6;
    result_sizes.emplace_back(name, GbkTextFromUtf8(ByteSet(page)).size());
    if (!WriteWhole(site + "/" + name, page)) return 1;
  }
  WarmUp(site);
  ResetPeakMemory();
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
    contenders.push_back({"iconv, all files concatenated",
                          [all, all_out] {
                            return RunChild(all, ChildSetUp{{}, {}, all_out, {}}).ok;
                          },
                          [&, all_out] { MoveAside(all_out, scratch.path() + "/trash"); }});
  }
  // The floor writes into the same folder as ours: where ext4 puts a new
  // folder's files, and what creating them costs, depends on the folder.
  contenders.push_back({"floor: list, read, create, write",
                        [&] { return BareFileOperations(site, output, result_sizes); },
                        [&] { MoveAside(output, scratch.path() + "/trash"); }});
  RunInterleaved(contenders);
  const std::string label = SizeLabel(single_mb, megabytes, pages, "page", "pages of 50 KB");
  const double peak = OwnPeakMegabytes();
  const Contender* iconv = contenders.size() > 2 ? &contenders[1] : nullptr;
  PrintRow("re-encode UTF-8 pages", {label, megabytes}, contenders[0], iconv, peak, "<= 1.0, < 50 MB");
  PrintRow("re-encode UTF-8 pages", {label, megabytes}, contenders[0], &contenders.back(), peak, "-");
  return contenders[0].ok ? 0 : 1;
}
