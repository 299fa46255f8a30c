#include "runtime/deletions_after_sync.h"

#include <cerrno>

#include "runtime/path_kind.h"
#include "runtime/paths.h"

namespace qm {

void DeletionsAfterSync::Add(Text path, FileStamp read) {
  Text folder = FolderOf(path);
  if (folder != last_folder_ || waiting_.empty()) {
    last_id_ = {};
    fs_.Identify(folder.empty() ? Text(".") : folder, &last_id_);
    last_folder_ = std::move(folder);
  }
  waiting_.push_back({std::move(path), last_id_, read});
}

std::vector<DeletionsAfterSync::Failed> DeletionsAfterSync::Finish(const Text& folder) {
  std::vector<Failed> failed;
  if (!waiting_.empty() && !fs_.SyncAll(folder)) {
    for (Waiting& w : waiting_) failed.push_back({std::move(w.path), fs_.LastError()});
    waiting_.clear();
    return failed;
  }
  Text checked;  // the folder last found unchanged
  for (Waiting& w : waiting_) {
    Text in = FolderOf(w.path);
    if (in != checked && !IsFolderWithId(fs_, in, w.folder)) {
      failed.push_back({std::move(w.path), FileError{ESTALE}});
      continue;
    }
    checked = std::move(in);
    if (!fs_.DeleteUnchanged(w.path, w.read)) failed.push_back({std::move(w.path), fs_.LastError()});
  }
  waiting_.clear();
  last_folder_.clear();
  return failed;
}

}  // namespace qm
