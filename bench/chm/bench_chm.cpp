// Times the CHM tab's operations on a generated folder of up to 50,000
// files in about 2,000 folders, three levels deep, through a Context over
// the real file system; the drop is also given as a ratio to `find FOLDER`
// listing the same tree in the same rounds. Peak memory comes from
// getrusage. At scale 16, when the program `quillmere` sits beside this
// one, the drop is also timed through the real window and its tree view
// with the script driver. Usage: bench_chm [--scale 1|4|16] [--keep]
// [--rounds N] [--folder DIR] (DIR: a tree that an earlier --keep run left,
// reused as is)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include "common/bench_row.h"
#include "common/child_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_operations.h"
#include "core/context.h"
#include "runtime/real_file_system.h"
#include "support/memory_controls.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

int failures = 0;

// At scale 16: 5 top folders, each with 10 middle folders, each with 39
// leaf folders: 2,005 folders. 25 files in every leaf and middle folder:
// 50,000 files. A middle folder's subtree holds 1,040 items, a top
// folder's 10,401. Scale 4: 12,500 files; scale 1: 3,125 files.
constexpr int kTop = 5, kFilesPerFolder = 25;
int kMiddle = 10, kLeaf = 39;

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
  qm::bench::ChildMeasure m = qm::bench::RunChild(
      {program, "--script", "-"},
      qm::bench::ChildSetUp{{}, input, {}, {"QT_QPA_PLATFORM=offscreen", "windir=" + (scratch / "windows").string()}});
  return m.ok ? m.seconds : -1;
}

// The drop through the real window and its tree view, when the program
// `quillmere` sits beside this one: the script that drops the folder less
// the script that only starts, each the median of `rounds` runs taken in
// turn with `find`.
void BenchWindow(const fs::path& book, const fs::path& scratch, int rounds, const qm::bench::Size& size) {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec).parent_path() / "quillmere";
  if (ec || !fs::exists(program)) {
    std::printf("through the Qt tree view: not measured (no quillmere beside this program)\n");
    return;
  }
  fs::create_directories(scratch / "windows");
  const std::string start = "page CHM制作\n", drop = start + "drop 编辑框1 " + book.string() + "\n";
  using qm::bench::Contender;
  std::vector<Contender> runs = {
      {"start", [&] { return TimeScript(program.string(), start, scratch) >= 0; }},
      {"drop", [&] { return TimeScript(program.string(), drop, scratch) >= 0; }},
      {"find",
       [&] {
         return qm::bench::RunChild({"find", book.string()}).ok;
       }},
  };
  qm::bench::RunInterleaved(runs, rounds);
  // The drop alone: each round's drop script less its start-only script.
  Contender window{"window drop", [] { return true; }};
  for (std::size_t r = 0; r < runs[0].seconds.size(); ++r)
    window.seconds.push_back(runs[1].seconds[r] - runs[0].seconds[r]);
  window.ok = runs[0].ok && runs[1].ok;
  if (!window.ok) ++failures;
  struct rusage usage {};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  qm::bench::PrintRow("CHM tab drop, in the window", size, window, &runs[2], usage.ru_maxrss / 1024.0,
                      "<= 2, < 200 MB");
}

struct Bench {
  qm::RealFileSystem fs;
  qm::MemoryControls ui;
  NoProcesses processes;
  qm::TreeModel tree;
  qm::Random random;
  qm::ProgramState state;
  qm::Context ctx{fs, ui, ui, ui, processes, tree, random, state};
  Bench() {
    tree.SetSelectionListener([this](int how) { qm::OnTreeSelectionChanged(ctx, how); });
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool keep = false;
  int rounds = 3, scale = 16;
  std::string reuse;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep") == 0) keep = true;
    else if (std::strcmp(argv[i], "--folder") == 0 && i + 1 < argc) reuse = argv[++i];
    else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(3, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) scale = std::atoi(argv[++i]);
  }
  if (scale <= 1) kMiddle = 5, kLeaf = 4;
  else if (scale <= 4) kLeaf = 9;
  const int files = kTop * kMiddle * (kLeaf + 1) * kFilesPerFolder;
  std::optional<qm::TempDir> made;
  if (reuse.empty()) {
    made.emplace("quillmere-bench-chm");
    if (made->path().empty()) {
      std::perror("mkdtemp");
      return 1;
    }
  }
  const std::string scratch = made ? made->path() : reuse;
  const fs::path book = fs::path(scratch) / "BigBook";
  const fs::path here = fs::current_path();
  if (reuse.empty()) {
    std::printf("generating %d files in %d folders under %s ...\n", files, kTop * (1 + kMiddle * (1 + kLeaf)),
                book.c_str());
    Generate(book);
  }

  // One untimed round, then every operation once per round on a freshly
  // dropped tree, `find` among them.
  enum { kFind, kDrop, kPreview, kContents, kBuild, kDown, kUp, kFilter, kDelete, kCount };
  std::vector<qm::bench::Contender> op(kCount);
  const char* names[kCount] = {"find", "drop", "preview", "contents", "build", "down", "up", "filter", "delete"};
  for (int k = 0; k < kCount; ++k) op[k].name = names[k];
  bool timing = false;
  auto time = [&op, &timing](int what, const std::function<void()>& work) {
    double seconds = Seconds(work);
    if (timing) op[what].seconds.push_back(seconds);
  };
  Bench b;
  int items = 0, moved_size = 0, deleted_size = 0;
  for (int r = 0; r <= rounds; ++r) {
    timing = r > 0;
    time(kFind, [&] { op[kFind].ok = TimeFind(book.string()) > 0 && op[kFind].ok; });
    time(kDrop, [&] { qm::OnChmFolderDrop(b.ctx, book.string()); });
    items = b.tree.Count();
    // Every round lists the whole tree again: one item per file and folder.
    if (items != files + kTop * (1 + kMiddle * (1 + kLeaf))) op[kDrop].ok = false;
    // A selection arms the timer; its tick rewrites the project text.
    time(kPreview, [&] {
      b.tree.Select(items / 2, 1);
      qm::RefreshProjectPreview(b.ctx);
    });
    time(kContents, [&] { qm::ContentsText(b.tree); });
    time(kBuild, [&] { qm::BuildContents(b.ctx); });
    fs::remove(book / "BigBook.hhc");
    fs::remove(book / "BigBook.hhp");
    // Item 1 is the first middle folder of the first top folder.
    int moved = 1;
    moved_size = 1 + b.tree.DescendantCount(moved);
    b.tree.Select(moved);
    time(kDown, [&] { moved = qm::MoveItemDown(b.ctx.tree, moved); });
    time(kUp, [&] { moved = qm::MoveItemUp(b.ctx.tree, moved); });
    time(kFilter, [&] { qm::FilterTree(b.tree); });
    qm::OnChmFolderDrop(b.ctx, book.string());
    b.tree.Select(0);
    deleted_size = b.tree.DescendantCount(0);
    time(kDelete, [&] { qm::DeleteChildren(b.tree, 0); });
  }
  const double peak_mb = qm::bench::OwnPeakMegabytes();
  const qm::bench::Size size{std::to_string(files) + " files, " + std::to_string(items) + " items", items / 1000.0,
                             "1,000 items"};
  qm::bench::PrintRow("CHM tab drop (scan, tree, order list)", size, op[kDrop], &op[kFind], peak_mb, "<= 2, < 200 MB");
  qm::bench::PrintRow("select + project preview", size, op[kPreview], nullptr, peak_mb, "< 50 ms");
  qm::bench::PrintRow("BuildContents (.hhc and .hhp)", size, op[kBuild], nullptr, peak_mb, "< 50 ms");
  qm::bench::PrintRow("move a " + std::to_string(moved_size) + "-item folder down", size, op[kDown], nullptr, peak_mb,
                      "< 50 ms");
  qm::bench::PrintRow("move it up again", size, op[kUp], nullptr, peak_mb, "< 50 ms");
  qm::bench::PrintRow("FilterTree", size, op[kFilter], nullptr, peak_mb, "< 50 ms");
  qm::bench::PrintRow("DeleteChildren of " + std::to_string(deleted_size) + " items", size, op[kDelete], nullptr,
                      peak_mb, "< 50 ms");
  if (scale >= 16) BenchWindow(book, fs::path(scratch), rounds, size);

  fs::current_path(here);
  if (keep || !reuse.empty()) {
    std::printf("kept %s\n", scratch.c_str());
    if (made) made->Keep();
  }
  return failures == 0 ? 0 : 1;
}
