#pragma once
// The file step of the batch conversion and its undo: a new file takes the
// contents of an original, which goes only once the new file is complete
// and on the disk, so that a failed or short write never costs the original.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "runtime/deletions_after_sync.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "runtime/work_pool.h"

namespace qm {

/// Reads the original `source` into `data`, with the stamp its deletion
/// must still find in `stamp`. One the listing found to be a link
/// (`listed_as_link`) is read through and stamped as the link itself,
/// which is what is deleted; any other is read only while it is no link,
/// so that a link swapped in meanwhile leads nowhere. False, with the
/// file system's error, when it cannot be read.
bool ReadOriginal(FileSystem& fs, const Text& source, bool listed_as_link, std::string* data, FileStamp* stamp);

/// Creates `target` holding `contents` (CreateFileSafely: never partial
/// under its name); true when `target` holds `contents`, with the stamp of
/// that file as written in `copy_stamp`. Nothing is replaced: when anything (a link
/// included) is at `target`, or the write fails, nothing is created there;
/// except that a file at `target` that already holds exactly `contents`
/// (left by a run cut off before it deleted its original) counts as the
/// copy.
bool CreateCopy(FileSystem& fs, const Text& target, std::string_view contents, FileStamp* copy_stamp);

/// Has `deletions` delete `source` once its copy `target` (stamped
/// `copy_stamp` as CreateCopy made it) is on the disk, if `source` is
/// still as `source_read` stamps it and, where both lie in one folder, the
/// copy is still beside it as written; with `folder`, while the folder is still the
/// one it identifies (as DeletionsAfterSync::Add).
void DeleteOriginalLater(DeletionsAfterSync& deletions, const Text& source, FileStamp source_read, const Text& target,
                         FileStamp copy_stamp, const FileId* folder = nullptr);

/// Fewer files than this stay on one thread: starting the threads for
/// them and handing them out costs more than sharing so little work saves
/// (folders of 6 texts took 15% longer on two threads).
constexpr std::size_t kFilesWorthThreads = 16;

/// StepFilesInOrder without its result type, for `threads` > 1: `work(fs,
/// i)` keeps its own result, which `apply(i)` takes.
void StepFilesOnThreads(FileSystem& fs, std::size_t count, unsigned threads,
                        const std::function<bool(std::size_t)>& before,
                        const std::function<void(FileSystem&, std::size_t)>& work,
                        const std::function<bool(std::size_t)>& apply);

/// Works through `count` files of one folder. On this thread and in order:
/// `before(i)` just before file i is started (false: it and every later
/// one are left alone) and `apply(i, result)` once it is finished (false:
/// no later one is started; those started are still applied). Between
/// them, `work(fs, i)` gives the result: on every core (this thread among
/// them), each call on another thread with a handle of its own on the
/// files, where `fs` gives such handles and for at least
/// kFilesWorthThreads files; else all on this thread, with `fs`. At most
/// twice as many files as threads are started and not yet applied.
template <class Before, class Work, class Apply>
void StepFilesInOrder(FileSystem& fs, std::size_t count, Before before, Work work, Apply apply) {
  using Result = std::invoke_result_t<Work&, FileSystem&, std::size_t>;
  const unsigned threads = count >= kFilesWorthThreads && fs.ForAnotherThread() != nullptr ? ThreadCount() : 1;
  if (threads <= 1) {
    for (std::size_t i = 0; i < count && before(i);) {
      Result result = work(fs, i);
      if (!apply(i++, result)) break;
    }
    return;
  }
  std::vector<std::optional<Result>> results(count);
  StepFilesOnThreads(
      fs, count, threads, before, [&](FileSystem& on, std::size_t i) { results[i].emplace(work(on, i)); },
      [&](std::size_t i) {
        const bool go_on = apply(i, *results[i]);
        results[i].reset();
        return go_on;
      });
}

}  // namespace qm
