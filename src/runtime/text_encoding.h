#pragma once
// Which encoding a text's bytes are in: the byte-order marks, and the rule
// that tells UTF-8 from GBK in an unmarked text. Text files and the pages
// the compiler stores both go by it.

#include <string>
#include <string_view>

namespace qm {

enum class TextEncoding {
  kGbk,         // no mark, not UTF-8 (or pure ASCII): used as it is
  kUtf8,        // no mark, UTF-8 that code page 936 cannot read right
  kUtf8Marked,  // starts with the UTF-8 byte-order mark
  kUtf16Le,     // starts with FF FE
  kUtf16Be,     // starts with FE FF
};

/// The encoding of a text file's bytes, found in one pass over them. An
/// unmarked text can be UTF-8 only when every sequence is well-formed UTF-8
/// (no overlong forms, surrogates or values past U+10FFFF) and at least one
/// is longer than a byte; a last sequence cut short by the end of the file
/// is allowed, so that a UTF-8 text cut inside a character is still read as
/// UTF-8. Short GBK texts are often well-formed UTF-8 too (小说 is D0 A1
/// CB B5), so such a text counts as UTF-8 only when reading it as code page
/// 936 would be wrong:
/// - it holds a sequence of three or four bytes (Chinese, punctuation such
///   as ’ or “, emoji: GBK text almost never forms one), or
/// - its two-byte sequences (each of which is also a GBK lead and trail
///   byte, so the text is code page 936 too) read as a real alphabet: Latin
///   letters and signs in common use (é, ü, ł, °, the pinyin ǎ), with at
///   most one of Greek, Cyrillic, Armenian, Hebrew, Arabic and the like,
///   and then only when the code page 936 reading is not all GB2312
///   characters; combining marks go with any of them. What GBK Chinese makes of two-byte sequences is a mixture
///   (Cyrillic with modifier letters, IPA letters, rare Latin letters such as
///   Ʈ), so it stays GBK. Left to UTF-8 are the few GBK texts that read as
///   common Latin letters alone (茫茫 is C3 A3 C3 A3, "ãã").
TextEncoding DetectTextEncoding(std::string_view data);

/// DetectTextEncoding for a text read in pieces: the pieces go in one
/// after another (of any sizes), and the encoding is what DetectTextEncoding
/// finds for all of them together.
class TextEncodingDetector {
 public:
  /// Looks at the next piece. False once the encoding is settled, so that
  /// no further piece needs to be read.
  bool Add(std::string_view piece);
  /// The encoding of the pieces added.
  TextEncoding Finish();

 private:
  void Check(std::string_view data, bool last);
  void CheckGb2312(std::string_view piece);
  bool Utf8ReadingWins() const;
  std::string held_;  // the first bytes before a mark can be told, or a sequence a piece cut short
  bool marks_checked_ = false;
  bool settled_ = false;
  bool multi_byte_ = false;
  bool long_sequence_ = false;     // a UTF-8 sequence of three or four bytes
  unsigned two_byte_scripts_ = 0;  // the kinds of character the two-byte sequences read as
  bool beyond_gb2312_ = false;     // read as code page 936, a character lies outside GB2312
  bool trail_next_ = false;        // read so, the next byte is a trail byte
  TextEncoding encoding_ = TextEncoding::kGbk;
};

}  // namespace qm
