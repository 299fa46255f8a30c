#include "runtime/spare_threads.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace qm {
namespace {

// How long a thread waits for more work before it ends: long enough to
// span the steps of one operation, short enough that none linger idle.
constexpr std::chrono::seconds kWaitForMore{3};

struct Spares {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<std::function<void()>> handed;  // given to waiting threads, not yet taken
  unsigned waiting = 0;                      // threads waiting for work
};

// Never destroyed: waiting threads may outlive main and the static
// destructors. A forked child gets a new one, since the parent's threads
// are not in it and its mutex may have been held by one of them.
Spares* spares = nullptr;

void LockForFork() { spares->mutex.lock(); }
void UnlockAfterFork() { spares->mutex.unlock(); }
void StartAfreshAfterFork() { spares = new Spares; }  // the parent's stays unreachable

Spares& TheSpares() {
  static std::once_flag once;
  std::call_once(once, [] {
    spares = new Spares;
    ::pthread_atfork(LockForFork, UnlockAfterFork, StartAfreshAfterFork);
  });
  return *spares;
}

// Runs the work handed to this thread until none comes for a while.
void WaitForMore() {
  Spares& s = TheSpares();
  std::unique_lock<std::mutex> lock(s.mutex);
  for (;;) {
    ++s.waiting;
    const bool got = s.wake.wait_for(lock, kWaitForMore, [&s] { return !s.handed.empty(); });
    --s.waiting;
    if (!got) return;
    std::function<void()> work = std::move(s.handed.front());
    s.handed.pop_front();
    lock.unlock();
    work();
    work = nullptr;  // what it holds goes before the thread waits
    lock.lock();
  }
}

}  // namespace

bool RunOnSpareThread(const std::function<void()>& work) {
  Spares& s = TheSpares();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.waiting > s.handed.size()) {
      s.handed.push_back(work);
      s.wake.notify_one();
      return true;
    }
  }
  try {
    std::thread([job = work]() mutable {
      job();
      job = nullptr;
      WaitForMore();
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace qm
