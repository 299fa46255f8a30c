#include "runtime/deletions_after_sync.h"

namespace qm {

void DeletionsAfterSync::Add(Text path) { waiting_.push_back(std::move(path)); }

std::vector<Text> DeletionsAfterSync::Finish(const Text& folder) {
  std::vector<Text> failed;
  if (!waiting_.empty() && !fs_.SyncAll(folder)) {
    failed.swap(waiting_);
    return failed;
  }
  for (Text& path : waiting_) {
    if (!fs_.Delete(path)) failed.push_back(std::move(path));
  }
  waiting_.clear();
  return failed;
}

}  // namespace qm
