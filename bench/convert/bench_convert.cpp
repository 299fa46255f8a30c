// The text-to-page conversions on the real file system against cp -r of
// the same bytes, timed in the same rounds; every run starts from the same
// folder (hard links to a pristine copy, made again before each run).
//   bench_convert [--scale S]       paged book of 125 x S texts of 20 KB,
//                                   batch conversion and its undo of
//                                   625 x S texts of 10 KB in 100 folders
//   bench_convert --single-mb M     paged book of one text of M MB

#include "common/bench_row.h"
#include "common/memory_context.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "batch/bench_support.h"
#include "convert/batch_conversion.h"
#include "convert/framed_page.h"
#include "convert/paged_book.h"
#include "convert/web_tab_drop.h"
#include "core/book_page.h"
#include "core/context.h"
#include "core/control_names.h"
#include "core/page_images.h"
#include "runtime/encoding.h"
#include "runtime/real_file_system.h"
#include "support/memory_controls.h"

namespace {

namespace fs = std::filesystem;
using namespace qm;
using namespace qm::bench;

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

// The folder part of `path`.
std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The bare system calls that a conversion cannot do without, to show its
// floor beside cp -r: each text read in pieces of a megabyte, a new file
// created exclusively holding as many bytes as its converted form, and the
// text moved into `moved_to` (empty: deleted instead). A program that
// deletes an original must first have its replacement on the disk, and one
// that drops its record of a run must have its pages there: one syncfs per
// `group` files, before their originals are deleted, and one at the end, as
// the conversions do. A conversion of a tree finds its texts by listing
// each folder, and the batch conversion puts the pages' background image
// beside them: each of `folders` is listed first, and given a file of
// `folder_file` bytes when that is not 0.
struct FileFloor {
  // Paths as plain strings: a std::filesystem::path also keeps each of its
  // components, which for thousands of files would weigh on the peak
  // memory the rows report for ours.
  std::vector<std::string> sources;   // the files to read
  std::vector<std::string> targets;   // the new files
  std::vector<std::size_t> sizes;     // the bytes of each new file
  std::vector<std::string> moved_to;  // where each source goes; empty: deleted
  std::vector<std::string> folders;   // listed, and given a file of folder_file bytes
  std::size_t folder_file = 0;
  // Files written once besides the targets, after the listing (the paged
  // book's contents page and images), and a folder made first (its backup
  // folder).
  std::vector<std::pair<std::string, std::size_t>> extras;
  std::string made_folder;
  long draws = 0;            // random numbers drawn besides
  std::size_t group = 1024;  // files per syncfs
  // Each new file written unnamed and linked in once whole (O_TMPFILE,
  // linkat), so that no name ever holds a partial file, as the conversions
  // write theirs; else created under its name at once.
  bool whole_names = false;
  // The looks that keep every file as the conversions take them: the
  // folder by its path before each text (`folder_looks`, the batch
  // conversion's check that the folder is still the one listed), each file
  // read and written by its descriptor, and the new file and the text by
  // name in their folder before the text is moved aside, looked at again
  // and deleted.
  bool looks = false, folder_looks = false;

  bool Run(Random& random) const {
    static std::vector<char> buffer(1 << 20, 'x');
    auto sync = [this] {
      int dir = ::open(targets.empty() ? "." : FolderOfPath(targets.front()).c_str(), O_RDONLY | O_DIRECTORY);
      bool ok = dir >= 0 && ::syncfs(dir) == 0;
      if (dir >= 0) ::close(dir);
      return ok;
    };
    std::size_t deleted = 0;  // the sources before this one are gone
    struct stat st {};
    auto base_name = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
    auto delete_up_to = [&](std::size_t end) {
      if (!sync()) return false;
      if (!looks) {
        for (; deleted < end; ++deleted)
          if (::unlink(sources[deleted].c_str()) != 0) return false;
        return true;
      }
      int dir = -1;
      std::string dir_path;
      bool ok = true;
      for (; ok && deleted < end; ++deleted) {
        const std::string folder = FolderOfPath(sources[deleted]);
        if (folder != dir_path) {
          if (dir >= 0) ::close(dir);
          dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
          dir_path = folder;
        }
        const std::string aside = ".~" + base_name(sources[deleted]) + ".aside";
        ok = dir >= 0 && ::fstatat(dir, base_name(targets[deleted]).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
             ::fstatat(dir, base_name(sources[deleted]).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
             ::renameat(dir, base_name(sources[deleted]).c_str(), dir, aside.c_str()) == 0 &&
             ::fstatat(dir, aside.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && ::unlinkat(dir, aside.c_str(), 0) == 0;
      }
      if (dir >= 0) ::close(dir);
      return ok;
    };
    auto create = [&](const std::string& path, std::size_t size) {
      int out = whole_names ? ::open(FolderOfPath(path).c_str(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0644)
                            : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (out < 0) return false;
      for (std::size_t left = size; left > 0;) {
        ssize_t n = ::write(out, buffer.data(), std::min(left, buffer.size()));
        if (n <= 0) return false;
        left -= static_cast<std::size_t>(n);
      }
      if (looks && ::fstat(out, &st) != 0) return false;
      // Linked by the descriptor itself where the kernel lets the opener
      // do so, else through /proc/self/fd, as the conversions link theirs.
      if (whole_names && ::linkat(out, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) != 0) {
        const std::string self = "/proc/self/fd/" + std::to_string(out);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
      }
      return ::close(out) == 0;
    };
    for (const std::string& folder : folders) {
      DIR* dir = ::opendir(folder.c_str());
      if (!dir) return false;
      while (::readdir(dir)) {
      }
      ::closedir(dir);
      if (folder_file > 0 && !create(folder + "/" + std::string(kPaleTileImageName), folder_file)) return false;
    }
    if (!made_folder.empty() && ::mkdir(made_folder.c_str(), 0755) != 0) return false;
    for (const auto& [path, size] : extras)
      if (!create(path, size)) return false;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (folder_looks && ::stat(FolderOfPath(sources[i]).c_str(), &st) != 0) return false;
      int in = ::open(sources[i].c_str(), O_RDONLY | O_CLOEXEC);
      if (in < 0) return false;
      if (looks && ::fstat(in, &st) != 0) return false;
      while (::read(in, buffer.data(), buffer.size()) > 0) {
      }
      ::close(in);
      if (!create(targets[i], sizes[i])) return false;
      if (!moved_to.empty() && ::rename(sources[i].c_str(), moved_to[i].c_str()) != 0) return false;
      if (moved_to.empty() && i + 1 - deleted >= group && !delete_up_to(i + 1)) return false;
    }
    if (moved_to.empty() ? !delete_up_to(sources.size()) : !sync()) return false;
    long long sum = 0;
    for (long k = 0; k < draws; ++k) sum += random.Number(1, 56);
    return sum >= draws;
  }
};

// The number of line ends (LF) in the file at `path`.
long LineEnds(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  long count = 0;
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
    count += std::count(buffer.data(), buffer.data() + in.gcount(), '\n');
  return count;
}

Contender CopyTree(const fs::path& from, const fs::path& to) {
  return {"cp -r",
          [from, to] {
            return RunChild({"cp", "-r", from.string(), to.string()}).ok;
          },
          [to] { MoveAside(to.string(), (to.parent_path() / "trash").string()); }};
}

}  // namespace

int main(int argc, char** argv) {
  const int scale = static_cast<int>(Argument(argc, argv, "scale", 1));
  const double single_mb = Argument(argc, argv, "single-mb", 0);
  ScratchFolder scratch_folder("convert");
  if (!scratch_folder.ok()) return 1;
  const fs::path scratch = scratch_folder.path();

  DiskContext run_in;
  run_in.state.DateText = "2024-5-7";
  Context& ctx = run_in.ctx;
  MemoryControls& ui = run_in.ui;
  Random& random = run_in.random;
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
  // The floor: list the folder, make the backup folder, write every file
  // ours writes besides the pages (the contents page and the images, as
  // many bytes), then read each text, write its page's bytes (as many as
  // ours wrote this round), move the text aside, and draw nine numbers for
  // the decoration of every line.
  long book_lines = 0;
  for (const auto& entry : fs::directory_iterator(pristine_book)) book_lines += LineEnds(entry.path()) + 1;
  // Three floors, as for the batch conversion below: plain, with
  // whole-file names, and with whole-file names and the looks that keep
  // every file (the folder by its path before each text, each file by its
  // descriptor).
  FileFloor book_floors[3];
  const char* book_floor_names[3] = {"floor", "floor, whole-file names", "floor, whole-file names and looks"};
  for (int kind : {0, 1, 2}) {
    const bool whole = kind > 0;
    const std::string suffix = kind == 2 ? "-looks" : whole ? "-whole" : "";
    book_run.push_back({book_floor_names[kind], [&, kind] { return book_floors[kind].Run(random); },
                        [&, kind, whole, suffix] {
                          const fs::path floor_book = scratch / ("book-floor" + suffix);
                          const fs::path floor_bak = scratch / ("bak-floor" + suffix);
                          LinkTree(pristine_book, floor_book);
                          MoveAside(floor_bak.string(), (scratch / "trash").string());
                          FileFloor& floor = book_floors[kind];
                          floor = {};
                          floor.folders = {floor_book.string()};
                          floor.made_folder = floor_bak.string();
                          for (std::string_view name :
                               {std::string_view("index.htm"), kDividerImageName, kPaperImageName, kBulletImageName}) {
                            std::error_code ec;
                            const std::string file(name);
                            floor.extras.emplace_back((floor_book / file).string(), fs::file_size(book / file, ec));
                          }
                          floor.whole_names = whole;
                          floor.looks = floor.folder_looks = kind == 2;
                          floor.draws = 9 * book_lines;
                          int i = 0;
                          for (const auto& entry : fs::directory_iterator(floor_book)) {
                            floor.sources.push_back(entry.path().string());
                            floor.targets.push_back((floor_book / PageFileName(i).c_str()).string());
                            std::error_code ec;
                            floor.sizes.push_back(fs::file_size(book / PageFileName(i++).c_str(), ec));
                            floor.moved_to.push_back((floor_bak / entry.path().filename()).string());
                          }
                        }});
  }
  ResetPeakMemory();  // the peak of the rounds, not of making their inputs
  // A small book takes a few tens of milliseconds, which the shared
  // machine's load moves by as much: more rounds steady the medians.
  RunInterleaved(book_run, book_files <= 125 ? 15 : 5);
  const std::string label = SizeLabel(single_mb, book_mb, book_files, "text", "texts of 20 KB");
  PrintRow("paged book, wrapping and decoration", {label, book_mb}, book_run[0], &book_run[1], OwnPeakMegabytes(),
           "<= 1.5, < 50 MB");
  PrintRow("floor of the paged book: read, write the pages' bytes, move, draw, sync", {label, book_mb}, book_run[2],
           &book_run[1], 0, "-");
  PrintRow("paged book, wrapping and decoration", {label, book_mb}, book_run[0], &book_run[2], 0, "<= 1.2");
  PrintRow("floor of the paged book with whole-file names (unnamed file, then link)", {label, book_mb}, book_run[3],
           &book_run[2], 0, "-");
  PrintRow("paged book against the floor with whole-file names", {label, book_mb}, book_run[0], &book_run[3], 0, "-");
  PrintRow("floor of the paged book with whole-file names and the looks that keep every file", {label, book_mb},
           book_run[4], &book_run[2], 0, "-");
  PrintRow("paged book against the floor with whole-file names and looks", {label, book_mb}, book_run[0], &book_run[4],
           0, "-");
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
  // The floor of both: read each file, create its counterpart with as many
  // bytes as ours writes, delete the file.
  // Three floors: plain, with whole-file names, and with whole-file names
  // and the looks that keep every file.
  FileFloor convert_floors[3], undo_floors[3];
  for (int kind : {0, 1, 2}) {
    const bool whole = kind > 0;
    const fs::path floor_top = scratch / (kind == 2 ? "tree-floor-looks" : whole ? "tree-floor-whole" : "tree-floor");
    FileFloor &convert_floor = convert_floors[kind], &undo_floor = undo_floors[kind];
    convert_floor.whole_names = undo_floor.whole_names = whole;
    convert_floor.looks = undo_floor.looks = convert_floor.folder_looks = kind == 2;
    undo_floor.group = static_cast<std::size_t>(tree_files / folders);  // the undo runs folder by folder
    for (int k = 0; k < folders; ++k) {
      const std::string folder = (floor_top / ("folder" + std::to_string(k))).string();
      convert_floor.folders.push_back(folder);
      undo_floor.folders.push_back(folder);
    }
    convert_floor.folder_file = PaleTileImage().bytes.size();
    for (const auto& entry : fs::recursive_directory_iterator(pristine_tree)) {
      if (!entry.is_regular_file()) continue;
      fs::path text = floor_top / fs::relative(entry.path(), pristine_tree), page = text;
      page.replace_extension(".htm");
      std::ifstream in(entry.path(), std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), {});
      convert_floor.sources.push_back(text.string());
      convert_floor.targets.push_back(page.string());
      convert_floor.sizes.push_back(FramedPage(ByteSet(bytes)).size());
      undo_floor.sources.push_back(page.string());
      undo_floor.targets.push_back(text.string());
      undo_floor.sizes.push_back(bytes.size());
    }
    const std::string names[3] = {"", ", whole-file names", ", whole-file names and looks"};
    tree_run.push_back({"floor" + names[kind], [&, kind] { return convert_floors[kind].Run(random); },
                        [&, floor_top] { LinkTree(pristine_tree, floor_top); }});
    tree_run.push_back({"undo floor" + names[kind], [&, kind] { return undo_floors[kind].Run(random); }});
  }
  // Ours again on one thread, in the same rounds: what every core gains.
  auto on_one_thread = [](const std::function<bool()>& run) {
    return [run] {
      const char* before = std::getenv("QUILLMERE_THREADS");
      const std::string kept = before ? before : "";
      ::setenv("QUILLMERE_THREADS", "1", 1);
      const bool ok = run();
      if (before) ::setenv("QUILLMERE_THREADS", kept.c_str(), 1);
      else ::unsetenv("QUILLMERE_THREADS");
      return ok;
    };
  };
  tree_run.push_back({"ours on 1 thread", on_one_thread(tree_run[0].run), tree_run[0].prepare});
  tree_run.push_back({"undo on 1 thread", on_one_thread(tree_run[1].run)});
  ResetPeakMemory();
  RunInterleaved(tree_run, tree_files <= 625 ? 15 : 5);
  const std::string tree_label = std::to_string(tree_files) + " texts of 10 KB";
  const double peak = OwnPeakMegabytes();
  PrintRow("batch conversion", {tree_label, tree_mb}, tree_run[0], &tree_run[2], peak, "<= 1.5, < 50 MB");
  PrintRow("undo of the batch conversion", {tree_label, tree_mb}, tree_run[1], &tree_run[2], peak, "<= 1.5, < 50 MB");
  PrintRow("floor of the batch conversion: read, create the page, sync, delete", {tree_label, tree_mb}, tree_run[3],
           &tree_run[2], 0, "-");
  PrintRow("floor of the undo: read, create the text, sync, delete", {tree_label, tree_mb}, tree_run[4], &tree_run[2],
           0, "-");
  PrintRow("batch conversion", {tree_label, tree_mb}, tree_run[0], &tree_run[3], 0, "<= 1.1");
  PrintRow("undo of the batch conversion", {tree_label, tree_mb}, tree_run[1], &tree_run[4], 0, "<= 1.1");
  PrintRow("floor of the batch conversion with whole-file names", {tree_label, tree_mb}, tree_run[5], &tree_run[2], 0,
           "-");
  PrintRow("floor of the undo with whole-file names", {tree_label, tree_mb}, tree_run[6], &tree_run[2], 0, "-");
  PrintRow("batch conversion against the floor with whole-file names", {tree_label, tree_mb}, tree_run[0], &tree_run[5],
           0, "-");
  PrintRow("undo against the floor with whole-file names", {tree_label, tree_mb}, tree_run[1], &tree_run[6], 0, "-");
  PrintRow("floor of the batch conversion with whole-file names and the looks that keep every file",
           {tree_label, tree_mb}, tree_run[7], &tree_run[2], 0, "-");
  PrintRow("floor of the undo with whole-file names and the looks that keep every file", {tree_label, tree_mb},
           tree_run[8], &tree_run[2], 0, "-");
  // What keeping every file costs by itself: where that floor is above
  // the plain one by more than 1.1, no conversion that never loses a file
  // meets 1.1 of the plain floor on one thread.
  PrintRow("floor with whole-file names and looks against the plain floor, batch conversion", {tree_label, tree_mb},
           tree_run[7], &tree_run[3], 0, "-");
  PrintRow("floor with whole-file names and looks against the plain floor, undo", {tree_label, tree_mb}, tree_run[8],
           &tree_run[4], 0, "-");
  PrintRow("batch conversion against the floor with whole-file names and looks", {tree_label, tree_mb}, tree_run[0],
           &tree_run[7], 0, "<= 1.1");
  PrintRow("undo against the floor with whole-file names and looks", {tree_label, tree_mb}, tree_run[1], &tree_run[8],
           0, "<= 1.1");
  PrintRow("batch conversion, every core against 1 thread", {tree_label, tree_mb}, tree_run[0], &tree_run[9], 0, "-");
  PrintRow("undo, every core against 1 thread", {tree_label, tree_mb}, tree_run[1], &tree_run[10], 0, "-");
  all_ok = all_ok && tree_run[0].ok && tree_run[1].ok;
  return all_ok ? 0 : 1;
}
