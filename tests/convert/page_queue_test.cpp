// Pages made beside the file work, on worker threads, are the pages made one
// after another on one thread: the same bytes, handed back in order, and
// the random numbers drawn after them the same, whether pages are finished
// in between (as before a text read in pieces) or not.

#include "convert/page_queue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace qm {
namespace {

TEST(PageQueue, PagesAndDrawsAreThoseOfOnePageAfterAnother) {
  const char* before = std::getenv("QUILLMERE_THREADS");
  const std::string kept = before ? before : "";
  const std::vector<std::string> pieces = {"\xB0\xA1\xB0\xA2",   "word ",       "\r\n", "\n", "<br>", "[GOP]", "\xB0",
                                           std::string(1, '\0'), "\xE4\xB8\xAD"};
  std::mt19937 rng(11);
  auto pick = [&rng](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  for (int round = 0; round < 40; ++round) {
    ::setenv("QUILLMERE_THREADS", round % 5 == 0 ? "1" : "3", 1);
    const long count = 1 + static_cast<long>(pick(40));
    std::vector<Text> names;
    for (long i = 0; i < count; ++i) names.push_back(i % 9 == 4 ? "第" + std::to_string(i) + "章.txt" : "t.txt");
    BookPageOptions options;
    options.wrap_lines = round % 3 != 0;
    options.decorate = round % 4 != 1;
    if (round % 6 == 2) options.header = "<b>[GON]</b>";
    Random ours, model;
    ours.Seed(round);
    model.Seed(round);
    std::vector<MadePage> got;
    PageQueue queue(names, count, options, "2024-5-7", ours, [&](MadePage& page) { got.push_back(page); });
    WholeBookPage maker;
    std::vector<MadePage> want;
    for (long i = 0; i < count; ++i) {
      if (pick(8) == 0) {
        // A page made here, as a long text's is: the queued ones first.
        queue.Finish();
        ASSERT_EQ(got.size(), want.size()) << "round " << round;
        ASSERT_EQ(ours.Number(1, 56), model.Number(1, 56)) << "round " << round << ", before entry " << i;
        continue;
      }
      std::string bytes;
      const std::size_t size = pick(30) == 0 ? 200000 + pick(900000) : pick(3) == 0 ? 20000 + pick(40000) : pick(3000);
      while (bytes.size() < size) bytes += pieces[pick(pieces.size())];
      if (i % 11 == 7)
        bytes = std::string(
                    "\xFF\xFE"
                    "A\0B\0C",
                    7) +
                std::string(pick(2), 'x');
      MadePage page;
      page.index = i;
      maker.Make(bytes, names[static_cast<std::size_t>(i)], i, count, "2024-5-7", options, model, page.bytes);
      page.dropped_odd_byte = maker.dropped_odd_byte();
      page.ended_at_zero_byte = maker.ended_at_zero_byte();
      want.push_back(page);
      queue.Add(i, std::move(bytes));
    }
    queue.Finish();
    ASSERT_EQ(got.size(), want.size()) << "round " << round;
    for (std::size_t k = 0; k < want.size(); ++k) {
      ASSERT_EQ(got[k].index, want[k].index) << "round " << round;
      ASSERT_TRUE(got[k].bytes == want[k].bytes) << "round " << round << ", page " << want[k].index;
      ASSERT_EQ(got[k].dropped_odd_byte, want[k].dropped_odd_byte) << "round " << round;
      ASSERT_EQ(got[k].ended_at_zero_byte, want[k].ended_at_zero_byte) << "round " << round;
    }
    ASSERT_EQ(ours.Number(1, 56), model.Number(1, 56)) << "round " << round << ", after every page";
  }
  if (before) ::setenv("QUILLMERE_THREADS", kept.c_str(), 1);
  else ::unsetenv("QUILLMERE_THREADS");
}

}  // namespace
}  // namespace qm
