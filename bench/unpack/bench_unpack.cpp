// Times unpacking one large book with hh.exe, `7z x` and extract_chmLib in
// the same run and prints time and peak memory of each, with hh.exe's time
// as a ratio of the fastest other tool. The book (2,000 pages of 20 KB of
// GBK text) is compiled with hhc.exe when it sits beside this program,
// otherwise with Free Pascal's chmcmd.
#include "common/bench_row.h"
#include "common/child_run.h"
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 2000;
constexpr std::size_t kPageBytes = 20 * 1024;

using Measure = qm::bench::ChildMeasure;

// Runs a program (searched in PATH) in `cwd` with output discarded.
Measure run(const std::vector<std::string>& args, const fs::path& cwd) { return qm::bench::RunChild(args, cwd); }

bool onPath(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

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
  std::string page = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                     "<title>" + std::to_string(index) + "</title></head><body><p>";
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

// One unpacker: its label and its command line for (book, output folder).
struct Tool {
  std::string name;
  std::function<std::vector<std::string>(const std::string&, const std::string&)> command;
  std::optional<Measure> best{};
  long peak_kb = 0;
  int intact = -1;
};

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  std::string keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::string(argv[i]) == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
    if (std::string(argv[i]) == "--keep") keep = argv[i + 1];
  }
  const fs::path binDir = fs::canonical("/proc/self/exe").parent_path();
  const fs::path hh = binDir / "hh.exe";
  if (!fs::exists(hh)) {
    std::fprintf(stderr, "hh.exe not found beside this program\n");
    return 1;
  }
  const std::string sevenZip = onPath("7z") ? "7z" : onPath("7zz") ? "7zz" : "";

  const fs::path work = keep.empty() ? fs::temp_directory_path() / ("bench-unpack-" + std::to_string(::getpid()))
                                     : fs::path(keep);
  const fs::path src = work / "src";
  fs::create_directories(src);
  if (!fs::exists(src / "book.chm") && !makeBook(src, binDir / "hhc.exe")) {
    std::fprintf(stderr, "could not compile the book (need hhc.exe beside this program or chmcmd)\n");
    return 1;
  }
  const std::string chm = (src / "book.chm").string();
  std::printf("book: %s, %.1f MB compiled, %d pages of %zu KB\n", chm.c_str(),
              fs::file_size(chm) / 1048576.0, kPages, kPageBytes / 1024);

  std::vector<Tool> tools;
  tools.push_back({"hh.exe", [&](const std::string& c, const std::string& o) {
                     return std::vector<std::string>{hh.string(), "-decompile", o, c};
                   }});
  if (!sevenZip.empty())
    tools.push_back({sevenZip + " x", [&](const std::string& c, const std::string& o) {
                       return std::vector<std::string>{sevenZip, "x", "-y", "-o" + o, c};
                     }});
  if (onPath("extract_chmLib"))
    tools.push_back({"extract_chmLib", [](const std::string& c, const std::string& o) {
                       return std::vector<std::string>{"extract_chmLib", c, o};
                     }});

  for (int r = 0; r < rounds; ++r) {
    for (std::size_t t = 0; t < tools.size(); ++t) {
      const fs::path out = work / ("out" + std::to_string(t));
      fs::remove_all(out);
      const Measure m = run(tools[t].command(chm, out.string()), work);
      Tool& tool = tools[t];
      tool.peak_kb = std::max(tool.peak_kb, m.peak_kb);
      if (!tool.best || m.seconds < tool.best->seconds) tool.best = m;
      if (r == rounds - 1) tool.intact = pagesIntact(src, out);
    }
  }

  std::printf("\n%-16s %10s %10s %10s %14s %6s\n", "tool", "best s", "its cpu s", "peak MB", "pages intact",
              "exit");
  double fastestOther = 0;
  for (std::size_t t = 0; t < tools.size(); ++t) {
    const Tool& tool = tools[t];
    std::printf("%-16s %10.3f %10.3f %10.1f %9d/%d %6s\n", tool.name.c_str(), tool.best->seconds,
                tool.best->cpu_seconds, tool.peak_kb / 1024.0, tool.intact, kPages, tool.best->ok ? "0" : "!=0");
    if (t > 0 && (fastestOther == 0 || tool.best->seconds < fastestOther)) fastestOther = tool.best->seconds;
  }
  if (fastestOther > 0) {
    const double ratio = tools[0].best->seconds / fastestOther;
    std::printf("\nhh.exe time / fastest other tool: %.2f (target <= 1.00: %s)\n", ratio,
                ratio <= 1.0 ? "met" : "NOT met");
    qm::bench::PrintRow("unpack a 2,000-page book (40 MB)", tools[0].best->seconds, "fastest of 7z, extract_chmLib",
                        fastestOther, tools[0].peak_kb / 1024.0, "<= 1");
  }
  if (keep.empty()) fs::remove_all(work);
  return 0;
}
