// Measures the text-to-page conversions on the real file system against
// copying the same bytes with cp in the same run, and reports the peak
// memory of the process. Generates its own data in a scratch folder.
//
//   bench_convert [--book-files N] [--tree-files N] [--folders N]
//                 [--size BYTES] [--keep]

#include "common/bench_row.h"
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

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
#include "convert/batch_conversion.h"
#include "convert/control_names.h"
#include "convert/paged_book.h"
#include "convert/web_tab_drop.h"
#include "runtime/encoding.h"
#include "runtime/memory_controls.h"
#include "runtime/real_file_system.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace qm;

struct Options {
  int book_files = 2000;
  int tree_files = 10000;
  int folders = 100;
  std::size_t size = 20 * 1024;
  bool keep = false;
};

class NoProcesses : public ProcessRunner {
 public:
  RunResult Run(const Text&, bool, int) override { return {}; }
};

// A GBK text of about `size` bytes: lines of Chinese characters and ASCII
// words ended by CR LF, different for every seed.
std::string MakeText(std::size_t size, unsigned seed) {
  std::string text;
  text.reserve(size + 80);
  unsigned state = seed * 2654435761u + 1;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 16; };
  while (text.size() < size) {
    for (int i = 0; i < 30; ++i) {
      if (next() % 8 == 0) {
        text += "word ";
      } else {
        text += static_cast<char>(0xB0 + next() % 0x40);  // a GB2312 hanzi
        text += static_cast<char>(0xA1 + next() % 0x5E);
      }
    }
    text += "\r\n";
  }
  text.resize(size);
  if (static_cast<unsigned char>(text.back()) >= 0x80) text.back() = '.';
  return text;
}

void WriteFile(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of this process during the last call of Seconds.
double last_cpu = 0;

double Seconds(const std::function<void()>& work) {
  double cpu = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  work();
  last_cpu = CpuSeconds() - cpu;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// cp -r FROM TO, timed; exits on failure.
double CopyTree(const fs::path& from, const fs::path& to) {
  std::string a = from.string(), b = to.string();
  char cp[] = "cp", r[] = "-r";
  char* argv[] = {cp, r, a.data(), b.data(), nullptr};
  int status = -1;
  double s = Seconds([&] {
    pid_t pid;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) == 0) waitpid(pid, &status, 0);
  });
  if (status != 0) {
    std::fprintf(stderr, "cp failed\n");
    std::exit(1);
  }
  return s;
}

void Line(const char* what, double seconds, int files, double baseline, double cpu = -1) {
  std::printf("  %-22s %8.3f s %10.0f files/s", what, seconds, files / seconds);
  if (baseline > 0) std::printf("   %5.2f x cp   (cpu %.3f s)", seconds / baseline, cpu);
  std::printf("\n");
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&] { return i + 1 < argc ? std::atol(argv[++i]) : 0; };
    if (arg == "--book-files") o.book_files = static_cast<int>(value());
    else if (arg == "--tree-files") o.tree_files = static_cast<int>(value());
    else if (arg == "--folders") o.folders = static_cast<int>(value());
    else if (arg == "--size") o.size = static_cast<std::size_t>(value());
    else if (arg == "--keep") o.keep = true;
    else {
      std::printf("usage: %s [--book-files N] [--tree-files N] [--folders N] [--size BYTES] [--keep]\n", argv[0]);
      std::exit(arg == "--help" ? 0 : 2);
    }
  }
  if (o.folders < 1) o.folders = 1;
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = Parse(argc, argv);
  std::string base = (fs::temp_directory_path() / "quillmere-bench-XXXXXX").string();
  if (!mkdtemp(base.data())) return 1;
  fs::path scratch = base;

  RealFileSystem disk;
  MemoryControls ui;
  NoProcesses processes;
  TreeModel tree;
  Random random;
  ProgramState state;
  state.DateText = "2024-5-7";
  Context ctx{disk, ui, ui, ui, processes, tree, random, state};

  // Paged book.
  fs::path book = scratch / "book";
  fs::create_directories(book);
  for (int i = 0; i < options.book_files; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "chapter%05d.txt", i);
    WriteFile(book / name, MakeText(options.size, static_cast<unsigned>(i)));
  }
  std::printf("paged book: %d texts of %zu bytes, wrapping and decoration on\n", options.book_files,
              options.size);
  double book_cp = CopyTree(book, scratch / "book-copy");
  ui.SetTicked(controls::kBookModeRadio, true);
  OnWebTabDrop(ctx, book.string());
  ui.SetTicked(controls::kWrapLinesBox, true);
  ui.SetTicked(controls::kDecorateBox, true);
  double book_run = Seconds([&] { PagedBookConversion(ctx); });
  double book_cpu = last_cpu;
  Line("cp -r", book_cp, options.book_files, 0);
  Line("PagedBookConversion", book_run, options.book_files, book_cp, book_cpu);
  bool book_ok = !ui.messages.empty() && ui.messages.back().content == "ok";

  // Batch conversion of a tree, and the undo folder by folder.
  fs::path top = scratch / "tree";
  std::vector<fs::path> folders;
  for (int k = 0; k < options.folders; ++k) {
    folders.push_back(top / ("folder" + std::to_string(k)));
    fs::create_directories(folders.back());
  }
  std::size_t tree_size = options.size / 2;
  for (int i = 0; i < options.tree_files; ++i) {
    WriteFile(folders[i % options.folders] / ("text" + std::to_string(i) + ".txt"),
              MakeText(tree_size, static_cast<unsigned>(i) + 7u));
  }
  std::printf("batch conversion: %d texts of %zu bytes in %d folders\n", options.tree_files,
              tree_size, options.folders);
  double tree_cp = CopyTree(top, scratch / "tree-copy");
  ui.SetTicked(controls::kBookModeRadio, false);
  ui.SetTicked(controls::kBatchModeRadio, true);
  OnWebTabDrop(ctx, top.string());
  ui.SetText(controls::kOldExtensionBox, ".txt");
  ui.SetText(controls::kNewExtensionBox, ".htm");
  double batch_run = Seconds([&] { BatchPageConversion(ctx); });
  double batch_cpu = last_cpu;
  bool batch_ok = ui.messages.back().content == Gbk("转换ok!");
  double undo_run = Seconds([&] {
    for (const fs::path& folder : folders) {
      ui.SetText(controls::kBatchFolderBox, folder.string());
      UndoBatchConversion(ctx);
    }
  });
  double undo_cpu = last_cpu;
  bool undo_ok = ui.messages.back().content == Gbk("取消转换ok!");
  Line("cp -r", tree_cp, options.tree_files, 0);
  Line("BatchPageConversion", batch_run, options.tree_files, tree_cp, batch_cpu);
  Line("UndoBatchConversion", undo_run, options.tree_files, tree_cp, undo_cpu);

  long peak = PeakKilobytes();
  std::printf("peak memory: %.1f MB (target: below 50 MB)\n", peak / 1024.0);
  std::printf("target: each conversion at most 3 x cp\n");
  const double peak_mb = peak / 1024.0;
  qm::bench::PrintRow("paged book, 2,000 texts of 20 KB", book_run, "cp -r", book_cp, peak_mb, "<= 3, < 50 MB");
  qm::bench::PrintRow("batch conversion, 10,000 texts", batch_run, "cp -r", tree_cp, peak_mb, "<= 3, < 50 MB");
  qm::bench::PrintRow("undo of the batch conversion", undo_run, "cp -r", tree_cp, peak_mb, "<= 3, < 50 MB");
  if (!book_ok || !batch_ok || !undo_ok) std::printf("WARNING: a conversion did not end with its ok message\n");

  if (options.keep) {
    std::printf("data kept in %s\n", scratch.c_str());
  } else {
    std::error_code ec;
    fs::remove_all(scratch, ec);
  }
  return book_ok && batch_ok && undo_ok ? 0 : 1;
}
