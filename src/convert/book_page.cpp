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

namespace {

// `name` as HTML text: "&", "<" and ">" as entity references (no GBK
// trail byte is one of them), then name escapes as character references,
// whose "&" must stay as it is.
Text NameAsHtmlText(const Text& name) {
  if (name.find_first_of("&<>") == Text::npos) return NameWithReferences(name);
  Text escaped;
  for (char c : name) {
    if (c == '&') escaped += "&amp;";
    else if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else escaped += c;
  }
  return NameWithReferences(escaped);
}

}  // namespace

Text BookPageTitle(const Text& name) { return NameAsHtmlText(ReplaceSubtext(name, ".txt")); }

Text ContentsEntryTitle(const Text& name) {
  return NameAsHtmlText(ReplaceSubtext(name, ".txt", {}, 1, -1, /*case_sensitive=*/false));
}

ByteSet WrapLines(const ByteSet& data) {
  return ByteSet(ReplaceLineEnds(data.View(), kWrapLineBreak, /*by_character=*/false));
}

namespace {

// Appends `text` with the hidden decoration after each of its pieces.
void AppendDecorated(Text& out, std::string_view text, Random& random) {
  const std::vector<Text>& alphabet = DecorationAlphabet();
  const long size = static_cast<long>(alphabet.size());
  ForEachTextPiece(text, "<br>", [&](std::string_view piece) {
    out += piece;
    out += kDecorationOpen;
    for (long k = 0; k < kDecorationLength; ++k) out += alphabet[random.Number(1, size) - 1];
    out += kDecorationClose;
  });
}

// One placeholder of the book template and the value that replaces it.
struct Fill {
  std::string_view find;
  std::string_view value;
};

// The book page is the template with each fill applied over the whole page
// in turn. A value inserted by one fill is itself subject to the fills that
// come after it, and no placeholder can run across the template text that
// borders a value (nor across the joint a removed placeholder leaves), so
// the page is made in one pass: the template with a marker byte (1, 2, ...)
// where each fill's value lands, made once by running the fills over the
// template, then each value with only the later fills applied to it.
class PageAssembly {
 public:
  explicit PageAssembly(const std::vector<std::string_view>& placeholders) {
    marked_ = BookPageTemplate();
    for (std::size_t k = 0; k < placeholders.size(); ++k) {
      marked_ = ReplaceSubtext(marked_, placeholders[k], Text(1, static_cast<char>(k + 1)));
    }
  }

  /// Appends the page; `append_value(out, k)` appends the value of fill k,
  /// to which the later fills are then applied.
  template <typename AppendValue>
  void Append(Text& out, const std::vector<Fill>& fills, AppendValue&& append_value) const {
    out.reserve(out.size() + marked_.size() + 2 * fills[1].value.size() + 1024);
    std::size_t literal = 0;
    for (std::size_t i = 0; i < marked_.size(); ++i) {
      auto k = static_cast<unsigned char>(marked_[i]);
      if (k == 0 || k > fills.size()) continue;
      out.append(marked_, literal, i - literal);
      literal = i + 1;
      std::size_t start = out.size();
      append_value(out, k - 1);
      ApplyLaterFills(out, start, fills, k);
    }
    out.append(marked_, literal);
  }

 private:
  // Applies fills[from...] to out[start...], as they would be over the page.
  static void ApplyLaterFills(Text& out, std::size_t start, const std::vector<Fill>& fills, std::size_t from) {
    std::string_view value = std::string_view(out).substr(start);
    bool any = false;
    for (std::size_t k = from; k < fills.size() && !any; ++k)
      any = value.find(fills[k].find) != std::string_view::npos;
    if (!any) return;
    Text filled(value);
    for (std::size_t k = from; k < fills.size(); ++k) filled = ReplaceSubtext(filled, fills[k].find, fills[k].value);
    out.resize(start);
    out += filled;
  }

  Text marked_;
};

// The fills of a page in their order, the body's second; only the values
// differ from page to page.
std::vector<Fill> PageFills(bool wrap_lines) {
  if (wrap_lines) {
    return {{"[PART1]", {}}, {"[PART0]</pre>", {}}, {"<pre>", {}}, {"[GOP]", {}},
            {"[GOI]", {}},   {"[GON]", {}},         {"[time]", {}}};
  }
  return {{"[PART1]", {}}, {"[PART0]", {}}, {"[GOP]", {}}, {"[GOI]", {}}, {"[GON]", {}}, {"[time]", {}}};
}

const PageAssembly& AssemblyFor(bool wrap_lines) {
  auto make = [](bool wrap) {
    std::vector<std::string_view> placeholders;
    for (const Fill& fill : PageFills(wrap)) placeholders.push_back(fill.find);
    return PageAssembly(placeholders);
  };
  static const PageAssembly wrapped = make(true), plain = make(false);
  return wrap_lines ? wrapped : plain;
}

}  // namespace

Text Decorate(const Text& text, Random& random) {
  Text out;
  AppendDecorated(out, text, random);
  return out;
}

Text BuildBookPage(const Text& name, const ByteSet& data, long index, long count,
                   const Text& date, const BookPageOptions& options, Random& random) {
  const Text title = BookPageTitle(name);
  const Text previous = index > 0 ? PreviousPageLink(PageNumberText(index - 1)) : Text();
  const Text next = index + 1 < count ? NextPageLink(PageNumberText(index + 1)) : Text();
  // The body: the text up to its first zero byte, its line ends wrapped
  // (and decorated) or kept inside the template's <pre>.
  ByteSet wrapped;
  std::string_view body = data.View();
  if (options.wrap_lines) {
    wrapped = WrapLines(data);
    body = wrapped.View();
  }
  body = body.substr(0, body.find('\0'));
  std::vector<Fill> fills = PageFills(options.wrap_lines);
  // The decoration is drawn once; it goes straight into the page unless the
  // title holds the body's placeholder too and so needs it as a value.
  Text decorated;
  bool decorate_in_place = options.wrap_lines && options.decorate;
  if (decorate_in_place && title.find(fills[1].find) != Text::npos) {
    decorated = Decorate(Text(body), random);
    body = decorated;
    decorate_in_place = false;
  }
  const std::string_view values[] = {title, body, {}, previous, ContentsPageLink(), next, date};
  for (std::size_t k = 0, v = 0; k < fills.size(); ++k, ++v) {
    if (!options.wrap_lines && k == 2) ++v;  // no "<pre>" fill
    fills[k].value = values[v];
  }
  Text page;
  AssemblyFor(options.wrap_lines).Append(page, fills, [&](Text& out, std::size_t k) {
    if (k == 1 && decorate_in_place) AppendDecorated(out, body, random);
    else out += fills[k].value;
  });
  return page;
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
