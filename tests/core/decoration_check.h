#pragma once
// Checks text with hidden decoration, whose characters are random: every
// decoration must hold exactly nine characters of the decoration alphabet.

#include <string_view>

#include "core/page_templates.h"
#include "runtime/text.h"

namespace qm {

/// `text` with each decoration run (opening, nine alphabet characters,
/// close) replaced by "{D}". A run that does not hold exactly nine alphabet
/// characters is left as it is, so comparisons fail visibly.
inline Text MaskDecorations(std::string_view text) {
  Text out;
  std::size_t at = 0;
  while (true) {
    std::size_t open = text.find(kDecorationOpen, at);
    if (open == std::string_view::npos) break;
    out.append(text.substr(at, open - at));
    std::size_t pos = open + kDecorationOpen.size();
    int chars = 0;
    while (chars < 9) {
      bool matched = false;
      for (const Text& c : DecorationAlphabet()) {
        if (text.substr(pos, c.size()) == c) {
          pos += c.size();
          matched = true;
          break;
        }
      }
      if (!matched) break;
      ++chars;
    }
    if (chars == 9 && text.substr(pos, kDecorationClose.size()) == kDecorationClose) {
      out += "{D}";
      at = pos + kDecorationClose.size();
    } else {
      out.append(text.substr(open, kDecorationOpen.size()));
      at = open + kDecorationOpen.size();
    }
  }
  out.append(text.substr(at));
  return out;
}

}  // namespace qm
