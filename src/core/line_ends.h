#pragma once
// Line ends of text files: Windows texts end their lines with CR LF, Linux
// texts with LF alone; both count wherever a page turns line ends into
// breaks.

#include <string_view>

#include "runtime/text.h"

namespace qm {

/// `text` with every line end replaced by `line_break`: each CR LF, and each
/// LF that does not directly follow a CR byte. A CR alone stays. With
/// `by_character`, the text is walked character by character as
/// ReplaceSubtext walks it (a CR LF whose CR is the second byte of a
/// two-byte character is not one); otherwise byte by byte. A text whose LFs
/// all follow a CR gives exactly what replacing every CR LF gives.
Text ReplaceLineEnds(std::string_view text, std::string_view line_break, bool by_character);

/// ReplaceLineEnds, appending the result to `out`.
void AppendReplacingLineEnds(Text& out, std::string_view text, std::string_view line_break, bool by_character);

}  // namespace qm
