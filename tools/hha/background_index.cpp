#include "background_index.h"

#include <utility>

namespace hha {
namespace {

// Bytes of pages that may wait for the indexer before AddPage waits too.
constexpr std::size_t kMostQueuedBytes = 8u << 20;

}  // namespace

BackgroundIndex::~BackgroundIndex() { WaitForDrain(); }

void BackgroundIndex::AddPage(std::uint32_t topic, std::string html, std::string title) {
  std::unique_lock<std::mutex> lock(mutex_);
  room_.wait(lock, [&] { return queued_bytes_ < kMostQueuedBytes; });
  queued_bytes_ += html.size() + title.size();
  queued_.push_back({topic, std::move(html), std::move(title)});
  if (draining_) return;
  // No task is indexing: start one. The task that ran before has finished
  // with the queue, so its future is no longer needed.
  draining_ = true;
  lock.unlock();
  drain_ = pool_.Run([this] { Drain(); });
}

void BackgroundIndex::Drain() {
  for (;;) {
    Page page;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queued_.empty()) {
        draining_ = false;
        return;
      }
      page = std::move(queued_.front());
      queued_.pop_front();
    }
    index_.AddPage(page.topic, page.html, page.title);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queued_bytes_ -= page.html.size() + page.title.size();
    }
    room_.notify_one();
  }
}

void BackgroundIndex::WaitForDrain() {
  std::future<void> drain;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    drain = std::move(drain_);
  }
  if (drain.valid()) drain.wait();
}

bool BackgroundIndex::Finish(std::uint32_t lcid, std::uint32_t code_page, const FullTextIndex::IndexSink& sink) {
  WaitForDrain();
  return index_.Finish(lcid, code_page, sink);
}

}  // namespace hha
