// Times the CHM tab's operations on a generated folder of 50,000 files in
// about 2,000 folders, three levels deep, through a Context over the real
// file system, and prints each time with its target; the drop is also given
// as a ratio to `find FOLDER` listing the same tree in the same run. Peak
// memory comes from getrusage. When the program `quillmere` sits beside this
// one, the same operations are also timed through the real window and its
// tree view with the script driver. Usage: bench_chm [--keep] [--rounds N]
// [--folder DIR] (DIR: a tree that an earlier --keep run left, reused as is)
#include "common/bench_row.h"
#include "common/child_run.h"
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/context.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_operations.h"
#include "runtime/memory_controls.h"
#include "runtime/real_file_system.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

int failures = 0;

// 5 top folders, each with 10 middle folders, each with 39 leaf folders:
// 2,005 folders. 25 files in every leaf and middle folder: 50,000 files. A
// middle folder's subtree holds 1,040 items, a top folder's 10,401.
constexpr int kTop = 5, kMiddle = 10, kLeaf = 39, kFilesPerFolder = 25;

void WriteFiles(const fs::path& folder) {
  for (int f = 0; f < kFilesPerFolder; ++f) {
    char name[32];
    // One file in five is not a page, for the filter to remove.
    std::snprintf(name, sizeof name, f % 5 == 4 ? "pic%02d.gif" : "page%02d.htm", f);
    std::ofstream(folder / name) << "x";
  }
}

void Generate(const fs::path& root) {
  for (int t = 0; t < kTop; ++t) {
    fs::path top = root / ("t" + std::to_string(t));
    for (int m = 0; m < kMiddle; ++m) {
      fs::path middle = top / ("m" + std::to_string(m));
      fs::create_directories(middle);
      WriteFiles(middle);
      for (int l = 0; l < kLeaf; ++l) {
        fs::path leaf = middle / ("l" + std::to_string(l));
        fs::create_directory(leaf);
        WriteFiles(leaf);
      }
    }
  }
}

double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this process so far, to tell slow code from a busy
// machine.
double CpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Runs `find FOLDER` with its output thrown away; the time it takes.
double TimeFind(const std::string& folder) { return qm::bench::RunChild({"find", folder}).seconds; }

// The measured operations start no programs.
struct NoProcesses : qm::ProcessRunner {
  qm::RunResult Run(const qm::Text&, bool, int) override { return {}; }
};

// Runs `quillmere --script -` on `script` (standard input from a file),
// offscreen, with its working files in `scratch`; the time it takes, or a
// negative value when it failed.
double TimeScript(const std::string& program, const std::string& script, const fs::path& scratch) {
  const fs::path input = scratch / "script.txt";
  std::ofstream(input) << script;
  std::vector<std::string> args = {program, "--script", "-"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_strings = {"QT_QPA_PLATFORM=offscreen", "windir=" + (scratch / "windows").string()};
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "windir=", 7) != 0 && std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0) env_strings.push_back(*e);
  std::vector<char*> env;
  for (auto& e : env_strings) env.push_back(e.data());
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int status = -1;
  pid_t pid = 0;
  double seconds = Seconds([&] {
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data()) == 0) ::waitpid(pid, &status, 0);
  });
  posix_spawn_file_actions_destroy(&actions);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// The same operations through the real window and its tree view, when the
// program `quillmere` sits beside this one: each script's time less the time
// of the script that only drops the folder.
void BenchWindow(const fs::path& book, const fs::path& scratch, int rounds, double find_time) {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec).parent_path() / "quillmere";
  if (ec || !fs::exists(program)) {
    std::printf("through the Qt tree view: not measured (no quillmere beside this program)\n");
    return;
  }
  const std::string start = "page CHM制作\n", drop = start + "drop 编辑框1 " + book.string() + "\n";
  struct Case {
    const char* what;
    std::string script;
    double best = 1e9;
  };
  std::vector<Case> cases = {
      {"window: start only", start},
      {"window: drop", drop},
      {"window: select + preview tick", drop + "select 3000\nwait 1100\n"},
      {"window: 建CHM目录", drop + "click 按钮建工程\n"},
      {"window: 下移 then 上移 of a middle folder", drop + "select 1\nclick 按钮下移\nclick 按钮上移\n"},
      {"window: 过滤", drop + "click 按钮过滤\n"},
      {"window: 删除子节点 of a top folder", drop + "select 0\nclick 按钮删除子节点\n"},
  };
  fs::create_directories(scratch / "windows");
  bool failed = false;
  for (int r = 0; r < rounds; ++r)
    for (Case& c : cases) {
      double t = TimeScript(program.string(), c.script, scratch);
      if (t < 0) failed = true;
      else c.best = std::min(c.best, t);
      fs::remove(book / "BigBook.hhc", ec);
      fs::remove(book / "BigBook.hhp", ec);
    }
  if (failed) {
    std::printf("through the Qt tree view: a script failed\n");
    ++failures;
    return;
  }
  std::printf("\nthrough the window (best of %d rounds, program start %.3f s):\n", rounds, cases[0].best);
  const double drop_time = cases[1].best - cases[0].best;
  const double ratio = drop_time / find_time;
  if (ratio > 5) ++failures;
  std::printf("%-40s %8.4f s  ratio to find %.2f (target <= 5) %s\n", cases[1].what, drop_time, ratio,
              ratio <= 5 ? "ok" : "SLOW");
  qm::bench::PrintRow("CHM tab drop of 50,000 files, in the window", drop_time, "find", find_time, 0,
                      "<= 5");
  for (std::size_t i = 2; i < cases.size(); ++i) {
    double extra = cases[i].best - cases[1].best;
    // The preview waits for its one-second timer by design.
    double target = i == 2 ? 1.1 + 0.5 : i == 4 ? 1.0 : 0.5;
    bool ok = extra <= target;
    if (!ok) ++failures;
    std::printf("%-40s %8.4f s  target < %.1f s %s\n", cases[i].what, extra, target, ok ? "ok" : "SLOW");
  }
  struct rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const double peak_mb = usage.ru_maxrss / 1024.0;
  if (peak_mb >= 200) ++failures;
  std::printf("%-40s %8.1f MB (target < 200 MB) %s\n", "window: peak memory", peak_mb, peak_mb < 200 ? "ok" : "HIGH");
}

struct Bench {
  qm::RealFileSystem fs;
  qm::MemoryControls ui;
  NoProcesses processes;
  qm::TreeModel tree;
  qm::Random random;
  qm::ProgramState state;
  qm::Context ctx{fs, ui, ui, ui, processes, tree, random, state};
  Bench() { tree.SetSelectionListener([this](int how) { qm::OnTreeSelectionChanged(ctx, how); }); }
};

void Report(const char* what, double seconds, double cpu, double target, const char* extra = "") {
  bool ok = seconds <= target;
  if (!ok) ++failures;
  std::printf("%-40s %8.4f s (cpu %.4f s)  target < %.1f s %s %s\n", what, seconds, cpu, target, ok ? "ok" : "SLOW",
              extra);
}

}  // namespace

int main(int argc, char** argv) {
  bool keep = false;
  int rounds = 3;
  std::string reuse;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) keep = true;
    else if (std::strcmp(argv[i], "--folder") == 0 && i + 1 < argc) reuse = argv[++i];
    else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
  }
  std::string scratch = reuse;
  if (scratch.empty()) {
    scratch = (fs::temp_directory_path() / "quillmere-bench-chm-XXXXXX").string();
    if (!::mkdtemp(scratch.data())) {
      std::perror("mkdtemp");
      return 1;
    }
  }
  const fs::path book = fs::path(scratch) / "BigBook";
  const fs::path here = fs::current_path();
  if (reuse.empty()) {
    std::printf("generating %d files in %d folders under %s ...\n", (kTop * kMiddle * (kLeaf + 1)) * kFilesPerFolder,
                kTop * (1 + kMiddle * (1 + kLeaf)), book.c_str());
    Generate(book);
  }

  // Every operation runs once per round on a freshly dropped tree; the best
  // round counts, since other programs share the machine.
  TimeFind(book.string());  // warm the caches
  enum { kFind, kDrop, kPreview, kContents, kBuild, kDown, kUp, kFilter, kDelete, kCount };
  std::vector<double> best(kCount, 1e9), cpu(kCount, 1e9);
  auto time = [&best, &cpu](int what, const std::function<void()>& work) {
    double before = CpuSeconds();
    best[what] = std::min(best[what], Seconds(work));
    cpu[what] = std::min(cpu[what], CpuSeconds() - before);
  };
  Bench b;
  int items = 0, moved_size = 0, deleted_size = 0;
  std::uintmax_t hhc_size = 0;
  for (int r = 0; r < rounds; ++r) {
    best[kFind] = std::min(best[kFind], TimeFind(book.string()));
    time(kDrop, [&] { qm::OnChmFolderDrop(b.ctx, book.string()); });
    items = b.tree.Count();
    // A selection arms the timer; its tick rewrites the project text.
    time(kPreview, [&] {
      b.tree.Select(items / 2, 1);
      qm::RefreshProjectPreview(b.ctx);
    });
    time(kContents, [&] { qm::ContentsText(b.tree); });
    time(kBuild, [&] { qm::BuildContents(b.ctx); });
    hhc_size = fs::file_size(book / "BigBook.hhc");
    fs::remove(book / "BigBook.hhc");
    fs::remove(book / "BigBook.hhp");
    // Item 1 is the first middle folder of the first top folder.
    int moved = 1;
    moved_size = 1 + b.tree.DescendantCount(moved);
    b.tree.Select(moved);
    time(kDown, [&] { moved = qm::MoveItemDown(b.ctx, moved); });
    time(kUp, [&] { moved = qm::MoveItemUp(b.ctx, moved); });
    time(kFilter, [&] { qm::FilterTree(b.tree); });
    qm::OnChmFolderDrop(b.ctx, book.string());
    b.tree.Select(0);
    deleted_size = b.tree.DescendantCount(0);
    time(kDelete, [&] { qm::DeleteChildren(b.tree, 0); });
  }
  std::printf("tree: %d items; `find` lists the folder in %.4f s (best of %d rounds)\n\n", items, best[kFind],
              rounds);
  const double ratio = best[kDrop] / best[kFind];
  if (ratio > 5) ++failures;
  std::printf("%-40s %8.4f s (cpu %.4f s)  ratio to find %.2f (target <= 5) %s\n", "drop (scan, tree, order list)",
              best[kDrop], cpu[kDrop], ratio, ratio <= 5 ? "ok" : "SLOW");
  char size[64];
  Report("select + preview refresh", best[kPreview], cpu[kPreview], 0.5);
  Report("  contents text alone", best[kContents], cpu[kContents], 0.5);
  std::snprintf(size, sizeof size, "(.hhc of %.1f MB)", static_cast<double>(hhc_size) / 1e6);
  Report("BuildContents (writes .hhc and .hhp)", best[kBuild], cpu[kBuild], 0.5, size);
  std::snprintf(size, sizeof size, "(%d items)", moved_size);
  Report("move a middle folder down", best[kDown], cpu[kDown], 0.5, size);
  Report("move it up again", best[kUp], cpu[kUp], 0.5, size);
  Report("FilterTree", best[kFilter], cpu[kFilter], 0.5);
  std::snprintf(size, sizeof size, "(%d items)", deleted_size);
  Report("DeleteChildren of a top folder", best[kDelete], cpu[kDelete], 0.5, size);

  struct rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const double peak_mb = usage.ru_maxrss / 1024.0;
  if (peak_mb >= 200) ++failures;
  std::printf("%-44s %9.1f MB (target < 200 MB) %s\n", "peak memory", peak_mb, peak_mb < 200 ? "ok" : "HIGH");
  qm::bench::PrintRow("CHM tab drop of 50,000 files", best[kDrop], "find", best[kFind], peak_mb, "<= 5, < 200 MB");
  qm::bench::PrintRow("BuildContents of 50,000 files", best[kBuild], "", 0, peak_mb, "< 0.5 s");
  qm::bench::PrintRow("move a 1,040-item folder down", best[kDown], "", 0, peak_mb, "< 0.5 s");
  qm::bench::PrintRow("FilterTree on 52,005 items", best[kFilter], "", 0, peak_mb, "< 0.5 s");
  BenchWindow(book, fs::path(scratch), std::min(rounds, 3), best[kFind]);

  fs::current_path(here);
  if (keep || !reuse.empty()) {
    std::printf("kept %s\n", scratch.c_str());
  } else {
    std::error_code ec;
    fs::remove_all(scratch, ec);
  }
  return failures == 0 ? 0 : 1;
}
