#include "convert/page_queue.h"

#include <utility>

namespace qm {
namespace {

// Texts gathered before the worker is woken for them: waking it for every
// text would cost about as much as a small page takes to make. Their bytes
// are bounded too, so that the texts and pages in memory stay a few pieces.
constexpr std::size_t kMostGathered = 8;
constexpr std::size_t kMostGatheredBytes = kTextPieceSize;

}  // namespace

PageQueue::PageQueue(const std::vector<Text>& names, long count, const BookPageOptions& options, const Text& date,
                     Random& random, Done done)
    : names_(names),
      count_(count),
      options_(options),
      date_(date),
      random_(random),
      done_(std::move(done)),
      pool_(ThreadCount()) {}

PageQueue::~PageQueue() {
  if (making_.valid()) making_.wait();
}

void PageQueue::Add(long index, std::string bytes) {
  gathered_bytes_ += bytes.size();
  gathered_.push_back({index, std::move(bytes)});
  if (gathered_.size() >= kMostGathered || gathered_bytes_ >= kMostGatheredBytes || pool_.threads() <= 1) Start();
}

void PageQueue::Start() {
  if (gathered_.empty()) return;
  // One batch at a time: the maker and the random numbers are the
  // worker's until it is done, and the pages come out in order.
  std::future<std::vector<MadePage>> before = std::move(making_);
  if (before.valid()) before.wait();
  making_ = pool_.Run([this, texts = std::exchange(gathered_, {})] {
    std::vector<MadePage> pages(texts.size());
    for (std::size_t k = 0; k < texts.size(); ++k) {
      MadePage& page = pages[k];
      page.index = texts[k].index;
      maker_.Make(texts[k].bytes, names_[static_cast<std::size_t>(page.index)], page.index, count_, date_, options_,
                  random_, page.bytes);
      page.dropped_odd_byte = maker_.dropped_odd_byte();
      page.ended_at_zero_byte = maker_.ended_at_zero_byte();
    }
    return pages;
  });
  gathered_bytes_ = 0;
  HandOver(before);
}

void PageQueue::HandOver(std::future<std::vector<MadePage>>& made) {
  if (!made.valid()) return;
  std::vector<MadePage> pages = made.get();
  for (MadePage& page : pages) done_(page);
}

void PageQueue::Finish() {
  Start();
  HandOver(making_);
}

void PageQueue::Drop() {
  if (making_.valid()) making_.wait();
  making_ = {};
  gathered_.clear();
  gathered_bytes_ = 0;
}

}  // namespace qm
