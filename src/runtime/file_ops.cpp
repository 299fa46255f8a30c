#include "runtime/file_ops.h"

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

// Creates, exclusively and beside `path`, a temporary file holding `data`
// and returns its name; empty when `path` is refused (a link, a read-only
// file, a folder) or the file cannot be made.
Text CreateTemporaryBeside(FileSystem& fs, const Text& path, std::string_view data) {
  if (path.empty() || fs.IsLink(path)) return Text();
  int attributes = fs.Attributes(path);
  if (attributes != -1 && (attributes & (kReadOnly | kDirectory)) != 0) return Text();
  Text folder = FolderOf(path);
  // A name that is somehow taken is drawn again; a write that fails ends
  // the attempt.
  for (int attempt = 0; attempt < 8; ++attempt) {
    Text temp = folder.empty() ? TemporaryName(NameOf(path)) : JoinPath(folder, TemporaryName(NameOf(path)));
    HoldTemporaryFile(fs, temp);
    if (fs.CreateNew(temp, data)) return temp;
    ReleaseTemporaryFile(temp);
    if (fs.Attributes(temp) == -1 && !fs.IsLink(temp)) return Text();
  }
  return Text();
}

// Puts the complete temporary file `temp` at `path` (replacing a file there
// when `replace`), or removes it.
bool PutInPlace(FileSystem& fs, const Text& temp, const Text& path, bool replace) {
  bool ok = replace ? fs.ReplaceWith(temp, path) : fs.Rename(temp, path);
  if (!ok) fs.Delete(temp);
  ReleaseTemporaryFile(temp);
  return ok;
}

}  // namespace

bool WriteFileSafely(FileSystem& fs, const Text& path, std::string_view data) {
  Text temp = CreateTemporaryBeside(fs, path, data);
  return !temp.empty() && PutInPlace(fs, temp, path, true);
}

bool CreateFileSafely(FileSystem& fs, const Text& path, std::string_view data) {
  if (fs.Attributes(path) != -1 || fs.IsLink(path)) return false;
  Text temp = CreateTemporaryBeside(fs, path, data);
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
    fs_.Delete(temp_);
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
  auto wanted = [filter](int attributes) {
    if (filter == kNoFilter) return (attributes & kDirectory) == 0;
    return (attributes & (filter & 0x37)) != 0;
  };
  if (!HasWildcard(name_pattern)) {
    int attributes = fs.Attributes(pattern);
    if (attributes != -1 && wanted(attributes)) found.push_back({name_pattern, attributes});
    return found;
  }
  for (DirectoryEntry& entry : fs.List(folder)) {
    if (!wanted(entry.attributes)) continue;
    if (!MatchesWildcard(entry.name, name_pattern)) continue;
    found.push_back(std::move(entry));
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
