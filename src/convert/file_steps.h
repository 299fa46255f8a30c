#pragma once
// File steps that put a file's contents somewhere else and remove the
// original only once the new copy is complete, so that a failed or short
// write never costs the original.

#include <string_view>
#include <utility>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

struct FileStep {
  bool copied = false;   // the new file is completely in place
  bool removed = false;  // the original is gone
};

/// Moves the file `from` to `to`, replacing a file there. `contents` must be
/// the bytes just read from `from`: when the file cannot simply be renamed
/// (another file system), they are written to `to` through a temporary file
/// and `from` is deleted afterwards. When nothing could be put at `to`,
/// `from` is left untouched.
FileStep MoveFileSafely(FileSystem& fs, const Text& from, const Text& to, std::string_view contents);

/// Writes `contents` to `target` through a temporary file, replacing a file
/// there, and then deletes `source` unless `keep_source` is set. `source` is
/// untouched when the write fails.
FileStep WriteThenDelete(FileSystem& fs, const Text& target, std::string_view contents, const Text& source,
                         bool keep_source = false);

/// Deletes originals whose copies were written under deferred syncs
/// (DeferredSyncs), many at a time: before the first deletion of each
/// group one SyncAll puts the copies on the disk, so that a power cut never
/// finds an original gone and its copy empty. Syncing fails: the originals
/// stay, and are named as failed.
class DeletionsAfterSync {
 public:
  explicit DeletionsAfterSync(FileSystem& fs) : fs_(fs) {}

  /// Deletes `path` with the next group.
  void Add(Text path);

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
  FileSystem& fs_;
  std::vector<Text> waiting_;
};

/// Creates `target` holding `contents` (CreateFileSafely: never partial
/// under its name) and then has
/// `source` deleted by `deletions` (FileStep::removed stays false). Nothing is replaced: when
/// anything (a link included) is at `target`, or the write fails, nothing is
/// created there and `source` is untouched; except that a file at `target`
/// that already holds exactly `contents` (left by a run cut off before it
/// deleted `source`) counts as the copy.
FileStep CreateThenDeleteLater(FileSystem& fs, const Text& target, std::string_view contents, const Text& source,
                               DeletionsAfterSync& deletions);

/// Writes `contents` to `path` through a temporary file (WriteFileSafely),
/// so that the name never holds a partial file and a file in the way is
/// replaced only by a completely written one.
bool WriteNewOrReplace(FileSystem& fs, const Text& path, std::string_view contents);

}  // namespace qm
