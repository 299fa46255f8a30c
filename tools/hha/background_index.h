// The full-text index built beside compression: pages are indexed in order
// by one task of the compile's pool at a time, while the caller goes on
// storing pages.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <string>

#include "byte_io.h"
#include "full_text_index.h"
#include "runtime/work_pool.h"

namespace hha {

class BackgroundIndex {
 public:
  explicit BackgroundIndex(qm::WorkPool& pool) : pool_(pool) {}
  /// Waits for the pages still being indexed.
  ~BackgroundIndex();
  BackgroundIndex(const BackgroundIndex&) = delete;
  BackgroundIndex& operator=(const BackgroundIndex&) = delete;

  /// Indexes the stored page `html` as page `topic`, as
  /// FullTextIndex::AddPage does, on the pool (on a pool without workers,
  /// at once). Waits while many pages are still to be indexed, which keeps
  /// memory low.
  void AddPage(std::uint32_t topic, std::string html, std::string title);

  /// Waits for every page, then gives the index to `sink` as
  /// FullTextIndex::Finish does. Call once.
  bool Finish(std::uint32_t lcid, std::uint32_t code_page, const FullTextIndex::IndexSink& sink);

 private:
  struct Page {
    std::uint32_t topic;
    std::string html, title;
  };
  /// Indexes queued pages until there are none.
  void Drain();
  void WaitForDrain();

  qm::WorkPool& pool_;
  FullTextIndex index_;
  std::mutex mutex_;
  std::condition_variable room_;
  std::deque<Page> queued_;
  std::size_t queued_bytes_ = 0;
  bool draining_ = false;
  std::future<void> drain_;  // the task that runs Drain, when one was queued
};

}  // namespace hha
