// Times unpacking one book with hh.exe, `7z x` and extract_chmLib, taking
// turns, and prints hh.exe's median time against each of the others. The
// book (125 x S pages of 20 KB of GBK text) is compiled with hhc.exe when it
// sits beside this program, otherwise with Free Pascal's chmcmd.
//   bench_unpack [--scale S] [--keep DIR]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include "batch/bench_support.h"
#include "common/bench_row.h"
#include "common/child_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

int kPages = 2000;
constexpr std::size_t kPageBytes = 20 * 1024;

using Measure = qm::bench::ChildMeasure;

// Runs a program (searched in PATH) in `cwd` with output discarded.
Measure run(const std::vector<std::string>& args, const fs::path& cwd) { return qm::bench::RunChild(args, cwd); }

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string pageName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "p%02d/%04d.htm", i / 100, i);
  return name;
}

// A page of GBK text: words drawn from a fixed vocabulary, so the book
// compresses like real prose.
std::string makePage(int index, unsigned& seed) {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> w;
    unsigned s = 99;
    for (int i = 0; i < 3000; ++i) {
      std::string word;
      for (int k = 0; k < 1 + i % 4; ++k) {
        s = s * 1103515245 + 12345;
        word += static_cast<char>(0xB0 + (s >> 16) % 0x48);
        word += static_cast<char>(0xA1 + (s >> 8) % 0x5E);
      }
      w.push_back(word);
    }
    return w;
  }();
  std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
      "<title>" +
      std::to_string(index) + "</title></head><body><p>";
  while (page.size() < kPageBytes - 20) {
    seed = seed * 1103515245 + 12345;
    page += words[(seed >> 8) % words.size()];
    if ((seed >> 4) % 17 == 0) page += "\xA1\xA3</p>\r\n<p>";  // 。 and a new paragraph
  }
  page += "</p></body></html>";
  return page;
}

bool makeBook(const fs::path& dir, const fs::path& hhc) {
  std::string hhp = "[OPTIONS]\r\nCompiled file=book.chm\r\nDefault topic=" + pageName(0) +
                    "\r\nTitle=bench\r\nLanguage=0x804\r\n\r\n[FILES]\r\n";
  unsigned seed = 1;
  for (int i = 0; i < kPages; ++i) {
    fs::create_directories((dir / pageName(i)).parent_path());
    std::ofstream(dir / pageName(i), std::ios::binary) << makePage(i, seed);
    hhp += pageName(i) + "\r\n";
  }
  std::ofstream(dir / "book.hhp", std::ios::binary) << hhp;
  const std::string compiler = fs::exists(hhc) ? hhc.string() : "chmcmd";
  std::printf("compiling %d pages with %s ...\n", kPages, compiler.c_str());
  const Measure m = run({compiler, "book.hhp"}, dir);
  std::printf("  %.1f s\n", m.seconds);
  return fs::exists(dir / "book.chm");
}

// Pages found under `out` with the right bytes.
int pagesIntact(const fs::path& src, const fs::path& out) {
  int good = 0;
  for (int i = 0; i < kPages; ++i)
    if (readAll(out / pageName(i)) == readAll(src / pageName(i))) ++good;
  return good;
}

}  // namespace

int main(int argc, char** argv) {
  kPages = 125 * static_cast<int>(qm::bench::Argument(argc, argv, "scale", 1));
  std::string keep;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--keep") keep = argv[i + 1];
  const fs::path binDir = fs::canonical("/proc/self/exe").parent_path();
  const fs::path hh = binDir / "hh.exe";
  if (!fs::exists(hh)) {
    std::fprintf(stderr, "hh.exe not found beside this program\n");
    return 1;
  }
  const std::string sevenZip = qm::bench::HaveProgram("7z") ? "7z" : qm::bench::HaveProgram("7zz") ? "7zz" : "";

  // Unpacking creates a file per page: the scratch folder goes where
  // creating files is not slowed by recent deletions (see ScratchFolder).
  std::optional<qm::bench::ScratchFolder> scratch;
  if (keep.empty()) {
    scratch.emplace("unpack");
    if (!scratch->ok()) return 1;
  }
  const fs::path work = scratch ? fs::path(scratch->path()) : fs::path(keep);
  const fs::path src = work / "src";
  fs::create_directories(src);
  // Outputs an earlier --keep run left would turn every round into
  // replacing files, not unpacking into a new folder.
  for (const char* left : {"trash", "out0", "out1", "out2"}) fs::remove_all(work / left);
  if (!fs::exists(src / "book.chm") && !makeBook(src, binDir / "hhc.exe")) {
    std::fprintf(stderr, "could not compile the book (need hhc.exe beside this program or chmcmd)\n");
    return 1;
  }
  ::sync();
  const std::string chm = (src / "book.chm").string();
  std::printf("book: %s, %.1f MB compiled, %d pages of %zu KB\n", chm.c_str(), fs::file_size(chm) / 1048576.0, kPages,
              kPageBytes / 1024);

  long hh_peak = 0;
  std::vector<qm::bench::Contender> tools;
  auto add = [&](const std::string& name, std::vector<std::string> command, const fs::path& out) {
    tools.push_back({name,
                     [&, command, out, name] {
                       const Measure m = run(command, work);
                       if (name == "hh.exe") hh_peak = std::max(hh_peak, m.peak_kb);
                       return m.ok;
                     },
                     // The earlier run's pages are flushed first, so that
                     // their write-back does not fall into this run's time.
                     [&, out] {
                       qm::bench::MoveAside(out.string(), (work / "trash").string());
                       ::sync();
                     }});
  };
  add("hh.exe", {hh.string(), "-decompile", (work / "out0").string(), chm}, work / "out0");
  if (!sevenZip.empty()) add("7z x", {sevenZip, "x", "-y", "-o" + (work / "out1").string(), chm}, work / "out1");
  if (qm::bench::HaveProgram("extract_chmLib"))
    add("extract_chmLib", {"extract_chmLib", chm, (work / "out2").string()}, work / "out2");
  // A run of a small book takes a few tens of milliseconds, which the
  // shared machine's load moves by as much: fifteen rounds up to 500
  // pages, five above.
  qm::bench::RunInterleaved(tools, kPages <= 500 ? 15 : 5);
  // The last run's pages, checked outside the timing.
  for (std::size_t t = 0; t < tools.size(); ++t) {
    const int intact = pagesIntact(src, work / ("out" + std::to_string(t)));
    if (intact != kPages) {
      std::printf("%s: %d of %d pages intact\n", tools[t].name.c_str(), intact, kPages);
      tools[t].ok = false;
    }
  }
  char label[64];
  std::snprintf(label, sizeof label, "%d pages of 20 KB", kPages);
  const qm::bench::Size size{label, kPages * (kPageBytes / 1e6)};
  for (std::size_t t = 1; t < tools.size(); ++t)
    qm::bench::PrintRow("unpack", size, tools[0], &tools[t], hh_peak / 1024.0, t == 1 ? "<= 0.8 (7z), < 50 MB" : "-");
  return tools[0].ok ? 0 : 1;
}
