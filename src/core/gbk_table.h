#pragma once
// Code page 936 (GBK) forms of the characters of the Basic Multilingual
// Plane, as the re-encoding tool writes them.

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

/// Marks a character without a code page 936 form.
inline constexpr std::uint16_t kNoGbkForm = 0xFFFF;

/// A table of 65,536 entries, indexed by UTF-16 code unit: the character's
/// code page 936 bytes, a value below 0x100 being one byte (ASCII, 0xFF for
/// U+F8F5, and 0x80
/// for the euro sign) and a larger value the two bytes lead * 256 + trail;
/// kNoGbkForm when the character has none (surrogates included). Built
/// once, on first use, by asking glibc iconv's "CP936" about each code point
/// and adding what Windows maps beyond it (the private-use characters
/// U+E000-U+E864 in the user-defined cells, U+F8F5 as the byte 0xFF); when
/// that converter is missing only ASCII and those have a form.
const std::uint16_t* GbkTable();

/// The precomposed character that `base` followed by the combining mark
/// `mark` (U+0300 to U+036F) stands for, when code page 936 has a form for
/// it; 0 otherwise. Code page 936 holds no precomposed Latin letters beyond
/// the lower-case pinyin letters (ā á ǎ à ē é ě è ê ī í ǐ ì ō ó ǒ ò ū ú ǔ ù
/// ü ǖ ǘ ǚ ǜ, and ń ň ǹ ḿ where the table has them), so only these are
/// composed; every other pair is converted one character after the other.
char16_t ComposeForGbk(char16_t base, char16_t mark);

/// The other way: a table of 65,536 entries indexed by a code page 936
/// character (a byte below 0x80, or lead * 256 + trail) giving its UTF-16
/// code unit, U+FFFD where GbkTable gives no character that code.
const char16_t* Utf16FromGbkTable();

/// Appends the UTF-16 form of the code page 936 text `gbk` to `out`, one
/// code unit per character; a lead byte without its trail byte and a byte of
/// 0x80 or 0xFF on its own become U+FFFD.
void AppendUtf16FromGbk(std::string_view gbk, std::u16string* out);

}  // namespace qm
