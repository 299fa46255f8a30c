#pragma once
// The file system of the machine. GBK path Texts are converted to UTF-8
// names at each system call; names read from folders are converted back
// losslessly (see encoding.h).

#include "runtime/file_system.h"

namespace qm {

class RealFileSystem : public FileSystem {
 public:
  /// `durable`: a file's data is put on the disk before Rename or
  /// ReplaceWith gives it another name, so that a power cut never leaves an
  /// empty file under the new name. Only a test that kills the program
  /// (which keeps what the system caches) goes without.
  explicit RealFileSystem(bool durable = true) : durable_(durable) {}

  bool Read(const Text& path, std::string* out) override;
  bool ReadPart(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) override;
  /// Opened with O_NOFOLLOW: no look between the check and the read.
  bool ReadPartNoLink(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) override;
  bool ReadNoLink(const Text& path, std::string* out) override;
  /// One access check (effective ids), without opening the file.
  bool MayRead(const Text& path) override;
  bool Append(const Text& path, std::string_view data) override;
  bool Write(const Text& path, std::string_view data) override;
  bool CreateNew(const Text& path, std::string_view data) override;
  Placed PutWhole(const Text& path, std::string_view data) override;
  bool IsLink(const Text& path) override;
  Text RealPath(const Text& path) override;
  int Attributes(const Text& path) override;
  std::vector<DirectoryEntry> List(const Text& folder) override;
  std::vector<DirectoryEntry> ListKinds(const Text& folder) override;
  bool Rename(const Text& from, const Text& to) override;
  void RenameIn(const Text& folder, const FileId& id, std::vector<NameChange>& changes) override;
  bool ReplaceWith(const Text& from, const Text& to) override;
  bool Delete(const Text& path) override;
  bool DeleteUnchanged(const Text& path, const FileStamp& expected) override;
  void DeleteUnchangedIn(const Text& folder, const FileId& id, std::vector<UnchangedFile>& files) override;
  bool RemoveDirectory(const Text& path) override;
  bool CreateDirectory(const Text& path) override;
  bool ChangeDirectory(const Text& path) override;
  Text CurrentDirectory() override;
  bool Identify(const Text& path, FileId* id) override;
  /// One look that does not follow a link (lstat).
  bool IdentifyFolderNoLink(const Text& path, FileId* id) override;
  long long ModifiedTime(const Text& path) override;
  FileStamp Stamp(const Text& path) override;
  void DeferSyncs(bool deferred) override;
  bool SyncAll(const Text& folder) override;
  /// A copy of this one; none for a class derived from it, which may watch
  /// each call.
  std::unique_ptr<FileSystem> ForAnotherThread() override;

 private:
  bool ReadWhole(const Text& path, std::string* out, int flags);
  bool ReadPartOpened(const Text& path, std::uint64_t offset, std::size_t length, std::string* out, int open_flags);
  bool SyncsEachFile() const { return durable_ && deferred_ == 0; }
  // List or ListKinds; a folder that cannot be opened gives no entries and
  // records why, for LastError.
  std::vector<DirectoryEntry> ListRecordingFailure(const Text& folder, bool read_only_bits);

  bool durable_;
  int deferred_ = 0;  // DeferSyncs(true) calls not yet ended
};

/// Attribute bits for a stat result and a bare name (hidden when the name
/// begins with "." and is not "." or "..").
int AttributesFromMode(unsigned mode, std::string_view name);

/// Sorts entries the way NTFS lists a folder: "." and ".." first, then by
/// ordinal comparison of the upper-cased UTF-16 names.
void SortLikeNtfs(std::vector<DirectoryEntry>* entries);

}  // namespace qm
