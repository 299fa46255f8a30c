#pragma once
// File operations built on a FileSystem: whole-file reads, safe writes and
// the wildcard file search.

#include <string>
#include <string_view>
#include <vector>

#include "runtime/byte_set.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// Creates or truncates `path` and writes the parts in order. False when the
/// path is empty or the write fails.
bool WriteToFile(FileSystem& fs, const Text& path, std::string_view data);

/// Writes `data` to a temporary file beside `path` (created exclusively
/// under an unpredictable name) and then puts it in place in one step, so
/// that an existing file at `path` is replaced only by a completely written
/// one. Refuses, changing nothing, when `path` is a link (never followed,
/// never replaced), a read-only file or a folder. On failure the temporary
/// file is removed and `path` is left as it was.
bool WriteFileSafely(FileSystem& fs, const Text& path, std::string_view data);

/// Creates `path` holding `data` through a temporary file beside it that
/// takes the name only when complete, so that the name never holds a
/// partial file, even when the program is killed midway. Nothing is
/// replaced: false, with nothing created, when anything (a dangling link
/// included) is at `path` or the write fails.
bool CreateFileSafely(FileSystem& fs, const Text& path, std::string_view data);

/// Writes a file in pieces with the guarantees of WriteFileSafely, for
/// results too large to hold whole: the pieces go to a temporary file
/// beside the path, which takes the path's place only on Commit. When the
/// path is refused, a write fails, or the writer is destroyed without a
/// successful Commit, the temporary file is removed and the path is left as
/// it was; Add and Commit then return false.
class SafeFileWriter {
 public:
  SafeFileWriter(FileSystem& fs, Text path);
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  /// False once anything has failed.
  bool ok() const { return !temp_.empty(); }
  /// Adds `data` after what was added before (kept in memory up to about a
  /// megabyte, then written).
  bool Add(std::string_view data);
  /// Writes what is pending and puts the file in place.
  bool Commit();

 private:
  static constexpr std::size_t kPieceSize = 1 << 20;
  bool Flush();
  FileSystem& fs_;
  Text path_;
  Text temp_;  // empty once failed or committed
  std::string pending_;
};

/// Defers the per-file syncs of `fs` for its own lifetime (see
/// FileSystem::DeferSyncs): for operations that write many files and
/// call SyncAll before they delete an original or drop their record of a
/// run.
class DeferredSyncs {
 public:
  explicit DeferredSyncs(FileSystem& fs) : fs_(fs) { fs_.DeferSyncs(true); }
  ~DeferredSyncs() { fs_.DeferSyncs(false); }
  DeferredSyncs(const DeferredSyncs&) = delete;
  DeferredSyncs& operator=(const DeferredSyncs&) = delete;

 private:
  FileSystem& fs_;
};

/// True when `path` exists and its real path (links resolved) is `folder`'s
/// real path or lies below it.
bool InsideFolder(FileSystem& fs, const Text& path, const Text& folder);

/// The same for the folder whose identity is `folder`.
bool InsideFolder(FileSystem& fs, const Text& path, const FileId& folder);

/// The search filter "no filter": only entries that are not directories.
inline constexpr int kNoFilter = -1;

/// The bare names of the entries that `pattern` (a folder part, the native
/// separator and a wildcard name; or just a wildcard name for the current
/// directory) matches, in listing order. Without a filter only entries that
/// are not directories come back. With a filter, it is masked with 0x37 and
/// an entry comes back when its attributes share a bit with it (16: folders
/// with "." and ".."). A pattern whose name part has no wildcard is looked
/// up directly.
std::vector<Text> FindFiles(FileSystem& fs, const Text& pattern, int filter = kNoFilter);

/// Like FindFiles, with each entry's attributes.
std::vector<DirectoryEntry> FindEntries(FileSystem& fs, const Text& pattern, int filter = kNoFilter);

/// The entries of a folder's `listing` that FindEntries would give for the
/// wildcard name `name_pattern` and `filter`: a walk that asks several
/// questions of one folder lists it once (with FileSystem::ListKinds
/// where it needs no read-only bits).
std::vector<DirectoryEntry> MatchingEntries(const std::vector<DirectoryEntry>& listing, const Text& name_pattern,
                                            int filter = kNoFilter);

/// True when a search for `pattern` finds at least one entry of any kind.
bool FileExists(FileSystem& fs, const Text& pattern);

}  // namespace qm
