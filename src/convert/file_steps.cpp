#include "convert/file_steps.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

#include "runtime/file_ops.h"
#include "runtime/paths.h"

namespace qm {

bool ReadOriginal(FileSystem& fs, const Text& source, bool listed_as_link, std::string* data, FileStamp* stamp) {
  if (!listed_as_link) {
    if (!fs.ReadNoLink(source, data)) return false;
    *stamp = fs.LastReadStamp();
    return true;
  }
  *stamp = fs.Stamp(source);  // before the read: a link changed while it is read shows later
  return fs.Read(source, data);
}

bool CreateCopy(FileSystem& fs, const Text& target, std::string_view contents, FileStamp* copy_stamp) {
  if (CreateFileSafely(fs, target, contents)) {
    // The copy is known by its stamp, read from the file itself where it
    // was placed whole (no look at the name, which could lead elsewhere by
    // now).
    const FileStamp placed = fs.LastPlacedStamp();
    *copy_stamp = placed.inode != 0 ? placed : fs.Stamp(target);
    return true;
  }
  // A run cut off between the two steps left exactly this file: the step
  // is finished now, with the file as it was read.
  const FileError why = fs.LastError();
  std::string there;
  if (!fs.IsLink(target) && fs.Read(target, &there) && there == contents) {
    *copy_stamp = fs.LastReadStamp();
    return true;
  }
  fs.SetLastError(why);  // the write's reason, not the look's
  return false;
}

void DeleteOriginalLater(DeletionsAfterSync& deletions, const Text& source, FileStamp source_read, const Text& target,
                         FileStamp copy_stamp, const FileId* folder) {
  // The original goes only while its copy is beside it as written: a
  // folder swapped for a moment as the copy was written has the copy, not
  // this one, and a copy written over since no longer holds the original.
  const bool beside = FolderOf(target) == FolderOf(source);
  deletions.Add(source, source_read, beside ? target : Text(), beside ? copy_stamp : FileStamp{}, folder);
}

void StepFilesOnThreads(FileSystem& fs, std::size_t count, unsigned threads,
                        const std::function<bool(std::size_t)>& before,
                        const std::function<void(FileSystem&, std::size_t)>& work,
                        const std::function<bool(std::size_t)>& apply) {
  // Files are started in order by whichever thread is free, this one
  // included: it starts one whenever the next to apply is not finished,
  // so that it waits only when every started file is under way.
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t started_ok = 0;  // before() said yes to [0, started_ok)
  std::size_t taken = 0;       // files [0, taken) were taken by a thread
  std::vector<char> finished(count, 0);
  std::exception_ptr failure;
  bool closing = false;
  // Runs file `i` on `on`, `lock` released meanwhile.
  auto run = [&](std::unique_lock<std::mutex>& lock, FileSystem& on, std::size_t i) {
    lock.unlock();
    std::exception_ptr failed;
    try {
      work(on, i);
    } catch (...) {
      failed = std::current_exception();
    }
    lock.lock();
    if (failed && !failure) failure = failed;
    finished[i] = 1;
    changed.notify_all();
  };
  auto helper = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    const std::unique_ptr<FileSystem> own = fs.ForAnotherThread();
    for (;;) {
      if (closing) {
        return;
      } else if (taken < started_ok) {
        run(lock, *own, taken++);
      } else {
        changed.wait(lock);
      }
    }
  };
  WorkPool pool(threads, Workers::kSpare);
  // Ends the helpers however this returns; the pool's end waits for them.
  struct Close {
    std::mutex& mutex;
    std::condition_variable& changed;
    bool& closing;
    ~Close() {
      std::lock_guard<std::mutex> hold(mutex);
      closing = true;
      changed.notify_all();
    }
  } close{mutex, changed, closing};
  for (unsigned k = 1; k < threads; ++k) pool.Run(helper);
  const std::size_t most_ahead = 2 * std::size_t{threads};
  std::size_t applied = 0;
  bool stopped = false;
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    while (!stopped && started_ok < count && started_ok - applied < most_ahead) {
      const std::size_t next = started_ok;
      lock.unlock();
      const bool go = before(next);
      lock.lock();
      if (!go) {
        stopped = true;
        break;
      }
      ++started_ok;
      changed.notify_all();
    }
    if (failure) std::rethrow_exception(failure);
    if (applied == started_ok && (stopped || started_ok == count)) return;
    if (finished[applied] != 0) {
      lock.unlock();
      const bool go_on = apply(applied);
      lock.lock();
      ++applied;
      stopped = stopped || !go_on;
    } else if (taken < started_ok) {
      run(lock, fs, taken++);
    } else {
      changed.wait(lock);
    }
  }
}

}  // namespace qm
