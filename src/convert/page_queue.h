#pragma once
// The pages of whole texts made beside the file work: the caller reads and
// moves the next texts while a worker thread makes the pages of the ones
// before, a few at a time, and the caller writes them as they are done.

#include <functional>
#include <future>
#include <string>
#include <vector>

#include "convert/book_page_file.h"
#include "core/book_page.h"
#include "runtime/random.h"
#include "runtime/text.h"
#include "runtime/work_pool.h"

namespace qm {

/// The page of one text, made and not yet written.
struct MadePage {
  long index = 0;  // of the entry it was made from
  Text bytes;
  bool dropped_odd_byte = false;
  bool ended_at_zero_byte = false;
};

class PageQueue {
 public:
  /// Takes a made page, on the caller's thread, in the order of the texts.
  using Done = std::function<void(MadePage& page)>;

  /// Pages of entries of `names` (`count` in the book), made with `options`
  /// and `date` and decorated from `random`, which nothing else may draw
  /// from while pages are queued. With one thread (ThreadCount), each page
  /// is made as it is added.
  PageQueue(const std::vector<Text>& names, long count, const BookPageOptions& options, const Text& date,
            Random& random, Done done);
  /// Waits for the page being made; those not handed to `done` are dropped.
  ~PageQueue();
  PageQueue(const PageQueue&) = delete;
  PageQueue& operator=(const PageQueue&) = delete;

  /// Queues the page of entry `index`, whose whole text file is `bytes`.
  /// Indexes come in rising order. Pages made by now may go to `done`.
  void Add(long index, std::string bytes);
  /// Makes every queued page and hands it to `done`: after it, random
  /// numbers are drawn as after making each page in turn.
  void Finish();
  /// Drops the pages not yet handed to `done`.
  void Drop();

 private:
  struct WholeText {
    long index;
    std::string bytes;
  };
  /// Starts making the texts gathered so far, once the worker is free; the
  /// pages it made before go to `done`.
  void Start();
  /// Hands the pages `made` gives to `done`, once made.
  void HandOver(std::future<std::vector<MadePage>>& made);

  const std::vector<Text>& names_;
  const long count_;
  const BookPageOptions options_;
  const Text date_;
  Random& random_;
  Done done_;
  WholeBookPage maker_;  // before the pool, whose task uses it
  WorkPool pool_;
  std::vector<WholeText> gathered_;  // texts not yet given to the worker
  std::size_t gathered_bytes_ = 0;
  std::future<std::vector<MadePage>> making_;  // not valid: the worker is free
};

}  // namespace qm
