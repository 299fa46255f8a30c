#pragma once
// Text files in their own encoding: the web-page tools read a text marked
// as UTF-16 or UTF-8, or an unmarked text that is UTF-8, and turn it into
// code page 936 before any page is built from it. Every other text is taken
// as GBK, byte for byte.

#include <string>
#include <string_view>

#include "runtime/byte_set.h"
#include "runtime/text_encoding.h"

namespace qm {

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

}  // namespace qm
