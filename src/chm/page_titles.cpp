#include "chm/page_titles.h"

#include "core/book_page.h"
#include "runtime/page_charset.h"
#include "runtime/paths.h"

namespace qm {
namespace {

// The text between the first <title ...> outside comments and the </title>
// after it.
Text TitleElement(std::string_view page) {
  long from = 1;
  long open = FindText(page, "<title", from, /*ignore_case=*/true);
  for (;;) {
    if (open < 0) return {};
    const long comment = FindText(page, "<!--", from);
    if (comment < 0 || comment > open) break;
    // "<!-->" and "<!--->" are whole comments too.
    const long end = FindText(page, "-->", comment + 2);
    if (end < 0) return {};
    from = end + 3;
    if (open < from) open = FindText(page, "<title", from, /*ignore_case=*/true);
  }
  long content = FindText(page, ">", open);
  if (content < 0) return {};
  long close = FindText(page, "</title", content + 1, /*ignore_case=*/true);
  if (close < 0) return {};
  return Text(page.substr(static_cast<std::size_t>(content), static_cast<std::size_t>(close - content - 1)));
}

}  // namespace

Text PageTitle(std::string_view page) {
  Text title;
  if (!BookPageHeading(page, &title)) title = TitleElement(page);
  for (char& c : title) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  std::size_t first = title.find_first_not_of(' ');
  if (first == Text::npos) return {};
  title = title.substr(first, title.find_last_not_of(' ') - first + 1);
  title = ReplaceSubtext(title, "\"", "&quot;");
  title = ReplaceSubtext(title, "<", "&lt;");
  return ReplaceSubtext(title, ">", "&gt;");
}

Text PageTitleOfFile(FileSystem& fs, const Text& folder, const Text& local) {
  Text lower = AsciiLower(local);
  if (!lower.ends_with(".htm") && !lower.ends_with(".html")) return {};
  std::string page;
  if (!fs.Read(JoinPath(folder, ReplaceSubtext(local, "\\", kPathSeparatorText)), &page)) return {};
  return PageTitle(PageTextInGbk(page).text);
}

}  // namespace qm
