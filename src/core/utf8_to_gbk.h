#pragma once
// UTF-8 to code page 936 with the results of the Windows conversions
// MultiByteToWideChar(CP_UTF8, 0) and WideCharToMultiByte(936,
// WC_COMPOSITECHECK) with the default character "?".

#include <string>
#include <string_view>

#include "runtime/byte_set.h"
#include "runtime/text.h"

namespace qm {

/// Decodes UTF-8 into UTF-16 little-endian code units (two bytes each).
/// Never fails: each maximal part of an ill-formed sequence (a stray
/// continuation byte, a byte that cannot start a sequence, a sequence cut
/// short, an overlong form, an encoded surrogate or a value above U+10FFFF)
/// becomes one U+FFFD. Characters above U+FFFF become surrogate pairs. A
/// byte-order mark is kept as U+FEFF. Empty input gives the empty byte set.
ByteSet Utf16FromUtf8(const ByteSet& data);

/// What GbkTextFromUtf16 does with what code page 936 cannot hold.
enum class GbkUnmapped {
  // The re-encoding tool's rule: a character without a form becomes "?",
  // and the text ends before the first U+0000.
  kQuestionMark,
  // For texts that become pages: such a character becomes its HTML
  // character reference (a lone surrogate that of U+FFFD), and U+0000 is
  // kept as a 0 byte, as in a text file read byte for byte.
  kCharacterReference,
};

/// Converts UTF-16 little-endian code units (a trailing odd byte is ignored)
/// to code page 936. The text ends before the first U+0000. A character
/// without a code page 936 form becomes "?" (a surrogate pair or a lone
/// surrogate gives one "?"). A base letter followed by combining marks is
/// written as the precomposed letter where code page 936 has one
/// (ComposeForGbk); otherwise each character is converted on its own.
/// `unmapped` kCharacterReference changes the "?" and the U+0000 rule as
/// that value says.
Text GbkTextFromUtf16(const ByteSet& utf16, GbkUnmapped unmapped = GbkUnmapped::kQuestionMark);

/// GbkTextFromUtf16 of Utf16FromUtf8 of `data`, with one difference: a UTF-8
/// byte-order mark at the very start is dropped, since it has no code page
/// 936 form and would put a "?" at the top of the page.
Text GbkTextFromUtf8(const ByteSet& data);

/// GbkTextFromUtf8 for a text that arrives in pieces, for files too large to
/// hold whole: what Add gives for each piece and Finish at the end, joined,
/// is GbkTextFromUtf8 of the pieces joined. A piece may end anywhere, inside
/// a character too; the last few bytes of each piece, whose conversion
/// depends on what follows them, are held back for the next one.
class GbkTextFromUtf8Pieces {
 public:
  /// Converts `piece`, after what was held back, and appends the result to
  /// `out`. Adds nothing once the text has ended.
  void Add(std::string_view piece, Text* out);
  /// Converts what was held back: the text is complete.
  void Finish(Text* out);
  /// True once a U+0000 has ended the text: later pieces change nothing.
  bool ended() const { return ended_; }

 private:
  void Convert(std::size_t limit, bool finishing, Text* out);
  std::string held_;
  bool begun_ = false;  // the byte-order mark has been looked for
  bool ended_ = false;
};

/// UTF-8 (without a byte-order mark) to code page 936 for a page:
/// GbkTextFromUtf16 of Utf16FromUtf8 with kCharacterReference.
Text GbkPageTextFromUtf8(std::string_view data);

}  // namespace qm
