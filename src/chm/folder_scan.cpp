#include "chm/folder_scan.h"

#include <algorithm>
#include <vector>

#include "runtime/paths.h"

namespace qm {
namespace {

constexpr int kFolderImage = 0;
constexpr int kDocumentImage = 1;
constexpr int kFileAttributes = kReadOnly | kHidden | kSystem | kArchive;  // 39

// One scan collects its items as a block in tree order and adds them to the
// tree at the end in one step; `walk` holds the folders being scanned, so a
// link back to one of them is not entered again.
struct Scan {
  Context& ctx;
  std::vector<NewTreeItem> block;
  std::vector<FileId> walk;

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
    // without "." and "..") and files (filter 39).
    std::vector<DirectoryEntry> entries = ctx.fs.List({});
    if (!ctx.progress.Step(static_cast<long>(block.size()), 0, folder)) return false;
    for (const DirectoryEntry& entry : entries) {
      if ((entry.attributes & kDirectory) == 0 || entry.name == "." || entry.name == "..") continue;
      int node = Add("<" + entry.name + ">", kFolderImage, parent);
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
      if ((entry.attributes & kArchive) == 0 && (ctx.fs.Attributes(entry.name) & kDirectory) != 0) continue;
      Add(entry.name, kDocumentImage, parent);
    }

    if (identified) walk.pop_back();
    return true;
  }

  int Add(Text text, int image, int parent) {
    block.push_back({std::move(text), image, image, 0, parent});
    return static_cast<int>(block.size()) - 1;
  }
};

}  // namespace

bool ScanFolderIntoTree(Context& ctx, Text& folder, int parent) {
  Scan scan{ctx, {}, {}};
  bool entered = scan.Folder(folder, -1);
  if (!scan.block.empty()) ctx.tree.AddBlock(parent, std::move(scan.block));
  return entered;
}

}  // namespace qm
