// A text read in pieces gives the page its whole text gives: over many
// generated texts in every encoding, with pieces so small that they break
// inside characters, CR LFs, tags, placeholders and byte-order marks.

#include "convert/book_page_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/text_decoding.h"
#include "support/virtual_file_system.h"

namespace qm {
namespace {

std::string Utf16(const std::u16string& units, bool big_endian) {
  std::string bytes;
  for (char16_t u : units) {
    char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    bytes += big_endian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return bytes;
}

TEST(BookPageFile, PiecesGiveThePageOfTheWholeText) {
  const std::vector<std::string> gbk = {"\r\n",   "\r",
                                        "\n",     "<br>",
                                        "<b",     "r>",
                                        "<pre>",  "[GOP]",
                                        "[time]", "[GO",
                                        "P]",     "\xB0\xA1",
                                        "\xB0",   std::string(1, '\0'),
                                        "text ",  "[PART0]</pre>",
                                        "["};
  const std::vector<std::string> utf8 = {"\xE4\xB8\xAD", "e\xCC\x81", "\xCC\x81", "\xF0\x9F\x98\x80",
                                         "\r\n",         "<br>",      "[time]",   "a",
                                         "\xE4\xB8",     "\xC3\xA9",  "\n",       std::string(1, '\0')};
  const std::vector<std::u16string> utf16 = {
      u"\u4E2D", u"e",    u"\u0301", u"\U0001F600", u"\r\n", u"<br>", u"\xDC00", u"\xD800", std::u16string(1, u'\0'),
      u"\r",     u"[GON]"};
  const std::vector<Text> names = {"a.txt", "[PART0].txt", "[PART0]</pre>.txt", "[time]"};
  std::mt19937 rng(15);
  auto pick = [&rng](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  for (int round = 0; round < 1500; ++round) {
    std::string raw;
    const int length = static_cast<int>(pick(40));
    switch (round % 4) {
      case 0:
        for (int n = 0; n < length; ++n) raw += gbk[pick(gbk.size())];
        break;
      case 1:
        raw = round % 8 == 1 ? "\xEF\xBB\xBF" : "";
        for (int n = 0; n < length; ++n) raw += utf8[pick(utf8.size())];
        break;
      default: {
        const bool big_endian = round % 4 == 3;
        std::u16string units = u"\uFEFF";  // the mark, in the byte order chosen
        for (int n = 0; n < length; ++n) units += utf16[pick(utf16.size())];
        raw = Utf16(units, big_endian) + (round % 5 == 0 ? "z" : "");
      }
    }
    const Text name = names[pick(names.size())];
    BookPageOptions options;
    options.wrap_lines = round % 3 != 0;
    options.decorate = round % 2 == 0;
    const long count = 1 + round % 3, index = round % count;
    const std::size_t piece_size = round % 10 == 9 ? kTextPieceSize : 1 + pick(9);

    VirtualFileSystem fs;
    fs.AddFile("/t.txt", raw);
    BookPageFile file(fs, piece_size);
    ASSERT_TRUE(file.Open("/t.txt"));
    Random ours, model;
    ours.Seed(round);
    model.Seed(round);
    ASSERT_TRUE(file.WritePage("/p.htm", name, index, count, "2024-5-7", options, ours));
    const Text whole = BuildBookPage(name, DecodeTextFile(ByteSet(raw)).gbk, index, count, "2024-5-7", options, model);
    ASSERT_EQ(fs.Contents("/p.htm"), whole) << "round " << round << ", pieces of " << piece_size;
    ASSERT_EQ(fs.Files().size(), 2u) << "round " << round;  // no temporary file left
  }
}

}  // namespace
}  // namespace qm
