// The text-to-page conversions on the real file system against cp -r of
// the same bytes, timed in the same rounds; every run starts from the same
// folder (hard links to a pristine copy, made again before each run).
//   bench_convert [--scale S]       paged book of 125 x S texts of 20 KB,
//                                   batch conversion and its undo of
//                                   625 x S texts of 10 KB in 100 folders
//   bench_convert --single-mb M     paged book of one text of M MB

#include "common/bench_row.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/context.h"
#include "batch/bench_support.h"
#include "convert/batch_conversion.h"
#include "convert/book_page.h"
#include "convert/control_names.h"
#include "convert/paged_book.h"
#include "convert/web_tab_drop.h"
#include "runtime/encoding.h"
#include "runtime/memory_controls.h"
#include "runtime/real_file_system.h"

namespace {

namespace fs = std::filesystem;
using namespace qm;
using namespace qm::bench;

class NoProcesses : public ProcessRunner {
 public:
  RunResult Run(const Text&, bool, int) override { return {}; }
};

// Writes to `path` a GBK text of `size` bytes: lines of Chinese
// characters and ASCII words ended by CR LF, different for every seed.
// Made a megabyte at a time, so that the benchmark's own memory stays
// small beside what the conversion takes.
void WriteText(const fs::path& path, std::size_t size, unsigned seed) {
  std::ofstream out(path, std::ios::binary);
  std::string text;
  unsigned state = seed * 2654435761u + 1;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 16; };
  for (std::size_t written = 0; written < size;) {
    text.clear();
    while (text.size() < (1u << 20) && written + text.size() < size) {
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
    if (written + text.size() >= size) {
      text.resize(size - written);
      if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0x80) text.back() = '.';
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    written += text.size();
  }
}

// Reads every file of `folder` once, a megabyte at a time, so that the
// runs compared read from the page cache alike.
void WarmUpInPieces(const fs::path& folder) {
  std::vector<char> buffer(1 << 20);
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    }
  }
}

// Makes `to` a tree of hard links to the files of `from`, after putting an
// earlier `to` aside.
void LinkTree(const fs::path& from, const fs::path& to) {
  MoveAside(to.string(), (to.parent_path() / "trash").string());
  fs::create_directories(to);
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    fs::path target = to / fs::relative(entry.path(), from);
    if (entry.is_directory()) fs::create_directories(target);
    else fs::create_hard_link(entry.path(), target);
  }
}

Contender CopyTree(const fs::path& from, const fs::path& to) {
  return {"cp -r", [from, to] { return RunProgram({"cp", "-r", from.string(), to.string()}); },
          [to] { MoveAside(to.string(), (to.parent_path() / "trash").string()); }};
}

}  // namespace

int main(int argc, char** argv) {
  const int scale = static_cast<int>(Argument(argc, argv, "scale", 1));
  const double single_mb = Argument(argc, argv, "single-mb", 0);
  ScratchFolder scratch_folder("convert");
  if (!scratch_folder.ok()) return 1;
  const fs::path scratch = scratch_folder.path();

  RealFileSystem disk;
  MemoryControls ui;
  NoProcesses processes;
  TreeModel tree;
  Random random;
  ProgramState state;
  state.DateText = "2024-5-7";
  Context ctx{disk, ui, ui, ui, processes, tree, random, state};
  bool all_ok = true;

  // Paged book, wrapping and decoration on.
  const int book_files = single_mb > 0 ? 1 : 125 * scale;
  const std::size_t book_size = single_mb > 0 ? static_cast<std::size_t>(single_mb * 1e6) : 20 * 1024;
  const fs::path pristine_book = scratch / "book-texts", book = scratch / "book";
  fs::create_directories(pristine_book);
  for (int i = 0; i < book_files; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "chapter%05d.txt", i);
    WriteText(pristine_book / name, book_size, static_cast<unsigned>(i));
  }
  WarmUpInPieces(pristine_book);
  ::sync();
  const double book_mb = book_files * (book_size / 1e6);
  std::vector<Contender> book_run;
  book_run.push_back({"ours",
                      [&] {
                        PagedBookConversion(ctx);
                        return !ui.messages.empty() && ui.messages.back().content == "ok";
                      },
                      [&] {
                        // The texts of the last round went into the backup
                        // folder beside the book; a backup left there would
                        // make this round keep every text instead.
                        MoveAside(BackupFolder(book.string()), (scratch / "trash").string());
                        LinkTree(pristine_book, book);
                        ui.SetTicked(controls::kBatchModeRadio, false);
                        ui.SetTicked(controls::kBookModeRadio, true);
                        OnWebTabDrop(ctx, book.string());
                        ui.SetTicked(controls::kWrapLinesBox, true);
                        ui.SetTicked(controls::kDecorateBox, true);
                      }});
  book_run.push_back(CopyTree(pristine_book, scratch / "book-copy"));
  RunInterleaved(book_run);
  const std::string label = SizeLabel(single_mb, book_mb, book_files, "text", "texts of 20 KB");
  PrintRow("paged book, wrapping and decoration", {label, book_mb}, book_run[0], &book_run[1], OwnPeakMegabytes(),
           "<= 1.5, < 50 MB");
  all_ok = all_ok && book_run[0].ok;
  if (single_mb > 0) return all_ok ? 0 : 1;

  // Batch conversion of a tree, then its undo folder by folder on the
  // pages just made.
  const int tree_files = 625 * scale, folders = 100;
  const std::size_t tree_size = 10 * 1024;
  const fs::path pristine_tree = scratch / "tree-texts", top = scratch / "tree";
  std::vector<fs::path> folder_paths;
  for (int k = 0; k < folders; ++k) {
    fs::create_directories(pristine_tree / ("folder" + std::to_string(k)));
    folder_paths.push_back(top / ("folder" + std::to_string(k)));
  }
  for (int i = 0; i < tree_files; ++i) {
    WriteText(pristine_tree / ("folder" + std::to_string(i % folders)) / ("text" + std::to_string(i) + ".txt"),
              tree_size, static_cast<unsigned>(i) + 7u);
  }
  ::sync();
  const double tree_mb = tree_files * (tree_size / 1e6);
  std::vector<Contender> tree_run;
  tree_run.push_back({"ours",
                      [&] {
                        BatchPageConversion(ctx);
                        return ui.messages.back().content == Gbk("转换ok!");
                      },
                      [&] {
                        LinkTree(pristine_tree, top);
                        ui.SetTicked(controls::kBookModeRadio, false);
                        ui.SetTicked(controls::kBatchModeRadio, true);
                        OnWebTabDrop(ctx, top.string());
                        ui.SetText(controls::kOldExtensionBox, ".txt");
                        ui.SetText(controls::kNewExtensionBox, ".htm");
                      }});
  // Runs right after the conversion, on its pages.
  tree_run.push_back({"undo", [&] {
                        for (const fs::path& folder : folder_paths) {
                          ui.SetText(controls::kBatchFolderBox, folder.string());
                          UndoBatchConversion(ctx);
                          if (ui.messages.back().content != Gbk("取消转换ok!")) return false;
                        }
                        return true;
                      }});
  tree_run.push_back(CopyTree(pristine_tree, scratch / "tree-copy"));
  RunInterleaved(tree_run);
  const std::string tree_label = std::to_string(tree_files) + " texts of 10 KB";
  const double peak = OwnPeakMegabytes();
  PrintRow("batch conversion", {tree_label, tree_mb}, tree_run[0], &tree_run[2], peak, "<= 1.5, < 50 MB");
  PrintRow("undo of the batch conversion", {tree_label, tree_mb}, tree_run[1], &tree_run[2], peak, "<= 1.5, < 50 MB");
  all_ok = all_ok && tree_run[0].ok && tree_run[1].ok;
  return all_ok ? 0 : 1;
}
