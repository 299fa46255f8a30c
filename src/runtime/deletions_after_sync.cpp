#include "runtime/deletions_after_sync.h"

#include <cerrno>

#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {

void DeletionsAfterSync::Add(Text path) {
  Text folder = FolderOf(path);
  if (folder != last_folder_ || waiting_.empty()) {
    last_id_ = {};
    fs_.Identify(folder.empty() ? Text(".") : folder, &last_id_);
    last_folder_ = std::move(folder);
  }
  waiting_.emplace_back(std::move(path), last_id_);
}

std::vector<DeletionsAfterSync::Failed> DeletionsAfterSync::Finish(const Text& folder) {
  std::vector<Failed> failed;
  if (!waiting_.empty() && !fs_.SyncAll(folder)) {
    for (auto& [path, id] : waiting_) failed.push_back({std::move(path), fs_.LastError()});
    waiting_.clear();
    return failed;
  }
  Text checked;  // the folder last found unchanged
  for (auto& [path, id] : waiting_) {
    Text in = FolderOf(path);
    if (in != checked && !IsFolderWithId(fs_, in, id)) {
      failed.push_back({std::move(path), FileError{ESTALE}});
      continue;
    }
    checked = std::move(in);
    if (!fs_.Delete(path)) failed.push_back({std::move(path), fs_.LastError()});
  }
  waiting_.clear();
  last_folder_.clear();
  return failed;
}

}  // namespace qm
