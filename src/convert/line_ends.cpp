#include "convert/line_ends.h"

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
  std::size_t copied_to = 0;  // bytes [copied_to, i) are pending a copy
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = 0;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      end = 2;
    } else if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
      end = 1;
    }
    if (end == 0) {
      i += by_character ? CharWidthAt(text, i) : 1;
      continue;
    }
    out.append(text.substr(copied_to, i - copied_to));
    out.append(line_break);
    i += end;
    copied_to = i;
  }
  out.append(text.substr(copied_to));
}

}  // namespace qm
