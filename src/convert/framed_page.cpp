#include "convert/framed_page.h"

#include "core/line_ends.h"
#include "core/page_templates.h"

namespace qm {

Text FramedPage(const ByteSet& text_file) {
  Text body = ReplaceLineEnds(TrimTrailingSpaces(ToText(text_file)), "<br><br>", /*by_character=*/true);
  return FramedPageHead() + body + FramedPageTail();
}

Text TextFromPage(const ByteSet& page) {
  ByteSet data = ReplaceSubByteSet(page, FramedPageHead());
  data = ReplaceSubByteSet(data, PlainPageHead());
  Text text = ToText(data);
  for (std::string_view close : {std::string_view("<br>"), std::string_view(FramedPageTail()), kPlainPageTail}) {
    text = ReplaceSubtext(text, close, "\r\n", 1, -1, /*case_sensitive=*/false);
  }
  return text;
}

Text BaseName(const Text& name) {
  long dot = FindTextBackwards(name, ".");
  return dot < 0 ? Text() : TextLeft(name, dot - 1);
}

}  // namespace qm
