#include "convert/book_page.h"

#include "convert/line_ends.h"
#include "convert/page_templates.h"
#include "runtime/encoding.h"
#include "runtime/paths.h"

namespace qm {
namespace {

constexpr long kDecorationLength = 9;

}  // namespace

Text PageNumberText(long n) {
  Text digits = ToText(static_cast<long long>(n));
  if (n <= 9) return "00" + digits;
  if (n <= 99) return "0" + digits;
  return digits;
}

Text PageFileName(long n) { return PageNumberText(n) + ".htm"; }

Text BackupFolder(const Text& web_folder) {
  long last = FindTextBackwards(web_folder, kPathSeparatorText);
  return TextLeft(web_folder, last < 0 ? 0 : last) + "bak";
}

Text BookPageTitle(const Text& name) { return NameWithReferences(ReplaceSubtext(name, ".txt")); }

Text ContentsEntryTitle(const Text& name) {
  return NameWithReferences(ReplaceSubtext(name, ".txt", {}, 1, -1, /*case_sensitive=*/false));
}

ByteSet WrapLines(const ByteSet& data) {
  return ByteSet(ReplaceLineEnds(data.View(), kWrapLineBreak, /*by_character=*/false));
}

Text Decorate(const Text& text, Random& random) {
  const std::vector<Text>& alphabet = DecorationAlphabet();
  const long size = static_cast<long>(alphabet.size());
  Text out;
  for (const Text& piece : SplitText(text, "<br>")) {
    Text hidden;
    for (long k = 0; k < kDecorationLength; ++k) hidden += alphabet[random.Number(1, size) - 1];
    out += piece;
    out += kDecorationOpen;
    out += hidden;
    out += kDecorationClose;
  }
  return out;
}

Text BuildBookPage(const Text& name, const ByteSet& data, long index, long count,
                   const Text& date, const BookPageOptions& options, Random& random) {
  Text page = ReplaceSubtext(BookPageTemplate(), "[PART1]", BookPageTitle(name));
  if (options.wrap_lines) {
    Text body = ToText(WrapLines(data));
    if (options.decorate) body = Decorate(body, random);
    page = ReplaceSubtext(page, "[PART0]</pre>", body);
    page = ReplaceSubtext(page, "<pre>");
  } else {
    page = ReplaceSubtext(page, "[PART0]", ToText(data));
  }
  Text previous = index > 0 ? PreviousPageLink(PageNumberText(index - 1)) : Text();
  Text next = index + 1 < count ? NextPageLink(PageNumberText(index + 1)) : Text();
  page = ReplaceSubtext(page, "[GOP]", previous);
  page = ReplaceSubtext(page, "[GOI]", ContentsPageLink());
  page = ReplaceSubtext(page, "[GON]", next);
  return ReplaceSubtext(page, "[time]", date);
}

bool BookPageHeading(std::string_view page, Text* heading) {
  const Text& page_template = BookPageTemplate();
  std::string_view first_line = std::string_view(page_template).substr(0, page_template.find("\r\n"));
  if (!page.starts_with(first_line)) return false;
  heading->clear();
  // The heading stands between the template's text around "[PART1]": from
  // the start of the line before it to the end of its own line.
  std::size_t title = page_template.find("[PART1]");
  std::size_t line_start = page_template.rfind("\r\n", page_template.rfind("\r\n", title) - 1) + 2;
  std::string_view before = std::string_view(page_template).substr(line_start, title - line_start);
  std::size_t after_start = title + 7;
  std::string_view after =
      std::string_view(page_template).substr(after_start, page_template.find("\r\n", after_start) - after_start);
  std::size_t start = page.find(before);
  if (start == std::string_view::npos) return true;
  start += before.size();
  std::size_t end = page.find(after, start);
  if (end != std::string_view::npos) *heading = page.substr(start, end - start);
  return true;
}

Text BuildContentsPage(const std::vector<Text>& entries, const Text& date) {
  Text page = BookPageTemplate();
  for (std::string_view placeholder : {"[PART1]", "[GOP]", "[GOI]", "[GON]"}) {
    page = ReplaceSubtext(page, placeholder);
  }
  page = ReplaceSubtext(page, "[time]", date);
  Text list = ContentsHeading();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    list += ContentsEntry(PageNumberText(static_cast<long>(i)), ContentsEntryTitle(entries[i]));
  }
  list += kContentsListClose;
  return ReplaceSubtext(page, "<pre><span class=text1>[PART0]</pre>", list);
}

}  // namespace qm
