#pragma once
// Text files in their own encoding: the web-page tools read a text marked
// as UTF-16 or UTF-8, or an unmarked text that is UTF-8, and turn it into
// code page 936 before any page is built from it. Every other text is taken
// as GBK, byte for byte.

#include <string>
#include <string_view>

#include "runtime/byte_set.h"

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

/// DecodeTextFile for a text read in pieces of any sizes: each piece's code
/// page 936 form, a character (or a character and its combining marks) cut
/// by a piece's end going with the next piece, so that all of them together
/// are what DecodeTextFile makes of the whole text.
class TextDecoder {
 public:
  explicit TextDecoder(TextEncoding encoding);
  /// The code page 936 text of the next piece: `piece` itself for a GBK
  /// text, else held in `buffer`. Valid until the next call.
  std::string_view Add(std::string_view piece, std::string* buffer);
  /// The code page 936 text of what the last piece left over.
  std::string_view Finish(std::string* buffer);
  /// True after Finish when the text was UTF-16 of an odd number of bytes:
  /// its last byte, half a character, was dropped.
  bool dropped_odd_byte() const { return dropped_odd_byte_; }

 private:
  std::string_view Convert(std::string_view data, bool last, std::string* buffer);
  TextEncoding encoding_;
  std::size_t mark_left_;  // bytes of the byte-order mark still to skip
  std::string held_;       // bytes left over from the last piece
  std::string joined_;
  bool dropped_odd_byte_ = false;
};

struct DecodedText {
  ByteSet gbk;  // the text in code page 936; may hold 0 bytes
  TextEncoding encoding = TextEncoding::kGbk;
  bool dropped_odd_byte = false;  // a UTF-16 text's last, odd byte was dropped
};

/// A text file's bytes in code page 936, ready for page building. A GBK
/// text comes back unchanged (the same bytes, not copied). Other texts lose
/// their byte-order mark and are converted with the re-encoding tool's code
/// page 936 conversion, except that a character without a code page 936
/// form becomes its HTML character reference ("&#x1F600;") and U+0000
/// becomes a 0 byte; a sequence that cannot be decoded becomes the
/// reference of U+FFFD. A UTF-16 text's trailing odd byte is dropped.
DecodedText DecodeTextFile(ByteSet data);

/// DecodeTextFile for a web page, which may say what it is written in: an
/// unmarked page whose first "charset=" names UTF-8 is read as UTF-8 even
/// where its bytes are not all valid UTF-8 (those become U+FFFD), and one
/// that names code page 936 (gb2312, gbk, gb18030) stays GBK byte for byte
/// even when its bytes would also read as UTF-8. A byte-order mark wins over
/// what the page says.
DecodedText DecodePageFile(ByteSet data);

}  // namespace qm
