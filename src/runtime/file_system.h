#pragma once
// The file system as the operations see it. Paths are GBK Texts with the
// native separator; a relative path is taken from the current directory.
// RealFileSystem talks to the system; VirtualFileSystem keeps everything in
// memory for tests and can be told to fail. A call that fails records why,
// for LastError.

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/file_error.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace qm {

/// Attribute bits as the Windows file search reports them.
enum Attribute : int {
  kReadOnly = 0x01,
  kHidden = 0x02,
  kSystem = 0x04,
  kDirectory = 0x10,
  kArchive = 0x20,
};

struct DirectoryEntry {
  Text name;          // bare name, no folder part
  int attributes;     // Attribute bits
  bool link = false;  // the entry itself is a symbolic link
};

/// Identifies a directory on disk, to notice a walk coming back to itself.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
  friend auto operator<=>(const FileId&, const FileId&) = default;
};

/// What a file was when it was read: a later look that finds anything
/// else (another file under the name, or the file written since) tells
/// that it changed. The change time is kept besides the modification
/// time, which any program may set back after rewriting the file.
struct FileStamp {
  std::uint64_t inode = 0;
  long long size = -1;
  long long modified = -1;
  long long changed = -1;  // of the entry's status; -1 where a file system keeps none
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// The stamp the file had when the last successful Read opened it.
  FileStamp LastReadStamp() const { return last_read_stamp_; }

  /// The stamp of the file the last PutWhole gave its name to, read from
  /// the file itself once written (its change time, which giving it its
  /// name moves, from the name just after); inode 0 when that PutWhole
  /// placed none.
  FileStamp LastPlacedStamp() const { return last_placed_stamp_; }

  /// Reads the whole file into `out`. False, with `out` empty, on any
  /// failure (missing, a directory, unreadable).
  virtual bool Read(const Text& path, std::string* out) = 0;

  /// Read for a path that must not be a symbolic link: false (ELOOP) when
  /// it is one, even one put there since it was looked at. By default the
  /// path is looked at first.
  virtual bool ReadNoLink(const Text& path, std::string* out) {
    out->clear();
    if (IsLink(path)) {
      SetLastError({ELOOP});
      return false;
    }
    return Read(path, out);
  }

  /// Reads at most `length` bytes starting at byte `offset` into `out`:
  /// fewer at the end of the file, none past it. For reading a large file
  /// in pieces. False, with `out` empty, on any failure (as Read).
  virtual bool ReadPart(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) = 0;

  /// ReadPart for a path that must not be a symbolic link: false (ELOOP)
  /// when it is one, even one put there since it was looked at. By default
  /// the path is looked at first.
  virtual bool ReadPartNoLink(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) {
    out->clear();
    if (IsLink(path)) {
      SetLastError({ELOOP});
      return false;
    }
    return ReadPart(path, offset, length, out);
  }

  /// True when the regular file `path` can be opened for reading: asked
  /// before a file is read, more cheaply than reading it. By default its
  /// first byte is read. False, with the reason recorded, when not.
  virtual bool MayRead(const Text& path) {
    std::string first;
    return ReadPart(path, 0, 1, &first);
  }

  /// Adds `data` at the end of an existing regular file. False when there
  /// is no such file, it is a link (never followed) or read-only, or not
  /// every byte was written. For writing a large file in pieces.
  virtual bool Append(const Text& path, std::string_view data) = 0;

  /// Creates the file or truncates it, then writes `data`. False when the
  /// path is empty, the file cannot be opened, or not every byte was written.
  /// Never writes through a link at `path`, and refuses a read-only file.
  virtual bool Write(const Text& path, std::string_view data) = 0;

  /// Creates a new file exclusively and writes `data`. False, with nothing
  /// created, when anything (a dangling link included) is already at
  /// `path` or a write fails; links are never followed.
  virtual bool CreateNew(const Text& path, std::string_view data) = 0;

  /// How PutWhole ended.
  enum class Placed {
    kDone,         // `path` holds exactly `data`
    kTaken,        // something is at `path`: nothing was changed
    kFailed,       // a write failed: nothing was changed
    kUnsupported,  // not possible here: nothing was changed
  };

  /// Gives `path`, which must be free, a new file holding `data` in one
  /// step, so that the name never holds part of it even if the program is
  /// killed midway; links are never followed. Where the file system cannot
  /// do that, kUnsupported: the caller writes a temporary file of its own
  /// and renames it.
  virtual Placed PutWhole(const Text& path, std::string_view data) {
    (void)path;
    (void)data;
    return Placed::kUnsupported;
  }

  /// True when the entry at `path` is itself a symbolic link (not followed).
  virtual bool IsLink(const Text& path) = 0;

  /// The absolute path of `path` with every link resolved; empty when it
  /// does not exist.
  virtual Text RealPath(const Text& path) = 0;

  /// Attribute bits (masked with 0x37) of the entry, or -1 when it does not
  /// exist.
  virtual int Attributes(const Text& path) = 0;

  /// Every entry of `folder` (empty: the current directory), "." and ".."
  /// first, then the rest in the order NTFS lists them. Empty when the folder
  /// cannot be read, with the reason recorded.
  virtual std::vector<DirectoryEntry> List(const Text& folder) = 0;

  /// As List, except that folders and regular files may come without the
  /// read-only bit: finding it costs a look at every entry, which a walk
  /// through a large tree, asking only what each entry is, does without.
  virtual std::vector<DirectoryEntry> ListKinds(const Text& folder) { return List(folder); }

  /// Renames or moves a file or folder. Fails, changing nothing, when
  /// `to` already exists.
  virtual bool Rename(const Text& from, const Text& to) = 0;

  /// One new name for RenameIn, and what came of it.
  struct NameChange {
    Text from;  // bare names, no folder part
    Text to;
    FileError error;  // code 0: renamed
  };

  /// Renames each of `changes` inside the folder `folder`, in order, as
  /// Rename does (never onto a name in use), while that folder is the one
  /// `id` names (else the error is ESTALE). A name that is empty, "." or
  /// "..", or holds a separator, is refused (kUnusableName). The folder is found
  /// once; a file system that can hold it open (RealFileSystem) renames
  /// inside the folder so found, so that nothing is renamed in one that
  /// took its place afterwards (through a link leading elsewhere, say).
  virtual void RenameIn(const Text& folder, const FileId& id, std::vector<NameChange>& changes) {
    FileId now;
    const bool same = Identify(folder.empty() ? Text(".") : folder, &now) && now == id;
    for (NameChange& change : changes) {
      if (!same) change.error = FileError{ESTALE};
      else if (!PlainName(change.from) || !PlainName(change.to)) change.error = FileError{kUnusableName};
      else if (!Rename(JoinPath(folder, change.from), JoinPath(folder, change.to))) change.error = LastError();
    }
  }

  /// True when `name` names an entry of a folder itself: not empty, "." or
  /// "..", and without a separator.
  static bool PlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find(kPathSeparator) == std::string_view::npos;
  }

  /// Renames `from` onto `to`, replacing a file there in one step (a link
  /// there is replaced itself, never followed; a read-only file is not
  /// replaced). Used to put a completely written temporary file into place.
  virtual bool ReplaceWith(const Text& from, const Text& to) = 0;

  /// Deletes a file (not a folder); a link is removed, never followed. A
  /// read-only file is not deleted.
  virtual bool Delete(const Text& path) = 0;

  /// Deletes the file at `path` as Delete does, but only while its stamp is
  /// still `expected`: otherwise nothing is deleted and the error is
  /// kChangedSinceRead.
  virtual bool DeleteUnchanged(const Text& path, const FileStamp& expected) {
    if (Stamp(path) != expected) {
      SetLastError(FileError{kChangedSinceRead});
      return false;
    }
    return Delete(path);
  }

  /// One file for DeleteUnchangedIn, and what came of it.
  struct UnchangedFile {
    Text path;
    FileStamp expected;
    /// The file in the same folder that replaces it, when there is one: it
    /// goes only while that one is there too, as written (`copy_stamp`).
    Text copy;
    FileStamp copy_stamp;
    FileError error;  // code 0: deleted
  };

  /// Deletes each of `files`, which all lie in the folder `folder`, as
  /// DeleteUnchanged does, while that folder is the one `id` names (else
  /// the error is ESTALE) and a file's copy is beside it as written (else
  /// kCopyChanged: the copy was changed, moved or deleted, or went to
  /// another folder that took this one's place for a moment). The folder
  /// is found once; a file system that can hold it open (RealFileSystem)
  /// deletes inside the folder so found, so that one swapped afterwards for
  /// another (a link leading elsewhere, say) loses nothing, however late
  /// the swap. The files may go in any order, on several threads where
  /// deleting waits for the disk (one when QUILLMERE_THREADS is 1).
  virtual void DeleteUnchangedIn(const Text& folder, const FileId& id, std::vector<UnchangedFile>& files) {
    FileId now;
    const bool same = Identify(folder.empty() ? Text(".") : folder, &now) && now == id;
    for (UnchangedFile& file : files) {
      if (!same) file.error = FileError{ESTALE};
      else if (!file.copy.empty() && !AsWritten(Stamp(file.copy), file.copy_stamp))
        file.error = FileError{kCopyChanged};
      else if (!DeleteUnchanged(file.path, file.expected)) file.error = LastError();
    }
  }

  /// True when the file stamped `now` is still the one stamped `written`
  /// once written: a file, with nothing about it changed since.
  static bool AsWritten(const FileStamp& now, const FileStamp& written) { return now.inode != 0 && now == written; }

  /// Creates one folder level. Fails when it exists or its parent is missing.
  virtual bool CreateDirectory(const Text& path) = 0;

  /// Removes an empty folder; fails on anything else (a link, a file, a
  /// folder that still holds entries).
  virtual bool RemoveDirectory(const Text& path) = 0;

  /// Sets the current directory used for relative paths.
  virtual bool ChangeDirectory(const Text& path) = 0;

  /// The current directory, as an absolute path.
  virtual Text CurrentDirectory() = 0;

  /// The identity of the directory at `path` (links followed). False when
  /// there is none.
  virtual bool Identify(const Text& path, FileId* id) = 0;

  /// Identify for a path whose last part must be a folder itself, never a
  /// link to one: false when a link (or anything but a folder) is there,
  /// even one put there since it was listed. By default it is looked at
  /// first.
  virtual bool IdentifyFolderNoLink(const Text& path, FileId* id) { return !IsLink(path) && Identify(path, id); }

  /// When the entry was last written, in nanoseconds of some clock that only
  /// grows; -1 when it does not exist.
  virtual long long ModifiedTime(const Text& path) = 0;

  /// The stamp of the entry at `path` (a link itself, not what it leads
  /// to); the empty stamp when nothing is there.
  virtual FileStamp Stamp(const Text& path) = 0;

  /// While deferred (calls nest), Rename and ReplaceWith no longer put each
  /// file's data on the disk before renaming it to a free name: an
  /// operation writing many files calls SyncAll once instead, before it
  /// deletes any original whose copy it wrote meanwhile. A rename that
  /// replaces a file still syncs first (the file replaced would be lost
  /// with an empty new one). A file system that caches nothing ignores it.
  virtual void DeferSyncs(bool deferred) { (void)deferred; }

  /// Puts everything written so far on the file system holding `folder` on
  /// the disk; false when that failed (nothing written since may then be
  /// taken as safe).
  virtual bool SyncAll(const Text& folder) {
    (void)folder;
    return true;
  }

  /// Another handle on the same files for another thread, usable while
  /// this one is in use: it keeps its own LastError and stamps, and defers
  /// syncs as this one does now. Null where the files cannot be reached from
  /// two threads at once (VirtualFileSystem) or where every call must come
  /// to this object (one that watches its calls): the caller stays on one
  /// thread.
  virtual std::unique_ptr<FileSystem> ForAnotherThread() { return nullptr; }

  /// Why the most recent call that failed (answered false, kFailed, -1 or
  /// an empty result for a path that was asked about) failed; code 0 when
  /// none has. Calls that succeed leave it as it is.
  FileError LastError() const { return last_error_; }

  /// Records `error` as the reason of the latest failure: for the
  /// implementations, and for an operation built of several calls that
  /// cleans up after one failed and reports that one's reason.
  void SetLastError(FileError error) { last_error_ = error; }

 protected:
  /// Records the errno `code` (EIO when it is 0) and returns false.
  bool Fail(int code) {
    last_error_.code = code != 0 ? code : EIO;
    return false;
  }

 private:
  FileError last_error_;

 protected:
  FileStamp last_read_stamp_;    // set by each successful Read
  FileStamp last_placed_stamp_;  // set by each PutWhole
};

}  // namespace qm
