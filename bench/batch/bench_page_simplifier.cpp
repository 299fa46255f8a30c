// The page simplifier on GBK pages of 30 KB, against cp of the same files,
// timed in the same rounds. Every run starts from the same folder: the
// pages are hard links to a pristine copy, made again before each run.
//   bench_page_simplifier [--scale S]     625 x S pages
//   bench_page_simplifier --single-mb M   one page of M MB

#include "common/bench_row.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "batch/page_simplifier.h"
#include "batch/tool_folder.h"
#include "bench_support.h"
#include "core/context.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"
#include "runtime/process.h"
#include "runtime/real_file_system.h"
#include "support/memory_controls.h"

using namespace qm;
using namespace qm::bench;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
  const int scale = static_cast<int>(Argument(argc, argv, "scale", 1));
  const double single_mb = Argument(argc, argv, "single-mb", 0);
  const int pages = single_mb > 0 ? 1 : 625 * scale;
  const std::size_t page_size = single_mb > 0 ? static_cast<std::size_t>(single_mb * 1e6) : 30 * 1024;
  ScratchFolder scratch("simplifier");
  if (!scratch.ok()) return 1;
  const std::string pristine = scratch.path() + "/pristine", site = scratch.path() + "/site",
                    copy = scratch.path() + "/copy";
  fs::create_directory(pristine);
  // GBK pages whose body is nearly all of the page; the markers in another
  // case than typed, so that the case-insensitive search is measured. The
  // page is written as it is made, so that a single large page is never
  // held whole here and the peak memory is that of the simplifier.
  const std::string front = "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY>", back = "</BODY></HTML>";
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> lead(0xB0, 0xD7), trail(0xA1, 0xFE);
  std::size_t body_size = 0;
  auto write_page = [&](const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << front;
    std::string filler;
    for (std::size_t n = 0; n < page_size; n += 2) {
      filler += static_cast<char>(lead(rng));
      filler += static_cast<char>(trail(rng));
      if (n % 80 == 0) filler += "\r\n<p>";
      if (filler.size() >= (1 << 20) || n + 2 >= page_size) {
        out << filler;
        body_size += filler.size();
        filler.clear();
      }
    }
    out << back;
    return static_cast<bool>(out);
  };
  std::vector<std::string> names;
  for (int i = 0; i < pages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "page%05d.htm", i);
    names.push_back(name);
    if (i > 0) fs::copy_file(pristine + "/" + names[0], pristine + "/" + name);
    else if (!write_page(pristine + "/" + name)) return 1;
  }
  const std::size_t page_bytes = front.size() + body_size + back.size();
  const double megabytes = pages * (page_bytes / 1e6);
  // Read every page once, in pieces, so that cp and ours read from the
  // page cache alike.
  std::vector<char> piece(1 << 20);
  for (const std::string& name : names) {
    std::ifstream in(pristine + "/" + name, std::ios::binary);
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    }
  }
  ::sync();
  const std::string trash = scratch.path() + "/trash";
  auto restore_site = [&] {
    MoveAside(site, trash);
    fs::create_directory(site);
    for (const std::string& name : names) fs::create_hard_link(pristine + "/" + name, site + "/" + name);
  };

  RealFileSystem disk;
  MemoryControls ui;
  RealProcessRunner processes({});
  TreeModel tree;
  Random random;
  ProgramState state;
  Context ctx{disk, ui, ui, ui, processes, tree, random, state};
  ui.SetText("编辑框前标记", "<body>");
  ui.SetText("编辑框后标记", "</body>");
  std::vector<Contender> contenders;
  contenders.push_back(
      {"ours", [&] { return SimplifyPagesInFolder(ctx, site, ".htm").simplified == pages; }, restore_site});
  std::vector<std::string> argv_cp = {"cp"};
  for (const std::string& name : names) argv_cp.push_back(pristine + "/" + name);
  argv_cp.push_back(copy);
  contenders.push_back({"cp", [argv_cp] { return RunChild(argv_cp).ok; },
                        [&] {
                          MoveAside(copy, trash);
                          fs::create_directory(copy);
                        }});
  // A single page takes a fraction of a second: more rounds steady its median.
  RunInterleaved(contenders, single_mb > 0 ? 9 : 3);
  // The last round's results are still in place: each is the framed body.
  const std::string result = NativeName(InToolFolder(ProcessedFolder(site), names.back()));
  std::error_code size_error;
  if (fs::file_size(result, size_error) != FramedPageHead().size() + body_size + FramedPageTail().size()) {
    std::fprintf(stderr, "the simplified page %s is not the framed body\n", result.c_str());
    contenders[0].ok = false;
  }
  const std::string label = SizeLabel(single_mb, megabytes, pages, "page", "pages of 30 KB");
  PrintRow("simplify pages", {label, megabytes}, contenders[0], &contenders[1], OwnPeakMegabytes(), "<= 1.5, < 50 MB");
  return contenders[0].ok ? 0 : 1;
}
