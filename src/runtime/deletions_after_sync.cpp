#include "runtime/deletions_after_sync.h"

namespace qm {

void DeletionsAfterSync::Add(Text path) { waiting_.push_back(std::move(path)); }

std::vector<DeletionsAfterSync::Failed> DeletionsAfterSync::Finish(const Text& folder) {
  std::vector<Failed> failed;
  if (!waiting_.empty() && !fs_.SyncAll(folder)) {
    for (Text& path : waiting_) failed.push_back({std::move(path), fs_.LastError()});
    waiting_.clear();
    return failed;
  }
  for (Text& path : waiting_) {
    if (!fs_.Delete(path)) failed.push_back({std::move(path), fs_.LastError()});
  }
  waiting_.clear();
  return failed;
}

}  // namespace qm
