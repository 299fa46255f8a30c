#include "runtime/file_ops.h"

#include <cstdio>
#include <functional>

#include "runtime/encoding.h"
#include "runtime/paths.h"
#include "runtime/wildcard.h"

namespace qm {

ByteSet ReadFile(FileSystem& fs, const Text& path) {
  ByteSet data;
  if (!fs.Read(path, &data.bytes)) data.bytes.clear();
  return data;
}

bool WriteToFile(FileSystem& fs, const Text& path, std::string_view data) {
  if (path.empty()) return false;
  return fs.Write(path, data);
}

namespace {

// The name of the temporary file written beside `name`. A name near the
// system's limit of 255 bytes would make the usual temporary name too long
// to create, so such a name gets a short one made from its hash instead.
Text TemporaryName(const Text& name) {
  Text temp = ".~" + name + ".quillmere-tmp";
  if (NativeName(temp).size() <= 255) return temp;
  char hash[32];
  std::snprintf(hash, sizeof hash, "%016zx", std::hash<std::string>{}(name));
  return ".~" + Text(hash) + ".quillmere-tmp";
}

}  // namespace

bool WriteFileSafely(FileSystem& fs, const Text& path, std::string_view data) {
  if (path.empty()) return false;
  Text folder = FolderOf(path);
  Text temp_name = TemporaryName(NameOf(path));
  Text temp = folder.empty() ? temp_name : JoinPath(folder, temp_name);
  if (!fs.Write(temp, data)) {
    fs.Delete(temp);
    return false;
  }
  if (!fs.ReplaceWith(temp, path)) {
    fs.Delete(temp);
    return false;
  }
  return true;
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

bool FileExists(FileSystem& fs, const Text& pattern) {
  return !FindEntries(fs, pattern, 0x37).empty();
}

}  // namespace qm
