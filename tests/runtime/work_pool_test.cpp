// The thread count of a job, and the pool that runs its tasks.
#include "runtime/work_pool.h"

#include <gtest/gtest.h>

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

TEST(WorkPool, RunsTasksBesideEachOtherAndInline) {
  for (unsigned threads : {1u, 3u}) {
    qm::WorkPool pool(threads);
    std::vector<std::future<int>> results;
    for (int i = 0; i < 20; ++i) results.push_back(pool.Run([i] { return i * i; }));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(results[i].get(), i * i);
  }
}

}  // namespace
