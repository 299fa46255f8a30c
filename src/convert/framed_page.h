#pragma once
// Framed pages of the batch conversion, and the way back to text.

#include "runtime/byte_set.h"
#include "runtime/text.h"

namespace qm {

/// The framed page of a text file's bytes: the framed page head, the text
/// (ending before its first 0 byte, trailing ASCII and full-width spaces
/// removed, every line end, CR LF or LF alone, replaced by "<br><br>",
/// nothing escaped) and the
/// framed page tail.
Text FramedPage(const ByteSet& text_file);

/// The text recovered from a page's bytes: the framed and plain page heads
/// removed (byte-exact), then every "<br>", framed page tail and plain page
/// close replaced by CR LF, matched without regard to ASCII case. The result
/// ends before the page's first 0 byte.
Text TextFromPage(const ByteSet& page);

/// The part of a file name before its last "."; empty for a name without
/// a ".".
Text BaseName(const Text& name);

}  // namespace qm
