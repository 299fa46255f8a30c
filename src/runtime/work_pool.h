// A small pool of worker threads: the compiler's jobs (the pieces of the
// compressed section, and any other work a book needs beside them), and the
// conversions' page building beside their file work.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace qm {

/// The number of threads one job (a compile, a conversion) uses: the value
/// of QUILLMERE_THREADS when it is a whole number from 1 up, else the
/// processors this process may run on. `requested` > 0 overrides both.
unsigned ThreadCount(unsigned requested = 0);

/// Where a pool's workers come from: threads of its own, started and ended
/// with it, or spare threads (RunOnSpareThread) that wait between pools,
/// for work done folder by folder in code that is never unloaded.
enum class Workers { kOwn, kSpare };

class WorkPool {
 public:
  /// A pool of at most `threads` workers, started only as tasks arrive (so
  /// never more than there are tasks). With `threads` <= 1 there are none:
  /// every task runs on the caller's thread inside Run.
  explicit WorkPool(unsigned threads, Workers workers = Workers::kOwn);
  /// Runs every task already queued, then waits until no worker is left in
  /// the pool.
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  /// The most workers the pool starts (at least 1).
  unsigned threads() const { return limit_; }

  /// Queues `task`; the future gives its result (or its exception) once it
  /// has run. Tasks start in the order they are queued. A task must not
  /// wait for a later task of the same pool: all workers might be waiting.
  template <class F>
  auto Run(F task) -> std::future<std::invoke_result_t<F&>> {
    using Result = std::invoke_result_t<F&>;
    auto job = std::make_shared<std::packaged_task<Result()>>(std::move(task));
    std::future<Result> done = job->get_future();
    Queue([job] { (*job)(); });
    return done;
  }

 private:
  void Queue(std::function<void()> task);
  bool StartWorker();
  void Work();

  unsigned limit_;
  Workers kind_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable left_;  // a worker left the pool
  std::deque<std::function<void()>> tasks_;
  std::vector<std::thread> own_;  // the threads of a pool of Workers::kOwn
  unsigned workers_ = 0;          // workers started
  unsigned working_ = 0;          // workers not yet left
  unsigned idle_ = 0;
  bool stopping_ = false;
};

}  // namespace qm
