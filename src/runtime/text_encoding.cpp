#include "runtime/text_encoding.h"

#include <cstdint>
#include <cstring>

#include "runtime/utf8.h"

namespace qm {
namespace {

// True when the bytes from `i` to the end are the beginning of a UTF-8
// sequence that the end of the data cut short.
bool IsCutSequence(std::string_view data, std::size_t i) {
  auto b = static_cast<unsigned char>(data[i]);
  std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
  if (b < 0xC2 || b > 0xF4 || data.size() - i >= n) return false;
  for (std::size_t k = i + 1; k < data.size(); ++k) {
    if ((static_cast<unsigned char>(data[k]) & 0xC0) != 0x80) return false;
  }
  return true;
}

// Whether the eight bytes at `p` are all ASCII.
bool EightAsciiBytes(const char* p) {
  std::uint64_t block;
  std::memcpy(&block, p, 8);
  return (block & 0x8080808080808080ULL) == 0;
}

// The kinds of character a two-byte UTF-8 sequence (U+0080 to U+07FF) can
// stand for, as bits.
enum ScriptBit : unsigned {
  kMarks = 1,       // combining marks, which go with any letter
  kLatin = 2,       // Latin-1 signs and letters, Latin Extended-A, some of -B
  kOddLetters = 4,  // C1 controls, rare Latin letters, IPA letters, modifier letters
  kAlphabets = 8,   // the first of the other alphabets; each has its own bit
};

// The bit of `cp`'s kind.
unsigned ScriptOf(char32_t cp) {
  struct Block {
    char32_t last;
    unsigned bit;
  };
  // Of Latin Extended-B only the pinyin letters with tone marks (ǎ to ǜ)
  // and the Romanian ș and ț count as Latin: the rest serves few languages
  // and is what GBK hanzi such as 飘 (C6 AE, "Ʈ") make of it.
  static constexpr Block kBlocks[] = {
      {0x9F, kOddLetters},       // C1 controls
      {0x17F, kLatin},           // Latin-1 Supplement, Latin Extended-A
      {0x1CC, kOddLetters},      // Latin Extended-B
      {0x1DC, kLatin},           // pinyin
      {0x217, kOddLetters},      // Latin Extended-B
      {0x21B, kLatin},           // Romanian
      {0x2FF, kOddLetters},      // Latin Extended-B, IPA, modifier letters
      {0x36F, kMarks},           // combining marks
      {0x3FF, kAlphabets << 0},  // Greek
      {0x52F, kAlphabets << 1},  // Cyrillic
      {0x58F, kAlphabets << 2},  // Armenian
      {0x5FF, kAlphabets << 3},  // Hebrew
      {0x6FF, kAlphabets << 4},  // Arabic
      {0x74F, kAlphabets << 5},  // Syriac
      {0x77F, kAlphabets << 4},  // Arabic Supplement
      {0x7BF, kAlphabets << 6},  // Thaana
      {0x7FF, kAlphabets << 7},  // N'Ko
  };
  for (const Block& block : kBlocks) {
    if (cp <= block.last) return block.bit;
  }
  return kOddLetters;
}

}  // namespace

bool TextEncodingDetector::Utf8ReadingWins() const {
  if (long_sequence_) return true;
  const unsigned letters = two_byte_scripts_ & ~unsigned{kMarks};
  if (letters == 0 || (letters & kOddLetters)) return false;
  const unsigned alphabets = letters & ~unsigned{kLatin};
  if (alphabets == 0) return true;
  const bool one_alphabet = (alphabets & (alphabets - 1)) == 0;
  return one_alphabet && beyond_gb2312_;
}

// Walks `piece` as code page 936 (a byte 0x81 to 0xFE leads a two-byte
// character) and notes a character outside GB2312's rows A1-A9 and B0-F7
// with trail bytes A1-FE.
void TextEncodingDetector::CheckGb2312(std::string_view piece) {
  for (std::size_t i = 0; i < piece.size() && !beyond_gb2312_; ++i) {
    if (!trail_next_ && i + 8 <= piece.size() && EightAsciiBytes(piece.data() + i)) {
      i += 7;
      continue;
    }
    const auto b = static_cast<unsigned char>(piece[i]);
    if (trail_next_) {
      trail_next_ = false;
      if (b < 0xA1 || b == 0xFF) beyond_gb2312_ = true;
    } else if (b >= 0x80) {
      trail_next_ = b != 0x80 && b != 0xFF;
      if (b < 0xA1 || b > 0xF7 || (b >= 0xAA && b <= 0xAF)) beyond_gb2312_ = true;
    }
  }
}

bool TextEncodingDetector::Add(std::string_view piece) {
  if (settled_) return false;
  if (!marks_checked_) {
    held_.append(piece);
    if (held_.size() >= 3) {
      marks_checked_ = true;
      std::string head = std::move(held_);
      held_.clear();
      if (head.starts_with("\xFF\xFE")) encoding_ = TextEncoding::kUtf16Le, settled_ = true;
      else if (head.starts_with("\xFE\xFF")) encoding_ = TextEncoding::kUtf16Be, settled_ = true;
      else if (head.starts_with("\xEF\xBB\xBF")) encoding_ = TextEncoding::kUtf8Marked, settled_ = true;
      else Check(head, false);
    }
  } else if (held_.empty()) {
    Check(piece, false);
  } else {
    std::string joined = std::move(held_);
    held_.clear();
    joined.append(piece);
    Check(joined, false);
  }
  // Whether the text stays within GB2312 only weighs while it may still be
  // UTF-8: a text settled by now (most GBK texts, at their first
  // character) costs no second walk.
  if (!settled_) CheckGb2312(piece);
  return !settled_;
}

TextEncoding TextEncodingDetector::Finish() {
  if (settled_) return encoding_;
  std::string rest = std::move(held_);
  held_.clear();
  if (!marks_checked_ && rest.starts_with("\xFF\xFE")) {
    encoding_ = TextEncoding::kUtf16Le;
  } else if (!marks_checked_ && rest.starts_with("\xFE\xFF")) {
    encoding_ = TextEncoding::kUtf16Be;
  } else {
    Check(rest, true);
    if (!settled_) encoding_ = multi_byte_ && Utf8ReadingWins() ? TextEncoding::kUtf8 : TextEncoding::kGbk;
  }
  marks_checked_ = settled_ = true;
  return encoding_;
}

// Walks `data` as UTF-8, noting the kinds of its multi-byte sequences. An
// ill-formed sequence settles the text as GBK, unless it is the end of the
// text cutting a sequence short (which counts as a sequence of its length);
// a sequence that the end of a piece may have cut short waits in `held_`
// for the next piece.
void TextEncodingDetector::Check(std::string_view data, bool last) {
  std::size_t i = 0;
  while (i < data.size()) {
    if (i + 8 <= data.size() && EightAsciiBytes(data.data() + i)) {
      i += 8;
      continue;
    }
    if (static_cast<unsigned char>(data[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    std::size_t n = DecodeUtf8(data, i, &cp);
    if (n == 0) {
      if (!last && IsCutSequence(data, i)) {
        held_.assign(data.substr(i));
        return;
      }
      if (last && IsCutSequence(data, i) && multi_byte_) {
        if (static_cast<unsigned char>(data[i]) >= 0xE0) long_sequence_ = true;
        return;  // Finish weighs the readings
      }
      settled_ = true;
      encoding_ = TextEncoding::kGbk;
      return;
    }
    multi_byte_ = true;
    if (n > 2) long_sequence_ = true;
    else two_byte_scripts_ |= ScriptOf(cp);
    i += n;
  }
}

TextEncoding DetectTextEncoding(std::string_view data) {
  TextEncodingDetector detector;
  detector.Add(data);
  return detector.Finish();
}

}  // namespace qm
