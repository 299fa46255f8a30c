#include "runtime/work_pool.h"

#include <sched.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

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

WorkPool::WorkPool(unsigned threads) : limit_(threads > 1 ? threads : 1) {}

WorkPool::~WorkPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
  // Tasks left when no worker could be started run here.
  for (std::function<void()>& task : tasks_) task();
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
  if (tasks_.size() > idle_ && workers_.size() < limit_) {
    try {
      workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // No thread to be had: with no worker at all the task runs here.
      if (workers_.empty()) {
        std::function<void()> own = std::move(tasks_.back());
        tasks_.pop_back();
        lock.unlock();
        own();
        return;
      }
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
    if (tasks_.empty()) return;  // stopping, nothing left
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
}

}  // namespace qm
