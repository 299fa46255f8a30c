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
  kUtf8,        // no mark, valid UTF-8 with at least one multi-byte sequence
  kUtf8Marked,  // starts with the UTF-8 byte-order mark
  kUtf16Le,     // starts with FF FE
  kUtf16Be,     // starts with FE FF
};

/// The encoding of a text file's bytes, found in one pass over them. An
/// unmarked text counts as UTF-8 when every sequence is well-formed UTF-8
/// (no overlong forms, surrogates or values past U+10FFFF) and at least one
/// is longer than a byte; a last sequence cut short by the end of the file
/// is allowed, so that a UTF-8 text cut inside a character is still read as
/// UTF-8.
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
  std::string held_;  // the first bytes before a mark can be told, or a sequence a piece cut short
  bool marks_checked_ = false;
  bool settled_ = false;
  bool multi_byte_ = false;
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
