#pragma once
// The file step of the batch conversion and its undo: a new file takes the
// contents of an original, which goes only once the new file is complete
// and on the disk, so that a failed or short write never costs the original.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <string_view>
#include <type_traits>

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
/// under its name); true when `target` holds `contents`, with the inode of
/// that file in `copy_inode`. Nothing is replaced: when anything (a link
/// included) is at `target`, or the write fails, nothing is created there;
/// except that a file at `target` that already holds exactly `contents`
/// (left by a run cut off before it deleted its original) counts as the
/// copy.
bool CreateCopy(FileSystem& fs, const Text& target, std::string_view contents, std::uint64_t* copy_inode);

/// Has `deletions` delete `source` once its copy `target` (the file
/// `copy_inode`, as CreateCopy made it) is on the disk, if `source` is
/// still as `source_read` stamps it and, where both lie in one folder, the
/// copy is still beside it.
void DeleteOriginalLater(DeletionsAfterSync& deletions, const Text& source, FileStamp source_read, const Text& target,
                         std::uint64_t copy_inode);

/// Fewer files than this stay on one thread: handing each to another
/// thread and waiting for it costs more than it saves while the threads
/// wait at the beginning and end of such a short run.
constexpr std::size_t kFilesWorthThreads = 16;

/// Works through `count` files of one folder. On this thread and in order:
/// `before(i)` just before file i is started (false: it and every later
/// one are left alone) and `apply(i, result)` once it is finished (false:
/// no later one is started; those under way are still applied). Between
/// them, `work(fs, i)` gives the result: on the threads of `pool`, each
/// call with a handle of its own on the files, where `fs` gives such
/// handles, and for at least kFilesWorthThreads files (else all on this
/// thread, with `fs`). At most twice as many files as threads are under
/// way at once.
template <class Before, class Work, class Apply>
void StepFilesInOrder(WorkPool& pool, FileSystem& fs, std::size_t count, Before before, Work work, Apply apply) {
  using Result = std::invoke_result_t<Work&, FileSystem&, std::size_t>;
  const bool spread = pool.threads() > 1 && count >= kFilesWorthThreads && fs.ForAnotherThread() != nullptr;
  const std::size_t most_under_way = spread ? 2 * std::size_t{pool.threads()} : 1;
  std::deque<std::future<Result>> under_way;
  std::size_t started = 0, applied = 0;
  bool stopped = false;
  // Tasks under way use `work` and `fs`: none may outlive this call, even
  // when one fails.
  struct WaitForAll {
    std::deque<std::future<Result>>& futures;
    ~WaitForAll() {
      for (std::future<Result>& f : futures) f.wait();
    }
  } wait_for_all{under_way};
  for (;;) {
    while (!stopped && started < count && under_way.size() < most_under_way) {
      if (!before(started)) {
        stopped = true;
        break;
      }
      const std::size_t i = started++;
      if (spread) {
        under_way.push_back(pool.Run([&fs, &work, i] {
          const std::unique_ptr<FileSystem> own = fs.ForAnotherThread();
          return work(*own, i);
        }));
      } else {
        Result result = work(fs, i);
        stopped = !apply(applied++, result) || stopped;
      }
    }
    if (under_way.empty()) return;
    Result result = under_way.front().get();
    under_way.pop_front();
    stopped = !apply(applied++, result) || stopped;
  }
}

}  // namespace qm
