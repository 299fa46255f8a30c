#include "convert/line_ends.h"

namespace qm {

Text ReplaceLineEnds(std::string_view text, std::string_view line_break, bool by_character) {
  Text out;
  out.reserve(text.size());
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
  return out;
}

}  // namespace qm
