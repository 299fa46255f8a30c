#include "core/line_ends.h"

namespace qm {

Text ReplaceLineEnds(std::string_view text, std::string_view line_break, bool by_character) {
  Text out;
  out.reserve(text.size());
  AppendReplacingLineEnds(out, text, line_break, by_character);
  return out;
}

void AppendReplacingLineEnds(Text& out, std::string_view text, std::string_view line_break, bool by_character) {
  if (!by_character) {
    // Byte by byte, every LF ends a line, together with a CR right before
    // it: the places of the LFs are all that is needed.
    std::size_t copied_to = 0;
    for (std::size_t at; (at = text.find('\n', copied_to)) != std::string_view::npos; copied_to = at + 1) {
      std::size_t line_end = at > copied_to && text[at - 1] == '\r' ? at - 1 : at;
      out.append(text.substr(copied_to, line_end - copied_to));
      out.append(line_break);
    }
    out.append(text.substr(copied_to));
    return;
  }
  // Character by character, an LF counts where it begins a character: it
  // follows a byte below 0x80 (then it does, and ends a line unless that
  // byte is a CR; with it when that CR begins a character itself, else the
  // CR is the second byte of a character and the LF is no line end), or a
  // run of bytes of 0x80 or above of even length since the last line end.
  auto starts_character = [&](std::size_t origin, std::size_t at) { return HighRunBefore(text, origin, at) % 2 == 0; };
  std::size_t copied_to = 0;  // a character start; bytes from it on are pending a copy
  for (std::size_t from = 0, at; (at = text.find('\n', from)) != std::string_view::npos;) {
    from = at + 1;
    std::size_t line_end = at;
    if (at > copied_to && text[at - 1] == '\r') {
      if (!starts_character(copied_to, at - 1)) continue;
      line_end = at - 1;
    } else if (!starts_character(copied_to, at)) {
      continue;
    }
    out.append(text.substr(copied_to, line_end - copied_to));
    out.append(line_break);
    copied_to = at + 1;
  }
  out.append(text.substr(copied_to));
}

}  // namespace qm
