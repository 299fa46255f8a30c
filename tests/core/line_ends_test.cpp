// Line ends: a lone LF is a line end wherever CR LF is one, and texts whose
// LFs all follow a CR give exactly what replacing CR LF gave before.

#include "core/line_ends.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/byte_set.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

TEST(LineEnds, LoneLfCountsAndCrLfTextsAreUnchanged) {
  // Pieces include a stray lead byte, which pairs with a following CR on
  // the character grid.
  const std::string pieces[] = {"a", Gbk("中"), "\r\n", "\n", "\r", "\xB0", " "};
  std::mt19937 rng(14);
  for (int n = 0; n < 20000; ++n) {
    std::string text;
    for (int k = static_cast<int>(rng() % 24); k > 0; --k) text += pieces[rng() % std::size(pieces)];
    // The same text with every LF that does not follow a CR given one.
    std::string crlf;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
      crlf += text[i];
    }
    ASSERT_EQ(ReplaceLineEnds(crlf, "<br>", false), ReplaceSubByteSet(ByteSet(crlf), "\r\n", "<br>").bytes)
        << testing::PrintToString(crlf);
    ASSERT_EQ(ReplaceLineEnds(crlf, "<br>", true), ReplaceSubtext(crlf, "\r\n", "<br>"))
        << testing::PrintToString(crlf);
    if (text.find('\xB0') == std::string::npos) {
      // Without stray bytes both walks agree, and a lone LF is a line end.
      ASSERT_EQ(ReplaceLineEnds(text, "<br>", false), ReplaceLineEnds(crlf, "<br>", false));
      ASSERT_EQ(ReplaceLineEnds(text, "<br>", true), ReplaceLineEnds(crlf, "<br>", true));
    }
  }
}

}  // namespace
}  // namespace qm
