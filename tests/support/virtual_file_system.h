#pragma once
// An in-memory file system for tests. Paths use "/" and start at "/"; the
// current directory starts at "/". Every call is recorded, and any call can
// be made to fail, to show what an operation does when the disk misbehaves.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace qm {

class VirtualFileSystem : public FileSystem {
 public:
  VirtualFileSystem();

  // Setting up.
  /// Creates a file (and its parent folders) with `data`.
  void AddFile(const Text& path, std::string_view data, bool read_only = false);
  /// Creates a folder and its parents.
  void AddDirectory(const Text& path);
  /// Marks an existing entry read-only: writes, deletes and renames of it
  /// fail, and for a folder so do creating and removing entries in it.
  void SetReadOnly(const Text& path, bool read_only = true);
  /// Makes a file unreadable.
  void SetUnreadable(const Text& path, bool unreadable = true);

  // Inspecting.
  bool Exists(const Text& path) const;
  bool IsDirectory(const Text& path) const;
  /// The contents of a file; empty when it is missing.
  std::string Contents(const Text& path) const;
  /// Every file path with its contents.
  std::map<Text, std::string> Files() const;

  /// When set, called before each call with the call's name ("read",
  /// "write", "append", "rename", "replace", "delete", "mkdir", "chdir", "list") and
  /// its first path; returning true makes that call fail without effect.
  std::function<bool(std::string_view call, const Text& path)> fail;

  /// When set, limits the number of bytes all files together may hold: a
  /// write that would go beyond it writes what fits and fails (a full disk).
  long long capacity = -1;
  /// With it, PutWhole writes a file unnamed and gives it its name in one
  /// step, as RealFileSystem does: the name is that of `path` as it leads
  /// once the data is written.
  bool unnamed_files = false;

  /// The calls made, as "call path" lines.
  std::vector<std::string> log;

  /// A power cut: what only the cache held is gone. A file written since
  /// the last SyncAll and not put on the disk by a rename outside
  /// DeferSyncs (as the real disk's renames do) is left empty, as a
  /// delayed-allocation file system leaves it.
  void PowerCut();

  bool Read(const Text& path, std::string* out) override;
  bool ReadPart(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) override;
  bool Append(const Text& path, std::string_view data) override;
  bool Write(const Text& path, std::string_view data) override;
  bool CreateNew(const Text& path, std::string_view data) override;
  bool IsLink(const Text& path) override;
  Text RealPath(const Text& path) override;
  int Attributes(const Text& path) override;
  std::vector<DirectoryEntry> List(const Text& folder) override;
  bool Rename(const Text& from, const Text& to) override;
  bool ReplaceWith(const Text& from, const Text& to) override;
  bool Delete(const Text& path) override;
  Placed PutWhole(const Text& path, std::string_view data) override;
  void DeleteUnchangedIn(const Text& folder, const FileId& id, std::vector<UnchangedFile>& files) override;
  bool RemoveDirectory(const Text& path) override;
  bool CreateDirectory(const Text& path) override;
  bool ChangeDirectory(const Text& path) override;
  Text CurrentDirectory() override;
  bool Identify(const Text& path, FileId* id) override;
  long long ModifiedTime(const Text& path) override;
  FileStamp Stamp(const Text& path) override;
  void DeferSyncs(bool deferred) override { deferred_ += deferred ? 1 : (deferred_ > 0 ? -1 : 0); }
  bool SyncAll(const Text& folder) override;

  /// The absolute, normalised form of `path` ("." and ".." resolved).
  Text Absolute(const Text& path) const;

 private:
  struct Node {
    bool directory = false;
    bool read_only = false;
    bool unreadable = false;
    std::string data;
    std::uint64_t inode = 0;
    long long modified = 0;
    bool cached = false;  // written, and not yet on the disk
  };
  bool Fails(std::string_view call, const Text& path);
  /// 0 when entries may be made and removed in the folder holding `abs`,
  /// else why not (ENOENT, EACCES).
  int ParentRefusal(const Text& abs) const;
  /// 0 when the file at `abs` may be read (or, `writing`, changed), else
  /// why not (ENOENT, EISDIR, EACCES).
  int FileRefusal(const Text& abs, bool writing) const;
  long long UsedBytes() const;

  std::map<Text, Node> nodes_;  // absolute path -> entry; "/" is the root
  Text cwd_ = "/";
  std::uint64_t next_inode_ = 1;
  long long clock_ = 0;  // grows with every write
  int deferred_ = 0;     // DeferSyncs(true) calls not yet ended
};

}  // namespace qm
