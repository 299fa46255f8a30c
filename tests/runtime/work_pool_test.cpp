// The thread count of a job, and the pool that runs its tasks.
#include "runtime/work_pool.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(WorkPool, ThreadCountFollowsTheEnvironment) {
  const char* before = std::getenv("QUILLMERE_THREADS");
  const std::string kept = before ? before : "";
  ::setenv("QUILLMERE_THREADS", "3", 1);
  EXPECT_EQ(qm::ThreadCount(), 3u);
  EXPECT_EQ(qm::ThreadCount(2), 2u);
  ::setenv("QUILLMERE_THREADS", "1", 1);
  EXPECT_EQ(qm::ThreadCount(), 1u);
  for (const char* bad : {"0", "-2", "two", "", "4x"}) {
    ::setenv("QUILLMERE_THREADS", bad, 1);
    EXPECT_GE(qm::ThreadCount(), 1u) << bad;
    ::unsetenv("QUILLMERE_THREADS");
    const unsigned machine = qm::ThreadCount();
    ::setenv("QUILLMERE_THREADS", bad, 1);
    EXPECT_EQ(qm::ThreadCount(), machine) << bad;
  }
  if (before) ::setenv("QUILLMERE_THREADS", kept.c_str(), 1);
  else ::unsetenv("QUILLMERE_THREADS");
}

// Squares 0..19 on a pool of `threads`; true when every result came back.
bool SquaresCome(unsigned threads, qm::Workers workers) {
  qm::WorkPool pool(threads, workers);
  std::vector<std::future<int>> results;
  for (int i = 0; i < 20; ++i) results.push_back(pool.Run([i] { return i * i; }));
  for (int i = 0; i < 20; ++i)
    if (results[i].get() != i * i) return false;
  return true;
}

// Spare threads wait between pools; a forked child has none of them, and a
// pool there must still get its work done rather than hand it to a thread
// that exists only in the parent.
TEST(WorkPool, RunsTasksBesideEachOtherAndInline) {
  for (qm::Workers workers : {qm::Workers::kOwn, qm::Workers::kSpare}) {
    for (unsigned threads : {1u, 3u, 3u}) EXPECT_TRUE(SquaresCome(threads, workers));
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(20);  // a pool waiting for a thread that is not there ends here
    ::_exit(SquaresCome(3, qm::Workers::kSpare) && SquaresCome(3, qm::Workers::kSpare) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
