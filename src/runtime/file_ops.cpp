#include "runtime/file_ops.h"

#include <cerrno>
#include <utility>

#include "runtime/encoding.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"
#include "runtime/wildcard.h"

namespace qm {

bool WriteToFile(FileSystem& fs, const Text& path, std::string_view data) {
  if (path.empty()) return false;
  return fs.Write(path, data);
}

namespace {

// False, with the reason recorded, when `path` is what a write never
// replaces: a link (never followed), a read-only file or a folder.
bool MayReplace(FileSystem& fs, const Text& path) {
  const FileError before = fs.LastError();  // looking is no failure
  if (fs.IsLink(path)) {
    fs.SetLastError({EEXIST});
    return false;
  }
  int attributes = fs.Attributes(path);
  fs.SetLastError(before);
  if (attributes == -1 || (attributes & (kReadOnly | kDirectory)) == 0) return true;
  fs.SetLastError({(attributes & kDirectory) != 0 ? EISDIR : EACCES});
  return false;
}

// Creates, exclusively and beside `path`, a temporary file holding `data`
// and returns its name; empty when the file cannot be made or, when
// `replacing`, `path` is refused (a link, a read-only file, a folder). A
// file that is only to be created needs no look: its rename never
// replaces anything.
Text CreateTemporaryBeside(FileSystem& fs, const Text& path, std::string_view data, bool replacing = true) {
  if (path.empty() || (replacing && !MayReplace(fs, path))) return Text();
  Text folder = FolderOf(path);
  // A name that is somehow taken is drawn again; a write that fails ends
  // the attempt.
  for (int attempt = 0; attempt < 8; ++attempt) {
    Text temp = folder.empty() ? TemporaryName(NameOf(path)) : JoinPath(folder, TemporaryName(NameOf(path)));
    HoldTemporaryFile(fs, temp);
    if (fs.CreateNew(temp, data)) return temp;
    ReleaseTemporaryFile(temp);
    const FileError why = fs.LastError();
    const bool taken = fs.Attributes(temp) != -1 || fs.IsLink(temp);
    fs.SetLastError(why);
    if (!taken) return Text();
  }
  return Text();
}

// True when a search with `filter` gives an entry of `attributes`.
bool WantedByFilter(int attributes, int filter) {
  if (filter == kNoFilter) return (attributes & kDirectory) == 0;
  return (attributes & (filter & 0x37)) != 0;
}

// Puts the complete temporary file `temp` at `path` (replacing a file there
// when `replace`), or removes it.
bool PutInPlace(FileSystem& fs, const Text& temp, const Text& path, bool replace) {
  bool ok = replace ? fs.ReplaceWith(temp, path) : fs.Rename(temp, path);
  if (!ok) {
    const FileError why = fs.LastError();
    fs.Delete(temp);
    fs.SetLastError(why);
  }
  ReleaseTemporaryFile(temp);
  return ok;
}

}  // namespace

bool WriteFileSafely(FileSystem& fs, const Text& path, std::string_view data) {
  if (path.empty()) return false;
  // A free name takes the file in one step, with nothing there to look at;
  // a file in the way is replaced by a temporary one, unless it is what
  // is never replaced.
  const FileSystem::Placed placed = fs.PutWhole(path, data);
  if (placed == FileSystem::Placed::kDone) return true;
  if (placed == FileSystem::Placed::kFailed || !MayReplace(fs, path)) return false;
  Text temp = CreateTemporaryBeside(fs, path, data, false);
  return !temp.empty() && PutInPlace(fs, temp, path, true);
}

bool CreateFileSafely(FileSystem& fs, const Text& path, std::string_view data) {
  if (path.empty()) return false;
  const FileSystem::Placed placed = fs.PutWhole(path, data);
  if (placed != FileSystem::Placed::kUnsupported) return placed == FileSystem::Placed::kDone;
  Text temp = CreateTemporaryBeside(fs, path, data, false);
  return !temp.empty() && PutInPlace(fs, temp, path, false);
}

SafeFileWriter::SafeFileWriter(FileSystem& fs, Text path)
    : fs_(fs), path_(std::move(path)), temp_(CreateTemporaryBeside(fs_, path_, {})) {}

SafeFileWriter::~SafeFileWriter() {
  if (temp_.empty()) return;
  fs_.Delete(temp_);
  ReleaseTemporaryFile(temp_);
}

bool SafeFileWriter::Add(std::string_view data) {
  if (temp_.empty()) return false;
  pending_.append(data);
  return pending_.size() < kPieceSize || Flush();
}

bool SafeFileWriter::Flush() {
  if (pending_.empty()) return true;
  bool ok = fs_.Append(temp_, pending_);
  pending_.clear();
  if (!ok) {
    const FileError why = fs_.LastError();
    fs_.Delete(temp_);
    fs_.SetLastError(why);
    ReleaseTemporaryFile(temp_);
    temp_.clear();
  }
  return ok;
}

bool SafeFileWriter::Commit() {
  if (temp_.empty() || !Flush()) return false;
  Text temp = std::move(temp_);
  temp_.clear();
  return PutInPlace(fs_, temp, path_, true);
}

bool InsideFolder(FileSystem& fs, const Text& path, const Text& folder) {
  Text real = fs.RealPath(path);
  Text root = fs.RealPath(folder);
  if (real.empty() || root.empty()) return false;
  if (real == root) return true;
  if (root.back() != kPathSeparator) root.push_back(kPathSeparator);
  return real.compare(0, root.size(), root) == 0;
}

bool InsideFolder(FileSystem& fs, const Text& path, const FileId& folder) {
  for (Text real = fs.RealPath(path); !real.empty();) {
    FileId id;
    if (fs.Identify(real, &id) && id == folder) return true;
    Text up = FolderOf(real);
    if (up == real) break;
    real = std::move(up);
  }
  return false;
}

std::vector<DirectoryEntry> FindEntries(FileSystem& fs, const Text& pattern, int filter) {
  std::vector<DirectoryEntry> found;
  Text folder = FolderOf(pattern);
  Text name_pattern = NameOf(pattern);
  if (name_pattern.empty()) return found;
  if (!HasWildcard(name_pattern)) {
    int attributes = fs.Attributes(pattern);
    if (attributes != -1 && WantedByFilter(attributes, filter)) found.push_back({name_pattern, attributes});
    return found;
  }
  return MatchingEntries(fs.List(folder), name_pattern, filter);
}

std::vector<DirectoryEntry> MatchingEntries(const std::vector<DirectoryEntry>& listing, const Text& name_pattern,
                                            int filter) {
  std::vector<DirectoryEntry> found;
  for (const DirectoryEntry& entry : listing) {
    if (WantedByFilter(entry.attributes, filter) && MatchesWildcard(entry.name, name_pattern)) found.push_back(entry);
  }
  return found;
}

std::vector<Text> FindFiles(FileSystem& fs, const Text& pattern, int filter) {
  std::vector<Text> names;
  for (DirectoryEntry& entry : FindEntries(fs, pattern, filter)) names.push_back(std::move(entry.name));
  return names;
}

bool FileExists(FileSystem& fs, const Text& pattern) { return !FindEntries(fs, pattern, 0x37).empty(); }

}  // namespace qm
