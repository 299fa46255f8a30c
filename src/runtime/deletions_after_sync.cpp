#include "runtime/deletions_after_sync.h"

#include <cerrno>

#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {

void DeletionsAfterSync::Add(Text path, FileStamp read, Text copy, std::uint64_t copy_inode, const FileId* folder_id) {
  Text folder = FolderOf(path);
  if (folder_id) {
    last_id_ = *folder_id;
    last_folder_ = std::move(folder);
  } else if (folder != last_folder_ || waiting_.empty()) {
    last_id_ = {};
    fs_.Identify(folder.empty() ? Text(".") : folder, &last_id_);
    last_folder_ = std::move(folder);
  }
  waiting_.push_back({{std::move(path), read, std::move(copy), copy_inode, {}}, last_id_});
}

std::vector<DeletionsAfterSync::Failed> DeletionsAfterSync::Finish(const Text& folder) {
  std::vector<Failed> failed;
  if (!waiting_.empty() && !fs_.SyncAll(folder)) {
    for (Waiting& w : waiting_) failed.push_back({std::move(w.file.path), fs_.LastError()});
    waiting_.clear();
    return failed;
  }
  // The deletions go folder by folder, each folder found once.
  std::vector<FileSystem::UnchangedFile> in_folder;
  for (std::size_t first = 0; first < waiting_.size();) {
    const Text in = FolderOf(waiting_[first].file.path);
    in_folder.clear();
    std::size_t end = first;
    for (; end < waiting_.size() && waiting_[end].folder == waiting_[first].folder &&
           FolderOf(waiting_[end].file.path) == in;
         ++end)
      in_folder.push_back(std::move(waiting_[end].file));
    fs_.DeleteUnchangedIn(in, waiting_[first].folder, in_folder);
    for (FileSystem::UnchangedFile& file : in_folder)
      if (file.error.code != 0) failed.push_back({std::move(file.path), file.error});
    first = end;
  }
  waiting_.clear();
  last_folder_.clear();
  return failed;
}

}  // namespace qm
