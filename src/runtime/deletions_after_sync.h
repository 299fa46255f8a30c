#pragma once
// Deletions that wait until the copies that replace the deleted files are
// on the disk.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "runtime/file_error.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// Deletes originals whose copies were written under deferred syncs
/// (DeferredSyncs), many at a time: before the first deletion of each
/// group one SyncAll puts the copies on the disk, so that a power cut never
/// finds an original gone and its copy empty. Syncing fails: the originals
/// stay, and are named as failed.
class DeletionsAfterSync {
 public:
  explicit DeletionsAfterSync(FileSystem& fs) : fs_(fs) {}

  /// Deletes `path` with the next group, unless its folder is by then
  /// another one than now (then it stays, failed with ESTALE) or the file
  /// there is no longer the one `read` stamps (another file swapped in, or
  /// the file written since it was read: then it stays, failed with
  /// kChangedSinceRead), so that nothing is deleted that was not copied.
  /// With `copy` (the file that replaces it, in the same folder), `path`
  /// goes only while the file `copy_stamp` stamps as written is there
  /// under that name: a copy changed, moved or deleted since, or written
  /// into another folder that took this one's place for a moment, leaves
  /// the original where it is (failed with kCopyChanged). With
  /// `folder`, the identity the caller found its folder to have when it
  /// listed it, that folder is the one kept to instead of the one found at
  /// the path now: a folder swapped for a link leading elsewhere just as
  /// its file is added makes nothing there go.
  void Add(Text path, FileStamp read, Text copy = {}, FileStamp copy_stamp = {}, const FileId* folder = nullptr);

  /// An original that stays, and why.
  struct Failed {
    Text path;
    FileError why;
  };

  /// Syncs the file system holding `folder` (where the copies of the group
  /// are) and deletes what was added; returns the paths that could not be
  /// deleted (all of them when syncing failed), each with the reason.
  std::vector<Failed> Finish(const Text& folder);

  /// True when so many deletions wait that the group should be finished.
  bool Full() const { return waiting_.size() >= kGroupSize; }

 private:
  static constexpr std::size_t kGroupSize = 1024;
  // A group that spans at least this many folders deletes on every core.
  static constexpr std::size_t kFoldersWorthThreads = 4;
  FileSystem& fs_;
  // Each path with the identity its folder had when it was added: a folder
  // swapped meanwhile (for a link leading elsewhere, say) loses nothing.
  struct Waiting {
    FileSystem::UnchangedFile file;
    FileId folder;
  };
  std::vector<Waiting> waiting_;
  Text last_folder_;  // the folder of the last path added, and its identity
  FileId last_id_;
};

}  // namespace qm
