#include "chm/folder_scan.h"

#include <algorithm>
#include <vector>

#include "chm/tree_paths.h"
#include "runtime/file_ops.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"

namespace qm {
namespace {

constexpr int kFileAttributes = kReadOnly | kHidden | kSystem | kArchive;  // 39

// One scan collects its items as a block in tree order and adds them to the
// tree at the end in one step; `walk` holds the folders being scanned, so a
// link back to one of them is not entered again.
struct Scan {
  Context& ctx;
  std::vector<NewTreeItem> block;
  std::vector<FileId> walk;
  Text root;                    // the scanned folder
  std::vector<Text>* left_out;  // names kept out of the tree, may be null

  // False, noting the name, for an entry that must not become an item: a
  // name with a line break would add lines to the project and contents
  // files, and a link leading out of the folder would put files from
  // elsewhere into the book.
  bool Admissible(const Text& folder, const DirectoryEntry& entry) {
    // A temporary file left by a write that was cut off is no page.
    if (IsTemporaryName(entry.name)) return false;
    bool fine = !HoldsLineBreak(entry.name) && (!entry.link || InsideFolder(ctx.fs, entry.name, root));
    if (!fine && left_out) left_out->push_back(folder + entry.name);
    return fine;
  }

  // Scans `folder` with its items hanging off block item `parent` (-1: the
  // item the block goes below).
  bool Folder(Text& folder, int parent) {
    if (!EndsWith(folder, kPathSeparatorText)) folder += kPathSeparator;
    if (!ctx.fs.ChangeDirectory(folder)) return false;
    FileId id;
    bool identified = ctx.fs.Identify(".", &id);
    if (identified && std::find(walk.begin(), walk.end(), id) != walk.end()) return false;
    if (identified) walk.push_back(id);

    // One listing serves both searches: sub-folders (attribute filter 16,
    // without "." and "..") and files (filter 39). A regular file always
    // passes the file filter by its archive bit, so the listing need not
    // say which entries are read-only.
    std::vector<DirectoryEntry> entries = ctx.fs.ListKinds({});
    if (!ctx.progress.Step(static_cast<long>(block.size()), 0, folder)) return false;
    for (const DirectoryEntry& entry : entries) {
      if ((entry.attributes & kDirectory) == 0 || entry.name == "." || entry.name == "..") continue;
      if (!Admissible(folder, entry)) continue;
      int node = Add(FolderItem(entry.name, parent));
      Text kept = folder;
      Text sub = folder + entry.name;
      Folder(sub, node);
      ctx.fs.ChangeDirectory(kept);
      if (ctx.progress.Stopped()) break;
    }
    for (const DirectoryEntry& entry : entries) {
      if ((entry.attributes & kFileAttributes) == 0 || (entry.attributes & kDirectory) != 0) continue;
      // A listed regular file is what it claims; anything else (a link that
      // leads nowhere, say) is looked at again, and a path that cannot be
      // read counts as a folder, so it is left out.
      if ((entry.attributes & kArchive) == 0 && IsFolderOrNothing(ctx.fs, entry.name)) continue;
      if (!Admissible(folder, entry)) continue;
      Add(PageItem(entry.name, parent));
    }

    if (identified) walk.pop_back();
    return true;
  }

  int Add(NewTreeItem item) {
    block.push_back(std::move(item));
    return static_cast<int>(block.size()) - 1;
  }
};

}  // namespace

bool HoldsLineBreak(const Text& name) { return name.find_first_of("\r\n") != Text::npos; }

bool ScanFolderIntoTree(Context& ctx, Text& folder, int parent, std::vector<Text>* left_out) {
  Scan scan{ctx, {}, {}, folder, left_out};
  bool entered = scan.Folder(folder, -1);
  if (!scan.block.empty()) ctx.tree.AddBlock(parent, std::move(scan.block));
  return entered;
}

}  // namespace qm
