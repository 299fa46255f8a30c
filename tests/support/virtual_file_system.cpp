#include "support/virtual_file_system.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "runtime/paths.h"
#include "runtime/real_file_system.h"

namespace qm {

VirtualFileSystem::VirtualFileSystem() {
  Node root;
  root.directory = true;
  root.inode = next_inode_++;
  nodes_["/"] = root;
}

Text VirtualFileSystem::Absolute(const Text& path) const {
  Text full = (!path.empty() && path[0] == '/') ? path : JoinPath(cwd_, path);
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= full.size()) {
    std::size_t j = full.find('/', i);
    if (j == Text::npos) j = full.size();
    std::string part = full.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  Text out;
  for (auto& p : parts) out += "/" + p;
  return out.empty() ? Text("/") : out;
}

bool VirtualFileSystem::Fails(std::string_view call, const Text& path) {
  log.push_back(std::string(call) + " " + path);
  if (!fail || !fail(call, path)) return false;
  Fail(EIO);  // an injected failure: the disk could not be read or written
  return true;
}

int VirtualFileSystem::ParentRefusal(const Text& abs) const {
  auto it = nodes_.find(FolderOf(abs));
  if (it == nodes_.end() || !it->second.directory) return ENOENT;
  return it->second.read_only ? EACCES : 0;
}

int VirtualFileSystem::FileRefusal(const Text& abs, bool writing) const {
  auto it = nodes_.find(abs);
  if (it == nodes_.end()) return ENOENT;
  if (it->second.directory) return EISDIR;
  if (writing ? it->second.read_only : it->second.unreadable) return EACCES;
  return 0;
}

long long VirtualFileSystem::UsedBytes() const {
  long long used = 0;
  for (auto& [p, n] : nodes_) used += static_cast<long long>(n.data.size());
  return used;
}

void VirtualFileSystem::AddDirectory(const Text& path) {
  Text abs = Absolute(path);
  if (abs == "/") return;
  AddDirectory(FolderOf(abs));
  Node& n = nodes_[abs];
  if (!n.inode) n.inode = next_inode_++;
  n.directory = true;
}

void VirtualFileSystem::AddFile(const Text& path, std::string_view data, bool read_only) {
  Text abs = Absolute(path);
  AddDirectory(FolderOf(abs));
  Node& n = nodes_[abs];
  if (!n.inode) n.inode = next_inode_++;
  n.directory = false;
  n.data = std::string(data);
  n.read_only = read_only;
  n.modified = ++clock_;
}

void VirtualFileSystem::SetReadOnly(const Text& path, bool read_only) {
  auto it = nodes_.find(Absolute(path));
  if (it != nodes_.end()) it->second.read_only = read_only;
}

void VirtualFileSystem::SetUnreadable(const Text& path, bool unreadable) {
  auto it = nodes_.find(Absolute(path));
  if (it != nodes_.end()) it->second.unreadable = unreadable;
}

bool VirtualFileSystem::Exists(const Text& path) const { return nodes_.count(Absolute(path)) > 0; }

bool VirtualFileSystem::IsDirectory(const Text& path) const {
  auto it = nodes_.find(Absolute(path));
  return it != nodes_.end() && it->second.directory;
}

std::string VirtualFileSystem::Contents(const Text& path) const {
  auto it = nodes_.find(Absolute(path));
  return it == nodes_.end() ? std::string() : it->second.data;
}

std::map<Text, std::string> VirtualFileSystem::Files() const {
  std::map<Text, std::string> files;
  for (auto& [p, n] : nodes_)
    if (!n.directory) files[p] = n.data;
  return files;
}

bool VirtualFileSystem::Read(const Text& path, std::string* out) {
  out->clear();
  if (path.empty()) return Fail(ENOENT);
  if (Fails("read", path)) return false;
  Text abs = Absolute(path);
  if (int code = FileRefusal(abs, false)) return Fail(code);
  const Node& node = nodes_.find(abs)->second;
  *out = node.data;
  last_read_stamp_ = {node.inode, static_cast<long long>(node.data.size()), node.modified};
  return true;
}

bool VirtualFileSystem::ReadPart(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) {
  if (!Read(path, out)) return false;
  out->erase(0, static_cast<std::size_t>(std::min<std::uint64_t>(offset, out->size())));
  if (out->size() > length) out->resize(length);
  return true;
}

bool VirtualFileSystem::Append(const Text& path, std::string_view data) {
  if (path.empty()) return Fail(ENOENT);
  if (Fails("append", path)) return false;
  Text abs = Absolute(path);
  if (int code = FileRefusal(abs, true)) return Fail(code);
  auto it = nodes_.find(abs);
  it->second.cached = true;
  if (capacity >= 0) {
    long long room = capacity - UsedBytes();
    if (room < static_cast<long long>(data.size())) {
      it->second.data += data.substr(0, room > 0 ? static_cast<std::size_t>(room) : 0);
      return Fail(ENOSPC);
    }
  }
  it->second.data += data;
  it->second.modified = ++clock_;
  return true;
}

bool VirtualFileSystem::Write(const Text& path, std::string_view data) {
  if (path.empty()) return Fail(ENOENT);
  if (Fails("write", path)) return false;
  Text abs = Absolute(path);
  auto it = nodes_.find(abs);
  if (it != nodes_.end()) {
    if (int code = FileRefusal(abs, true)) return Fail(code);
  } else if (int code = ParentRefusal(abs)) {
    return Fail(code);
  }
  Node& n = nodes_[abs];
  if (!n.inode) n.inode = next_inode_++;
  n.data.clear();
  n.cached = true;
  if (capacity >= 0) {
    long long room = capacity - UsedBytes();
    if (room < static_cast<long long>(data.size())) {
      n.data = std::string(data.substr(0, room > 0 ? static_cast<std::size_t>(room) : 0));
      return Fail(ENOSPC);
    }
  }
  n.data = std::string(data);
  n.modified = ++clock_;
  return true;
}

bool VirtualFileSystem::CreateNew(const Text& path, std::string_view data) {
  if (path.empty()) return Fail(ENOENT);
  if (Exists(path)) return Fail(EEXIST);
  if (Write(path, data)) return true;
  nodes_.erase(Absolute(path));
  return false;
}

FileSystem::Placed VirtualFileSystem::PutWhole(const Text& path, std::string_view data) {
  last_placed_stamp_ = {};
  if (!unnamed_files) return Placed::kUnsupported;
  if (path.empty() || Fails("write", path)) {
    if (path.empty()) Fail(ENOENT);
    return Placed::kFailed;
  }
  if (Exists(path)) {
    Fail(EEXIST);
    return Placed::kTaken;
  }
  auto hook = std::exchange(fail, {});  // one call: giving the file its name is part of it
  const bool ok = CreateNew(path, data);
  if (ok) last_placed_stamp_ = Stamp(path);
  fail = std::move(hook);
  return ok ? Placed::kDone : Placed::kFailed;
}

bool VirtualFileSystem::IsLink(const Text&) { return false; }

Text VirtualFileSystem::RealPath(const Text& path) {
  if (Exists(path)) return Absolute(path);
  Fail(ENOENT);
  return {};
}

int VirtualFileSystem::Attributes(const Text& path) {
  if (path.empty()) return -1;
  Text abs = Absolute(path);
  auto it = nodes_.find(abs);
  if (it == nodes_.end()) return -1;
  unsigned mode = it->second.directory ? 0040755u : 0100644u;
  if (it->second.read_only) mode &= ~0200u;
  return AttributesFromMode(mode, NameOf(abs)) & 0x37;
}

std::vector<DirectoryEntry> VirtualFileSystem::List(const Text& folder) {
  std::vector<DirectoryEntry> entries;
  if (Fails("list", folder)) return entries;
  Text abs = Absolute(folder.empty() ? cwd_ : folder);
  auto dir = nodes_.find(abs);
  if (dir == nodes_.end() || !dir->second.directory || dir->second.unreadable) {
    SetLastError({dir == nodes_.end() ? ENOENT : !dir->second.directory ? ENOTDIR : EACCES});
    return entries;
  }
  entries.push_back({".", kDirectory});
  entries.push_back({"..", kDirectory});
  Text prefix = abs == "/" ? abs : abs + "/";
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end(); ++it) {
    const Text& p = it->first;
    if (p.compare(0, prefix.size(), prefix) != 0) break;
    if (p.size() == prefix.size() || p.find('/', prefix.size()) != Text::npos) continue;
    entries.push_back({p.substr(prefix.size()), Attributes(p)});
  }
  SortLikeNtfs(&entries);
  return entries;
}

bool VirtualFileSystem::Rename(const Text& from, const Text& to) {
  if (from.empty() || to.empty()) return Fail(ENOENT);
  if (Fails("rename", from)) return false;
  Text a = Absolute(from), b = Absolute(to);
  auto it = nodes_.find(a);
  if (it == nodes_.end()) return Fail(ENOENT);
  if (nodes_.count(b)) return Fail(EEXIST);
  if (it->second.read_only) return Fail(EACCES);
  if (int code = ParentRefusal(a)) return Fail(code);
  if (int code = ParentRefusal(b)) return Fail(code);
  // A folder cannot move into itself (the system refuses this too).
  if (b.compare(0, a.size() + 1, a + "/") == 0) return Fail(EINVAL);
  // Move the entry and, for a folder, everything below it.
  std::vector<std::pair<Text, Node>> moved;
  for (auto i = nodes_.begin(); i != nodes_.end();) {
    if (i->first == a || i->first.compare(0, a.size() + 1, a + "/") == 0) {
      moved.emplace_back(b + i->first.substr(a.size()), i->second);
      i = nodes_.erase(i);
    } else {
      ++i;
    }
  }
  for (auto& [p, n] : moved) {
    if (p == b && deferred_ == 0 && !n.directory) n.cached = false;  // synced before its rename
    nodes_[p] = n;
  }
  return true;
}

bool VirtualFileSystem::ReplaceWith(const Text& from, const Text& to) {
  if (from.empty() || to.empty()) return Fail(ENOENT);
  if (Fails("replace", from)) return false;
  Text a = Absolute(from), b = Absolute(to);
  auto src = nodes_.find(a);
  if (src == nodes_.end()) return Fail(ENOENT);
  if (src->second.directory) return Fail(EISDIR);
  auto dst = nodes_.find(b);
  if (dst != nodes_.end()) {
    if (int code = FileRefusal(b, true)) return Fail(code);
  }
  if (int code = ParentRefusal(a)) return Fail(code);
  if (int code = ParentRefusal(b)) return Fail(code);
  Node n = src->second;
  if (deferred_ == 0 || dst != nodes_.end()) n.cached = false;  // synced before its rename
  nodes_.erase(src);
  nodes_[b] = n;
  return true;
}

bool VirtualFileSystem::SyncAll(const Text& folder) {
  log.push_back("sync " + folder);
  for (auto& [path, node] : nodes_) node.cached = false;
  return true;
}

void VirtualFileSystem::PowerCut() {
  for (auto& [path, node] : nodes_) {
    if (node.cached) node.data.clear();
    node.cached = false;
  }
}

bool VirtualFileSystem::Delete(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  if (Fails("delete", path)) return false;
  Text abs = Absolute(path);
  auto it = nodes_.find(abs);
  if (int code = FileRefusal(abs, true)) return Fail(code);
  if (int code = ParentRefusal(abs)) return Fail(code);
  nodes_.erase(it);
  return true;
}

void VirtualFileSystem::DeleteUnchangedIn(const Text& folder, const FileId& id, std::vector<UnchangedFile>& files) {
  // As with a folder held open: each file is deleted inside the folder
  // found first, wherever it has been moved by then (an injected call may
  // move it before the deletion).
  FileId now;
  const bool same = Identify(folder.empty() ? Text(".") : folder, &now) && now == id;
  for (UnchangedFile& file : files) {
    if (!same) {
      file.error = FileError{ESTALE};
      continue;
    }
    if (Fails("delete", file.path)) {
      file.error = LastError();
      continue;
    }
    auto held = std::find_if(nodes_.begin(), nodes_.end(),
                             [&](const auto& node) { return node.second.directory && node.second.inode == id.inode; });
    const Text abs = held == nodes_.end() ? Text() : JoinPath(held->first, NameOf(file.path));
    if (!file.copy.empty() &&
        (abs.empty() || !AsWritten(Stamp(JoinPath(held->first, NameOf(file.copy))), file.copy_stamp))) {
      file.error = FileError{kCopyChanged};
      continue;
    }
    if (abs.empty() || Stamp(abs) != file.expected) {
      file.error = FileError{kChangedSinceRead};
      continue;
    }
    if (int code = FileRefusal(abs, true); code == 0 && (code = ParentRefusal(abs)) == 0) nodes_.erase(abs);
    else file.error = FileError{code};
  }
}

bool VirtualFileSystem::RemoveDirectory(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  if (Fails("rmdir", path)) return false;
  Text abs = Absolute(path);
  auto it = nodes_.find(abs);
  if (it == nodes_.end()) return Fail(ENOENT);
  if (!it->second.directory) return Fail(ENOTDIR);
  if (int code = ParentRefusal(abs)) return Fail(code);
  const Text inside = abs == "/" ? abs : abs + "/";
  auto first = nodes_.lower_bound(inside);
  if (first != nodes_.end() && first->first.starts_with(inside)) return Fail(ENOTEMPTY);
  nodes_.erase(it);
  return true;
}

bool VirtualFileSystem::CreateDirectory(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  if (Fails("mkdir", path)) return false;
  Text abs = Absolute(path);
  if (nodes_.count(abs)) return Fail(EEXIST);
  if (int code = ParentRefusal(abs)) return Fail(code);
  Node& n = nodes_[abs];
  n.directory = true;
  n.inode = next_inode_++;
  return true;
}

bool VirtualFileSystem::ChangeDirectory(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  if (Fails("chdir", path)) return false;
  Text abs = Absolute(path);
  auto it = nodes_.find(abs);
  if (it == nodes_.end()) return Fail(ENOENT);
  if (!it->second.directory) return Fail(ENOTDIR);
  if (it->second.unreadable) return Fail(EACCES);
  cwd_ = abs;
  return true;
}

Text VirtualFileSystem::CurrentDirectory() { return cwd_; }

bool VirtualFileSystem::Identify(const Text& path, FileId* id) {
  auto it = nodes_.find(Absolute(path));
  if (it == nodes_.end()) return false;
  id->device = 1;
  id->inode = it->second.inode;
  return true;
}

FileStamp VirtualFileSystem::Stamp(const Text& path) {
  auto it = nodes_.find(Absolute(path));
  if (it == nodes_.end()) return {};
  return {it->second.inode, static_cast<long long>(it->second.data.size()), it->second.modified};
}

long long VirtualFileSystem::ModifiedTime(const Text& path) {
  auto it = nodes_.find(Absolute(path));
  return it == nodes_.end() ? -1 : it->second.modified;
}

}  // namespace qm
