#include "runtime/work_pool.h"

#include <sched.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "runtime/spare_threads.h"

namespace qm {
namespace {

// More workers than this only add memory; no machine it runs on has more
// cores for one job to use well.
constexpr unsigned kMostThreads = 64;

unsigned ProcessorsAvailable() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    int n = CPU_COUNT(&set);
    if (n > 0) return static_cast<unsigned>(n);
  }
  unsigned hw = std::thread::hardware_concurrency();
  return hw > 0 ? hw : 1;
}

// The whole positive number `text` holds, or 0.
unsigned PositiveNumber(const char* text) {
  if (!text || *text < '0' || *text > '9') return 0;
  errno = 0;
  char* end = nullptr;
  unsigned long n = std::strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || n == 0) return 0;
  return n > kMostThreads ? kMostThreads : static_cast<unsigned>(n);
}

}  // namespace

unsigned ThreadCount(unsigned requested) {
  if (requested > 0) return requested > kMostThreads ? kMostThreads : requested;
  if (unsigned n = PositiveNumber(std::getenv("QUILLMERE_THREADS"))) return n;
  unsigned n = ProcessorsAvailable();
  return n > kMostThreads ? kMostThreads : n;
}

WorkPool::WorkPool(unsigned threads, Workers workers) : limit_(threads > 1 ? threads : 1), kind_(workers) {}

WorkPool::~WorkPool() {
  std::unique_lock<std::mutex> lock(mutex_);
  stopping_ = true;
  wake_.notify_all();
  // A spare worker is no thread of the pool's to join: each says when it
  // has left, under the lock, and touches the pool no more.
  left_.wait(lock, [this] { return working_ == 0; });
  lock.unlock();
  for (std::thread& t : own_) t.join();
  // Tasks left when no worker could be started run here.
  for (std::function<void()>& task : tasks_) task();
}

bool WorkPool::StartWorker() {
  if (kind_ == Workers::kSpare) return RunOnSpareThread([this] { Work(); });
  try {
    own_.emplace_back([this] { Work(); });
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void WorkPool::Queue(std::function<void()> task) {
  if (limit_ <= 1) {
    task();
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  tasks_.push_back(std::move(task));
  // Every sleeping worker takes one queued task; one more is started for
  // each task beyond them, up to the limit.
  if (tasks_.size() > idle_ && workers_ < limit_) {
    if (StartWorker()) {
      ++workers_;
      ++working_;
    } else if (workers_ == 0) {
      // No thread to be had: with no worker at all the task runs here.
      std::function<void()> own = std::move(tasks_.back());
      tasks_.pop_back();
      lock.unlock();
      own();
      return;
    }
  }
  lock.unlock();
  wake_.notify_one();
}

void WorkPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    ++idle_;
    wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
    --idle_;
    if (tasks_.empty()) break;  // stopping, nothing left
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
  --working_;
  left_.notify_all();  // under the lock: the pool outlives this call
}

}  // namespace qm
