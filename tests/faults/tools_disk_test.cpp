// hhc.exe and hh.exe, the two child programs that write, on a real disk set
// up by a hostile user: links (to a file outside, dangling) and FIFOs at
// every name they write, a linked folder where they write, pages that are
// links to files outside, a FIFO given as the book, read-only files, and a
// small tmpfs that runs full at every page. Nothing outside the folder may
// change, no file may be lost or left half written, and a failure must say
// so (non-zero exit and a message).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "faults/hostile_disk.h"
#include "faults/tally.h"
#include "faults/tmpfs.h"
#include "support/temp_dir.h"

namespace qm::faults {
namespace {

namespace stdfs = std::filesystem;

struct Exit {
  int code = -1;  // -1: killed after hanging
  std::string err;
};

// Runs a program with a deadline; one that hangs is killed. Its standard
// error goes to a file on the ordinary disk, which never runs full here.
Exit RunProgram(const std::vector<std::string>& args) {
  static TempDir logs;
  const std::string err_path = logs.path() + "/stderr";
  pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen(err_path.c_str(), "w", stderr);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  Exit exit;
  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return exit;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) exit.code = WEXITSTATUS(status);
  std::ifstream in(err_path);
  exit.err.assign(std::istreambuf_iterator<char>(in), {});
  return exit;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool IsPlainFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Regular files below `folder` with their bytes, and anything else by kind.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = stdfs::recursive_directory_iterator(folder, ec); !ec && it != stdfs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string rel = it->path().lexically_relative(folder).string();
    // Links and FIFOs are what the test planted; only files count.
    if (!it->is_symlink() && it->is_regular_file()) files[rel] = Slurp(it->path());
  }
  return files;
}

// The pages declare code page 936, so that a book stores them byte for byte.
const std::string kHead = "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"></head>";
const std::map<std::string, std::string> kPages = {{"a.htm", kHead + "<p>page a</p>"},
                                                   {"sub/b.htm", kHead + "<p>page b</p>"}};

// A book folder: two pages, a page that is a link to the bait outside, a
// folder link to the outside folder, and a project listing all four.
void MakeBookFolder(const std::string& book, const OutsideFolder& outside) {
  stdfs::create_directories(book + "/sub");
  for (const auto& [name, bytes] : kPages) Put(book + "/" + name, bytes);
  ::symlink(outside.Bait().c_str(), (book + "/secret.htm").c_str());
  ::symlink(outside.Path().c_str(), (book + "/peek").c_str());
  Put(book + "/book.hhp",
      "[OPTIONS]\r\nCompiled file=book.chm\r\nDefault topic=a.htm\r\n\r\n[FILES]\r\na.htm\r\nsub\\b.htm\r\n"
      "secret.htm\r\npeek\\a.htm\r\n");
}

// True when `chm` unpacks completely into exactly the book's own pages.
bool SoundBook(const std::string& chm, const std::string& scratch) {
  stdfs::remove_all(scratch);
  Exit run = RunProgram({HH_EXE, "-decompile", scratch, chm});
  return run.code == 0 && Tree(scratch) == kPages;
}

// One hhc.exe run on a book folder after `plant`; the earlier book at
// book.chm (when there is one) is the file at risk.
RunReport CompileRun(
    const std::function<void(const std::string& book, const OutsideFolder&)>& plant, bool earlier_book,
    const std::string& base, const std::function<void()>& after_run = [] {}) {
  OutsideFolder outside(base + "/outside");
  const std::string book = base + "/in/book";
  MakeBookFolder(book, outside);
  const std::string chm = book + "/book.chm";
  const std::string earlier = "earlier book";
  if (earlier_book) Put(chm, earlier);
  plant(book, outside);
  outside.TakeSnapshot();
  Exit run = RunProgram({HHC_EXE, book + "/book.hhp"});
  after_run();
  RunReport report;
  report.outside = outside.Changes();
  bool sound = IsPlainFile(chm) && SoundBook(chm, base + "/check");
  if (earlier_book) {
    ++report.at_risk;
    if (!sound && Slurp(chm) != earlier) report.lost.push_back(chm);
  }
  if (run.code == -1) report.silent.push_back(chm + " (hhc.exe hung)");
  else if (!sound && (run.code == 0 || run.err.empty())) report.silent.push_back(chm + " (no sound book, no failure)");
  for (const auto& [name, bytes] : Tree(book))
    if (name.find("tmp") != std::string::npos || name.find("spool") != std::string::npos)
      report.silent.push_back(book + "/" + name + " (left behind)");
  return report;
}

// One hh.exe run unpacking `chm` into a folder after `plant`; an earlier
// out/a.htm is the file at risk: it stays (the book's page then goes beside
// it as "a (BOOK).htm"), and is never replaced. A planted link or FIFO at a
// page's name stays too, with the page beside it.
RunReport UnpackRun(
    const std::string& chm, const std::function<void(const std::string& out, const OutsideFolder&)>& plant,
    const std::string& base, const std::string& book_arg = {}, const std::function<void()>& after_run = [] {}) {
  OutsideFolder outside(base + "/outside");
  const std::string out = base + "/in/out";
  stdfs::create_directories(out);
  const std::string previous = "previous page";
  Put(out + "/a.htm", previous);
  plant(out, outside);
  outside.TakeSnapshot();
  Exit run = RunProgram({HH_EXE, "-decompile", out, book_arg.empty() ? chm : book_arg});
  after_run();
  RunReport report;
  report.outside = outside.Changes();
  report.at_risk = 1;
  std::string now = IsPlainFile(out + "/a.htm") ? Slurp(out + "/a.htm") : "";
  if (now != previous) report.lost.push_back(out + "/a.htm");
  auto beside = [book = stdfs::path(chm).filename().string()](const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + " (" + book + ")" + name.substr(dot);
  };
  bool complete = true;
  for (const auto& [name, bytes] : Tree(out)) {
    auto page = std::find_if(kPages.begin(), kPages.end(),
                             [&](const auto& p) { return p.first == name || beside(p.first) == name; });
    if (name == "a.htm" && bytes == previous) continue;
    if (page == kPages.end() || page->second != bytes) report.silent.push_back(out + "/" + name + " (half or foreign)");
  }
  for (const auto& [name, bytes] : kPages)
    if (!IsPlainFile(out + "/" + beside(name)) && (name == "a.htm" || !IsPlainFile(out + "/" + name))) complete = false;
  if (run.code == -1) report.silent.push_back(out + " (hh.exe hung)");
  else if (!complete && (run.code == 0 || run.err.empty())) report.silent.push_back(out + " (incomplete, no failure)");
  return report;
}

using Planter = std::function<void(const std::string& folder, const OutsideFolder&)>;

// The plants, each at every name the program writes below `folder`.
std::vector<std::pair<std::string, Planter>> NamePlants(const std::vector<std::string>& names) {
  auto each = [names](std::function<void(const std::string&, const OutsideFolder&, int)> put) {
    return [names, put](const std::string& folder, const OutsideFolder& outside) {
      int n = 0;
      for (const std::string& name : names) put(folder + "/" + name, outside, n++);
    };
  };
  return {
      {kPlantedLinks,
       each([](const std::string& p, const OutsideFolder& o, int) { ::symlink(o.Bait().c_str(), p.c_str()); })},
      {kDanglingLinks, each([](const std::string& p, const OutsideFolder& o, int n) {
         ::symlink((o.Path() + "/nowhere-" + std::to_string(n)).c_str(), p.c_str());
       })},
      {kFifos, each([](const std::string& p, const OutsideFolder&, int) { ::mkfifo(p.c_str(), 0644); })},
  };
}

TEST(ToolsOnHostileDisk, HhcStoresNothingFromOutsideAndWritesNothingThere) {
  for (const auto& [fault, plant] : NamePlants({"book.chm"})) {
    TempDir base;
    Record("hhc.exe", fault, "real disk", CompileRun(plant, false, base.path()));
  }
  TempDir base;
  Record("hhc.exe", kReadOnlyDisk, "real disk",
         CompileRun(
             [](const std::string& book, const OutsideFolder&) {
               ::chmod((book + "/book.chm").c_str(), 0444);
               ::chmod(book.c_str(), 0555);
             },
             true, base.path()));
  // Read-only as on Windows: the earlier book stays, even for root.
  EXPECT_EQ(Slurp(base.path() + "/in/book/book.chm"), "earlier book");
}

TEST(ToolsOnHostileDisk, HhWritesOnlyWholeFilesInsideItsFolder) {
  TempDir made;
  OutsideFolder outside(made.path() + "/outside");
  MakeBookFolder(made.path() + "/book", outside);
  ASSERT_EQ(RunProgram({HHC_EXE, made.path() + "/book/book.hhp"}).code, 0);
  const std::string chm = made.path() + "/book/book.chm";
  for (const auto& [fault, plant] : NamePlants({"sub/b.htm", "sub"})) {
    TempDir base;
    Record("hh.exe", fault, "real disk", UnpackRun(chm, plant, base.path()));
  }
  TempDir linked, fifo, read_only;
  Record(
      "hh.exe", kLinkedFolders, "real disk",
      UnpackRun(
          chm,
          [](const std::string& out, const OutsideFolder& o) { ::symlink(o.Path().c_str(), (out + "/sub").c_str()); },
          linked.path()));
  ::mkfifo((fifo.path() + "/fifo.chm").c_str(), 0644);
  RunReport from_fifo = UnpackRun(
      chm, [](auto&&...) {}, fifo.path(), fifo.path() + "/fifo.chm");
  from_fifo.silent.erase(std::remove_if(from_fifo.silent.begin(), from_fifo.silent.end(),
                                        [](const std::string& s) { return s.find("hung") == std::string::npos; }),
                         from_fifo.silent.end());  // refusing the FIFO is the point; it must not hang
  Record("hh.exe", kFifos, "FIFO as the book", from_fifo);
  Record("hh.exe", kReadOnlyDisk, "real disk",
         UnpackRun(
             chm, [](const std::string& out, const OutsideFolder&) { ::chmod((out + "/a.htm").c_str(), 0444); },
             read_only.path()));
  EXPECT_EQ(Slurp(read_only.path() + "/in/out/a.htm"), "previous page");  // read-only stays, even for root
}

TEST(ToolsOnHostileDisk, FullTmpfsAtEveryPageLeavesNoHalfFile) {
  constexpr long long kPage = 4096;
  Tmpfs disk(96 * kPage);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Error();
  TempDir made;
  OutsideFolder maker(made.path() + "/outside");
  MakeBookFolder(made.path() + "/book", maker);
  ASSERT_EQ(RunProgram({HHC_EXE, made.path() + "/book/book.hhp"}).code, 0);
  const std::string chm = made.path() + "/book/book.chm";
  // Each run fills the tmpfs up to `room` free bytes just before the
  // program starts and empties it again before the checks.
  for (long long room = 0; room <= 24 * kPage; room += kPage) {
    auto fill = [&disk, room](const std::string&, const OutsideFolder&) { disk.LeaveRoom(room); };
    auto unfill = [&disk] { disk.Unfill(); };
    const std::string detail = "tmpfs, " + std::to_string(room) + " bytes free";
    const std::string base = disk.Path() + "/run";
    stdfs::create_directory(base);
    Record("hhc.exe", kFullDisk, detail, CompileRun(fill, true, base, unfill));
    stdfs::remove_all(base);
    stdfs::create_directory(base);
    Record("hh.exe", kFullDisk, detail, UnpackRun(chm, fill, base, {}, unfill));
    stdfs::remove_all(base);
  }
}

}  // namespace
}  // namespace qm::faults
