#include "convert/framed_page.h"

#include "core/line_ends.h"
#include "core/page_templates.h"

namespace qm {

Text FramedPage(const ByteSet& text_file) {
  // Made in one string, the text read in place.
  const std::string_view text = TextView(text_file);
  Text page = FramedPageHead();
  page.reserve(page.size() + text.size() * 5 / 4 + FramedPageTail().size());
  AppendReplacingLineEnds(page, TrimTrailingSpaces(text), "<br><br>", /*by_character=*/true);
  page += FramedPageTail();
  return page;
}

Text TextFromPage(const ByteSet& page) {
  ByteSet data = ReplaceSubByteSet(page, FramedPageHead());
  data = ReplaceSubByteSet(data, PlainPageHead());
  // One scan gives what a scan for each in turn would: the three begin
  // with "<" and differ in the next character, and a line break is ASCII
  // without "<", so no replacement makes a place the others match at or
  // shifts the character grid after it.
  return ReplaceEachSubtext(TextView(data), {"<br>", FramedPageTail(), kPlainPageTail}, "\r\n",
                            /*case_sensitive=*/false);
}

Text BaseName(const Text& name) {
  long dot = FindTextBackwards(name, ".");
  return dot < 0 ? Text() : TextLeft(name, dot - 1);
}

}  // namespace qm
