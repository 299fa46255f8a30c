#pragma once
// Conversions between the program's GBK Texts and the UTF-8 of the outside
// world (file names, the window, literals in the source code). GBK is
// Windows' code page 936 throughout; the names say "Gbk". The encoding
// module is this header and the ones it names: runtime/utf8.h (the one
// UTF-8 decoder), runtime/iconv_converter.h (the one iconv wrapper),
// runtime/text_encoding.h (which encoding a text's bytes are in),
// runtime/page_charset.h (which character set a web page is in); the
// program's texts add core/gbk_table.h, core/utf8_to_gbk.h (Windows'
// conversion, for text files) and core/text_decoding.h.
//
// Which conversion each kind of data takes, and why:
//   dropped path         TextFromNativeName: it names a file that must be
//                        found again, so nothing may be lost.
//   typed text           TextFromWindow (the same escapes): a name typed or
//                        edited by hand still names its file; WindowText
//                        shows it back as typed.
//   file name (listing)  TextFromNativeName, and NativeName back to the
//                        system: every name on disk survives the round trip.
//   progress names       TextFromNativeName of the UTF-8 name the compiler
//                        prints: the window shows the file it works on.
//   text content         DetectTextEncoding, then core/text_decoding: GBK
//                        bytes stay as they are; UTF-8 and UTF-16 go through
//                        Windows' table (core/utf8_to_gbk), a character
//                        without a form becoming its character reference,
//                        so the page shows it. The re-encoding tool writes
//                        "?" instead, as Windows' converter does.
//   page                 PageTextInGbk (runtime/page_charset): its own
//                        charset (byte-order mark, declaration, or content
//                        read as UTF-8) through Utf8FromCharset and
//                        GbkFromUtf8WithReferences: nothing is lost, and the
//                        compiler's declaration then names gb2312 or gbk.
//                        Page titles for the contents are read the same way.
//   contents Name        NameWithReferences in decimal form of the quoted
//                        name: readers show the character, and some parse
//                        only decimal references.
//   contents Local       the stored name: GBK where it has a GBK form, else
//                        the percent-encoded UTF-8 of its escapes, so that a
//                        reader finds the file stored under its UTF-8 name.
//   #SYSTEM strings      GbkFromUtf8 (title, window captions: ReaderText of
//                        an escaped name): readers show these in code page
//                        936 and know no escape, so what GBK lacks is "?".
//   program literals     Gbk("..."): the source's own texts, all of which
//                        have GBK forms.

#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"
#include "runtime/utf8.h"

namespace qm {

/// UTF-8 to code page 936. A character without a GBK form, or a byte that is
/// not valid UTF-8, becomes "?". Used for literals and typed text.
Text GbkFromUtf8(std::string_view utf8);

/// UTF-8 to code page 936 for the text of a web page: a character without
/// a code page 936 form becomes its character reference ("&#x30FB;"), a
/// byte that is not valid UTF-8 that of U+FFFD, so nothing is lost.
Text GbkFromUtf8WithReferences(std::string_view utf8);

/// `bytes` written in the character set `charset` (any name the system's
/// converters know: "UTF-16LE", "big5", "iso-8859-1") as UTF-8; a byte
/// that is not valid in it becomes U+FFFD. Nullopt when the character set
/// is unknown.
std::optional<std::string> Utf8FromCharset(std::string_view bytes, const std::string& charset);

/// True when `text` is code page 936 throughout: every byte above 0x7F is
/// the euro sign 0x80 or starts a valid two-byte character.
bool IsGbkText(std::string_view text);

/// Code page 936 to UTF-8. A byte that is not part of a valid GBK character
/// becomes U+FFFD. Used to show texts in the window.
std::string Utf8FromGbk(std::string_view gbk);

/// Shorthand for program texts written in UTF-8 in the source code.
inline Text Gbk(std::string_view utf8) { return GbkFromUtf8(utf8); }

// File names. The file system holds UTF-8 names, which may contain
// characters without a GBK form or bytes that are not UTF-8 at all. Such a
// name is mapped losslessly: every character (or stray byte) that has no GBK
// form becomes an escape that begins with the byte 0xFF, which never occurs
// in GBK. Each escape has an even length, so the two-byte character rule of
// the text operations stays aligned on the characters around it:
//   0xFF, the character's 3 UTF-8 bytes                (4 bytes)
//   0xFF, the character's 2 or 4 UTF-8 bytes, 0xFF     (4 or 6 bytes)
//   0xFF, 0xC0, the stray byte, 0xFF                   (4 bytes)
// NativeName undoes the mapping exactly, so such files can be found,
// renamed and read like any other.

/// A UTF-8 file-system name (or path) as a Text, losslessly.
Text TextFromNativeName(std::string_view utf8);

/// A path Text as the UTF-8 name to give to the system.
std::string NativeName(std::string_view path);

/// Text typed or shown in the window (UTF-8) as a Text: every character
/// with a GBK form (the euro sign aside) in GBK, and every other one as its
/// name escape (TextFromNativeName) instead of the "?" of GbkFromUtf8, so
/// that WindowText gives back what was typed and a name edited by hand
/// still names its file.
inline Text TextFromWindow(std::string_view utf8) { return TextFromNativeName(utf8); }

/// What the window shows for `text`, in UTF-8: its GBK characters
/// converted (Utf8FromGbk), and every name escape as the character it stands
/// for, so that a name shows as it is; a stray byte's escape, and any byte
/// that is no GBK character, shows as U+FFFD.
std::string WindowText(std::string_view text);

/// True when `text` holds a name escape (a name without a GBK form).
bool HasNameEscape(std::string_view text);

/// The name escape at `i` (which holds 0xFF): its length and the native
/// bytes it stands for (one stray byte, or one UTF-8 character). A lone 0xFF
/// is one byte long and stands for nothing.
std::size_t NameEscapeAt(std::string_view path, std::size_t i, std::string_view* native);

/// The two forms of numeric character references: "&#x1F600;" is what
/// pages get; "&#128512;" is what contents files get, since some CHM
/// readers' contents parsers (kchmviewer's) know no other.
enum class ReferenceForm { kHexadecimal, kDecimal };

/// The HTML numeric character reference of `cp`: "&#x", its hexadecimal
/// digits in upper case without leading zeros, ";" (U+1F600 gives
/// "&#x1F600;"); or "&#", its decimal digits, ";".
Text CharacterReference(char32_t cp, ReferenceForm form = ReferenceForm::kHexadecimal);

/// `text` with every hexadecimal character reference ("&#x30FB;") written
/// in decimal ("&#12539;"). Nothing else changes.
Text WithDecimalReferences(std::string_view text);

/// `text` (a name Text) with every name escape written as the character
/// reference of the character it stands for, so that a page or contents
/// file shows the character instead of the escape bytes; a stray byte
/// shows as U+FFFD. A Text without escapes comes back unchanged.
Text NameWithReferences(std::string_view text, ReferenceForm form = ReferenceForm::kHexadecimal);

/// `text` as the value of a double-quoted attribute of a contents file:
/// '"' as "&quot;", and an "&" that a reader could take for the start of a
/// reference (a letter or "#" follows it, as in "&lt;", "&lt", "&#38;") as
/// "&amp;". Any other text stays byte for byte.
Text QuotedAttributeText(std::string_view text);

/// Appends QuotedAttributeText(text) to `out`.
void AppendQuotedAttributeText(Text& out, std::string_view text);

/// Undoes QuotedAttributeText: "&quot;" and "&amp;" become their
/// characters; everything else stays.
Text AttributeValueText(std::string_view value);

/// The UTF-8 name under which a book stores the file whose name on disk is
/// `native`: `native` itself when it is UTF-8; otherwise its code page 936
/// reading when the bytes are valid code page 936 (what zip archives made on
/// Windows unpack to). Empty when the name is neither, so it has no name a
/// book reader could look up.
std::string BookNameOfNativeName(std::string_view native);

}  // namespace qm
