#pragma once
// Text files in their own encoding: the web-page tools read a text marked
// as UTF-16 or UTF-8, or an unmarked text that is UTF-8, and turn it into
// code page 936 before any page is built from it. Every other text is taken
// as GBK, byte for byte.

#include <string_view>

#include "runtime/byte_set.h"

namespace qm {

enum class TextEncoding {
  kGbk,          // no mark, not UTF-8 (or pure ASCII): used as it is
  kUtf8,         // no mark, valid UTF-8 with at least one multi-byte sequence
  kUtf8Marked,   // starts with the UTF-8 byte-order mark
  kUtf16Le,      // starts with FF FE
  kUtf16Be,      // starts with FE FF
};

/// The encoding of a text file's bytes, found in one pass over them. An
/// unmarked text counts as UTF-8 when every sequence is well-formed UTF-8
/// (no overlong forms, surrogates or values past U+10FFFF) and at least one
/// is longer than a byte; a last sequence cut short by the end of the file
/// is allowed, so that a UTF-8 text cut inside a character is still read as
/// UTF-8.
TextEncoding DetectTextEncoding(std::string_view data);

struct DecodedText {
  ByteSet gbk;  // the text in code page 936; may hold 0 bytes
  TextEncoding encoding = TextEncoding::kGbk;
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
