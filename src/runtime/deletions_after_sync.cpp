#include "runtime/deletions_after_sync.h"

#include <atomic>
#include <cerrno>
#include <memory>

#include "runtime/path_kind.h"
#include "runtime/paths.h"
#include "runtime/work_pool.h"

namespace qm {

void DeletionsAfterSync::Add(Text path, FileStamp read, Text copy, FileStamp copy_stamp, const FileId* folder_id) {
  Text folder = FolderOf(path);
  if (folder_id) {
    last_id_ = *folder_id;
    last_folder_ = std::move(folder);
  } else if (folder != last_folder_ || waiting_.empty()) {
    last_id_ = {};
    fs_.Identify(folder.empty() ? Text(".") : folder, &last_id_);
    last_folder_ = std::move(folder);
  }
  waiting_.push_back({{std::move(path), read, std::move(copy), copy_stamp, {}}, last_id_});
}

std::vector<DeletionsAfterSync::Failed> DeletionsAfterSync::Finish(const Text& folder) {
  std::vector<Failed> failed;
  if (!waiting_.empty() && !fs_.SyncAll(folder)) {
    for (Waiting& w : waiting_) failed.push_back({std::move(w.file.path), fs_.LastError()});
    waiting_.clear();
    return failed;
  }
  // The deletions go folder by folder, each folder found once.
  struct Run {
    Text folder;
    FileId id;
    std::vector<FileSystem::UnchangedFile> files;
  };
  std::vector<Run> runs;
  for (std::size_t first = 0; first < waiting_.size();) {
    Run& run = runs.emplace_back(Run{FolderOf(waiting_[first].file.path), waiting_[first].folder, {}});
    std::size_t end = first;
    for (; end < waiting_.size() && waiting_[end].folder == run.id && FolderOf(waiting_[end].file.path) == run.folder;
         ++end)
      run.files.push_back(std::move(waiting_[end].file));
    first = end;
  }
  // Folders take their own locks: many of them share out among the cores,
  // each thread with its own handle on the files, while the failures are
  // named in the order the files were added.
  std::atomic<std::size_t> next{0};
  auto delete_runs = [&](FileSystem& on) {
    for (std::size_t k; (k = next.fetch_add(1)) < runs.size();)
      on.DeleteUnchangedIn(runs[k].folder, runs[k].id, runs[k].files);
  };
  {
    const bool shared = runs.size() >= kFoldersWorthThreads && fs_.ForAnotherThread() != nullptr;
    WorkPool pool(shared ? ThreadCount() : 1, Workers::kSpare);  // its end waits for its helpers
    for (unsigned k = 1; k < pool.threads(); ++k)
      pool.Run([&] {
        const std::unique_ptr<FileSystem> own = fs_.ForAnotherThread();
        delete_runs(*own);
      });
    delete_runs(fs_);
  }
  for (Run& run : runs)
    for (FileSystem::UnchangedFile& file : run.files)
      if (file.error.code != 0) failed.push_back({std::move(file.path), file.error});
  waiting_.clear();
  last_folder_.clear();
  return failed;
}

}  // namespace qm
