// The search index read back the way index-reading viewers read it: down
// the B-tree of 4 KB nodes to a word's leaf entry, then through its word
// location codes. Phrases are found as consecutive places.
#include "full_text_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <random>
#include <set>

#include "book_fixture.h"

namespace {

using hha::Bytes;
using Places = std::map<std::uint32_t, std::vector<std::uint32_t>>;  // topic -> places

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }

// A reader of $FIftiMain written from the format notes, independent of the
// writer.
class IndexReader {
 public:
  explicit IndexReader(Bytes data) : d_(std::move(data)) {
    EXPECT_EQ(U32(d_, 0), 0x00280000u);
    EXPECT_EQ(d_[0x1E], 2);
    EXPECT_EQ(d_[0x20], 2);
    EXPECT_EQ(d_[0x22], 2);
    EXPECT_EQ(U32(d_, 0x2E), 4096u);
    EXPECT_EQ(U32(d_, 0x7A), 936u);
    EXPECT_EQ(U32(d_, 0x7E), 0x804u);
    EXPECT_EQ(U32(d_, 8), d_.size() - 4096);
  }

  int depth() const { return U16(d_, 0x18); }

  /// Where `word` is found, in text or in titles. `ignoring_case`: as
  /// python3-chm looks, going down the tree by strcasecmp and looking in
  /// that one leaf only.
  Places Find(const std::string& word, bool title, bool ignoring_case = false) const {
    auto less = [ignoring_case](const std::string& a, const std::string& b) {
      if (!ignoring_case) return a < b;
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(x))) <
               static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(y)));
      });
    };
    std::size_t node = U32(d_, 0x14);
    for (int depth = U16(d_, 0x18); depth > 1; --depth) {
      std::size_t end = node + 4096 - U16(d_, node), i = node + 2;
      std::string key;
      std::size_t child = 0;
      while (i < end) {
        i = ReadWord(i, key);
        child = U32(d_, i);
        i += 6;
        if (!less(key, word)) break;
      }
      if (less(key, word)) return {};
      node = child;
    }
    // A reader ignoring case looks through the one leaf it reached, to its end.
    Places found;
    for (; node; node = ignoring_case ? 0 : U32(d_, node)) {
      std::size_t end = node + 4096 - U16(d_, node + 6), i = node + 8;
      std::string key;
      while (i < end) {
        i = ReadWord(i, key);
        bool is_title = d_[i++] == 1;
        std::uint64_t pages = ReadInt(i), offset = U32(d_, i);
        i += 6;
        std::uint64_t size = ReadInt(i);
        if (key > word && !ignoring_case) return found;
        if (key == word && is_title == title) ReadCodes(offset, size, pages, found);
      }
    }
    return found;
  }

 private:
  std::size_t ReadWord(std::size_t i, std::string& key) const {
    std::size_t length = d_[i] - 1, shared = d_[i + 1];
    key = key.substr(0, shared) + std::string(d_.begin() + i + 2, d_.begin() + i + 2 + length);
    return i + 2 + length;
  }
  std::uint64_t ReadInt(std::size_t& i) const {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      v |= static_cast<std::uint64_t>(d_[i] & 0x7F) << shift;
      if (!(d_[i++] & 0x80)) return v;
    }
  }
  void ReadCodes(std::size_t at, std::size_t size, std::uint64_t pages, Places& found) const {
    std::size_t bit = at * 8;
    auto next_bit = [&] {
      int b = (d_[bit / 8] >> (7 - bit % 8)) & 1;
      ++bit;
      return b;
    };
    auto code = [&](int root) {
      int ones = 0;
      while (next_bit()) ++ones;
      std::uint32_t v = ones ? 1 : 0;
      for (int k = 0; k < root + (ones ? ones - 1 : 0); ++k) v = (v << 1) | next_bit();
      return v;
    };
    std::uint32_t topic = 0;
    for (std::uint64_t p = 0; p < pages; ++p) {
      bit = (bit + 7) / 8 * 8;
      topic += code(d_[0x1F]);
      std::uint32_t count = code(d_[0x21]), place = 0;
      for (std::uint32_t k = 0; k < count; ++k) found[topic].push_back(place += code(d_[0x23]));
    }
    EXPECT_LE(bit, (at + size) * 8);
  }
  Bytes d_;
};

// Pages found holding `chars` (code page 936 letters) at consecutive places.
std::set<std::uint32_t> PhrasePages(const IndexReader& index, const std::vector<std::string>& chars) {
  std::vector<Places> each;
  for (const std::string& c : chars) each.push_back(index.Find(c, false));
  std::set<std::uint32_t> pages;
  for (const auto& [topic, places] : each[0]) {
    for (std::uint32_t start : places) {
      bool all = true;
      for (std::size_t k = 1; k < chars.size() && all; ++k) {
        auto it = each[k].find(topic);
        all = it != each[k].end() && std::count(it->second.begin(), it->second.end(), start + k);
      }
      if (all) pages.insert(topic);
    }
  }
  return pages;
}

// Whether the shown text (code page 936 letters and ASCII) holds `needle`
// at a character boundary.
bool Holds(const std::string& text, const std::string& needle) {
  for (std::size_t i = 0; i + needle.size() <= text.size(); i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1)
    if (text.compare(i, needle.size(), needle) == 0) return true;
  return false;
}

TEST(FullTextIndex, FindsChineseWordsByConsecutivePlacesAsAPlainScanDoes) {
  const std::vector<std::string> hanzi = [] {
    std::vector<std::string> v;
    for (const char* c : {"江", "水", "明", "月", "夜", "山", "风", "中", "花", "雪"}) v.push_back(hha_test::Gbk(c));
    return v;
  }();
  const std::vector<char32_t> code_points = {0x6C5F, 0x6C34, 0x660E, 0x6708, 0x591C,
                                             0x5C71, 0x98CE, 0x4E2D, 0x82B1, 0x96EA};
  std::mt19937 rng(21);
  hha::FullTextIndex index;
  std::vector<std::string> shown;  // each page's shown text: letters and " word " runs
  std::vector<std::set<std::string>> ascii_words;
  for (std::uint32_t page = 0; page < 400; ++page) {
    std::string html =
        "<html><head><title>x</title><style>p{content:\"" + hanzi[0] + hanzi[1] + "\"}</style></head><body><p>";
    std::string text;
    ascii_words.emplace_back();
    for (int piece = 0; piece < 30; ++piece) {
      if (rng() % 3 == 0) {
        // A word of many, so that the tree needs many leaves and an index.
        std::string word = "w" + std::to_string(rng() % 6000);
        html += rng() % 2 ? " " + word + " " : " <b>W" + word.substr(1) + "</b> ";
        text += " " + word + " ";
        ascii_words.back().insert(word);
        continue;
      }
      for (int n = 1 + static_cast<int>(rng() % 5); n > 0; --n) {
        std::size_t c = rng() % hanzi.size();
        int form = static_cast<int>(rng() % 6);
        html += form == 0   ? "&#" + std::to_string(code_points[c]) + ";"
                : form == 1 ? "<i>" + hanzi[c] + "</i>"
                            : hanzi[c];
        text += hanzi[c];
      }
    }
    html += "</p><script>var s = \"zzhidden" + hanzi[2] + hanzi[3] + "\";</script></body></html>";
    index.AddPage(page, html, hha_test::Gbk("标题") + " t" + std::to_string(page));
    shown.push_back(text);
  }
  IndexReader reader(index.Finish(0x804, 936));
  ASSERT_GE(reader.depth(), 2) << "the words fill many leaves under an index node";

  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> chars;
    for (int k = 0, n = 2 + round % 2; k < n; ++k) chars.push_back(hanzi[rng() % hanzi.size()]);
    std::string phrase;
    for (const std::string& c : chars) phrase += c;
    std::set<std::uint32_t> scanned;
    for (std::uint32_t p = 0; p < shown.size(); ++p)
      if (Holds(shown[p], phrase)) scanned.insert(p);
    EXPECT_EQ(PhrasePages(reader, chars), scanned) << "phrase of " << chars.size() << " characters, round " << round;
  }
  for (int round = 0; round < 200; ++round) {
    std::string word = "w" + std::to_string(rng() % 6000);
    std::set<std::uint32_t> scanned, found;
    for (std::uint32_t p = 0; p < shown.size(); ++p)
      if (ascii_words[p].count(word)) scanned.insert(p);
    for (const auto& [topic, places] : reader.Find(word, false)) found.insert(topic);
    EXPECT_EQ(found, scanned) << word;
  }
  EXPECT_TRUE(reader.Find("zzhidden", false).empty()) << "scripts are not indexed";
  EXPECT_EQ(reader.Find("t7", true).size(), 1u) << "title words are indexed as titles";
  EXPECT_EQ(reader.Find(hha_test::Gbk("题"), true).size(), 400u);
  EXPECT_TRUE(reader.Find(hha_test::Gbk("题"), false).empty()) << "the title element is not body text";
}

// Readers that go down the tree comparing words with strcasecmp (python3-chm)
// read a trail byte from 'A' to 'Z' as its small letter; they must still
// reach the leaf of every character, in text and in titles.
TEST(FullTextIndex, ReadersThatFoldCaseFindEveryCharacter) {
  std::vector<std::string> chars;
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x40; trail <= 0xFE; ++trail)
      if (trail != 0x7F && hha::IsLetterCharacter(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)))
        chars.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  hha::FullTextIndex index;
  std::string text, title;
  for (std::size_t k = 0; k < chars.size(); ++k) (k % 7 == 0 ? title : text) += chars[k] + " ";
  index.AddPage(0, "<html><body>" + text + title + "</body></html>", title);
  IndexReader reader(index.Finish(0x804, 936));
  ASSERT_GE(reader.depth(), 2);
  // Full-width capitals are indexed as their small letters.
  for (std::string& c : chars)
    if (c[0] == '\xA3' && c[1] >= '\xC1' && c[1] <= '\xDA') c[1] = static_cast<char>(c[1] + 0x20);
  std::size_t missed = 0;
  for (std::size_t k = 0; k < chars.size(); ++k) {
    missed += reader.Find(chars[k], false, true).empty();
    if (k % 7 == 0) missed += reader.Find(chars[k], true, true).empty();
  }
  EXPECT_EQ(missed, 0u);
}

// A reference is indexed as the character a reader shows for it; one it
// shows as a character code page 936 lacks (as the compiler writes them for
// a UTF-8 page) or does not name one this writer knows is no word, and
// never a word of its spelling.
TEST(FullTextIndex, ReferencesAreIndexedAsTheCharactersShown) {
  hha::FullTextIndex index;
  index.AddPage(0,
                "<p>a&#xA9;b &#x1F600; &#161; &#12345678901; &copy; &eacute; &alpha;&Omega; &#x4E2D; &amp;amp; "
                "&#;x &;y z&#x;</p>",
                "t");
  IndexReader reader(index.Finish(0x804, 936));
  for (const char* spelled : {"xa9", "x1f600", "161", "12345678901", "copy", "eacute", "alpha", "omega", "x4e2d"})
    EXPECT_TRUE(reader.Find(spelled, false).empty()) << spelled;
  const Places a = reader.Find("a", false), b = reader.Find("b", false);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b.at(0), std::vector<std::uint32_t>{a.at(0)[0] + 1}) << "the symbol between them only separates";
  for (const char* shown : {"\xA6\xC1", "\xA6\xB8", "\xD6\xD0", "amp", "x", "y", "z"})
    EXPECT_EQ(reader.Find(shown, false).size(), 1u) << shown;
}

// Words and places as one byte at a time finds them, against the writer's
// scan, which takes ASCII text many bytes at a time: texts with long ASCII
// stretches (words reaching across any boundary, capitals, runs past the
// longest kept) broken by characters whose trail bytes look like letters.
TEST(FullTextIndex, WordsAreFoundAsAScanOfOneByteAtATimeFindsThem) {
  using Found = std::vector<std::pair<std::string, std::uint32_t>>;
  auto one_at_a_time = [](const std::string& text, std::uint32_t& place) {
    Found found;
    for (std::size_t i = 0; i < text.size();) {
      const auto b = static_cast<unsigned char>(text[i]);
      if (b < 0x80 && std::isalnum(b)) {
        std::string word;
        for (; i < text.size() && static_cast<unsigned char>(text[i]) < 0x80 && std::isalnum(text[i]); ++i)
          word += static_cast<char>(std::tolower(text[i]));
        if (word.size() <= hha::FullTextIndex::kLongestWord) found.emplace_back(word, place);
        ++place;
      } else if (b < 0x81 || b == 0xFF || i + 1 == text.size()) {
        ++i;
      } else {
        auto t = static_cast<unsigned char>(text[i + 1]);
        if (hha::IsLetterCharacter(b, t)) {
          if (b == 0xA3 && t >= 0xC1 && t <= 0xDA) t += 0x20;
          found.emplace_back(std::string{static_cast<char>(b), static_cast<char>(t)}, place++);
        }
        i += 2;
      }
    }
    return found;
  };
  std::mt19937 rng(64);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int k = static_cast<int>(rng() % 40); k > 0; --k) {
      const unsigned kind = rng() % 10;
      if (kind < 6) {
        for (unsigned len = 1 + rng() % (kind == 0 ? 130 : 12); len > 0; --len) text += "aZz09kQ"[rng() % 7];
      } else if (kind < 8) {
        text += " .,\r\n-\x80"[rng() % 7];
      } else {
        text += static_cast<char>(0x81 + rng() % 0x7E);
        text += static_cast<char>(0x40 + rng() % 0xBF);
      }
    }
    Found scanned;
    std::uint32_t place = 0, expected_place = 0;
    hha::ForEachWord(text, place, [&](std::string_view w, std::uint32_t at) { scanned.emplace_back(w, at); });
    ASSERT_EQ(scanned, one_at_a_time(text, expected_place)) << "round " << round;
    ASSERT_EQ(place, expected_place) << "round " << round;
  }
}

// The index's bytes for pages of every kind of word (upper case, digits,
// runs at and past the longest kept, full-width letters, hanzi, kana,
// references, tags inside words, odd bytes), as this writer has always
// written them: a faster writer must give the same bytes.
TEST(FullTextIndex, BytesComeOutAsTheyAlwaysHave) {
  std::vector<std::string> pieces = {
      "zeta",     "a`b{c@d[e", "Alpha",    "beta",     "GAMMA",    "x1",         "2026",     " ",        "\r\n",
      ",",        "<b>",       "</b>",     "&amp;",    "&#20013;", "<!-- c -->", "\xD6\xD0", "\xCE\xC4", "\xA3\xC1",
      "\xA3\xE1", "\xA3\xB5",  "\xA4\xA2", "\xA1\xA3", "\x80",     "\xFF",       "\x81\x40", "\xAA\xA1", "\xA8\xA6"};
  for (std::size_t run : {99, 100, 150}) pieces.push_back(std::string(run, run == 100 ? 'Q' : 'q'));
  std::mt19937 rng(2026);
  hha::FullTextIndex index;
  for (std::uint32_t page = 0; page < 300; page += 1 + rng() % 3) {
    std::string html = "<html><head><title>T" + std::to_string(page) + "</title></head><body>";
    for (int k = static_cast<int>(rng() % 400); k > 0; --k) html += pieces[rng() % pieces.size()];
    if (rng() % 4 == 0) html += "\xB0";  // a lead byte at the very end
    index.AddPage(page, html, "T" + std::to_string(page) + pieces[rng() % pieces.size()]);
  }
  const Bytes out = index.Finish(0x804, 936);
  std::uint64_t digest = 14695981039346656037ull;
  for (std::uint8_t b : out) digest = (digest ^ b) * 1099511628211ull;
  EXPECT_EQ(out.size(), 32256u);
  EXPECT_EQ(digest, 2584311489780587283ull);
}

}  // namespace
