#include "core/book_page.h"

#include "core/line_ends.h"
#include "core/page_templates.h"
#include "runtime/encoding.h"
#include "runtime/paths.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

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

Text ChapterTextHeading(std::string_view name) {
  constexpr std::size_t kLeastDigits = 4;
  std::size_t digits = 0;
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
  if (digits < kLeastDigits || name[0] != '0' || name.size() <= digits + 5 || name[digits] != ' ' ||
      !name.ends_with(".txt")) {
    return {};
  }
  std::string_view heading = name.substr(digits + 1, name.size() - digits - 5);
  if (heading.front() == ' ') return {};
  return Text(heading);
}

Text BookPageTitle(const Text& name) {
  Text heading = ChapterTextHeading(name);
  return NameAsHtmlText(heading.empty() ? ReplaceSubtext(name, ".txt") : heading);
}

Text ContentsEntryTitle(const Text& name) {
  Text heading = ChapterTextHeading(name);
  return NameAsHtmlText(heading.empty() ? ReplaceSubtext(name, ".txt", {}, 1, -1, /*case_sensitive=*/false) : heading);
}

namespace {

// A maker's text for the page: control characters (which would break the
// page's lines and the page assembly's markers) are left out.
Text MakersText(const Text& text) {
  Text out;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  return out;
}

}  // namespace

Text BookTemplateFor(const BookPageOptions& options, bool title_in_head) {
  static const Text kHeader = Gbk(kBookHeaderUtf8), kBookNotice = Gbk(kBookNoticeUtf8);
  Text page = BookPageTemplate();
  if (title_in_head) page = ReplaceSubtext(page, "<title>" + kHeader + "</title>", "<title>[PART1]</title>");
  if (options.header) page = ReplaceSubtext(page, kHeader, MakersText(*options.header));
  if (options.notice) {
    Text notice = MakersText(*options.notice);
    if (notice.empty()) {
      page = ReplaceSubtext(page, Text(kNoticeOpen) + kBookNotice + Text(kNoticeClose));
    } else {
      page = ReplaceSubtext(page, kBookNotice, notice);
    }
  }
  return page;
}

ByteSet WrapLines(const ByteSet& data) {
  return ByteSet(ReplaceLineEnds(data.View(), kWrapLineBreak, /*by_character=*/false));
}

namespace {

// True when byte `at` of `text` begins a character, the characters being
// counted from `origin` (itself a character start): a byte below 0x80 ends
// a character, so only the run of bytes of 0x80 or above before `at`
// decides.
bool StartsCharacter(std::string_view text, std::size_t origin, std::size_t at) {
  std::size_t j = at;
  while (j > origin && static_cast<unsigned char>(text[j - 1]) >= 0x80) --j;
  return (at - j) % 2 == 0;
}

// Where the settled part of `text` ends while more text may follow it:
// `from` is a character start after which no whole match of `pattern` (an
// ASCII text) begins at a character start. A match the end may have cut
// short, or a first byte of a two-byte character ending the text, waits.
std::size_t SettledEnd(std::string_view text, std::size_t from, std::string_view pattern) {
  const std::size_t end = text.size();
  for (std::size_t s = std::max(from, end - std::min(end, pattern.size() - 1)); s < end; ++s) {
    if (text.compare(s, end - s, pattern, 0, end - s) == 0 && StartsCharacter(text, from, s)) return s;
  }
  if (end > from && static_cast<unsigned char>(text[end - 1]) >= 0x80 && StartsCharacter(text, from, end - 1)) {
    return end - 1;
  }
  return end;
}

// Passes on `text`, the part of a text arriving in pieces that has not been
// passed on yet (it begins at a character start): `on_text` with the
// stretches between the matches of `pattern` at character starts, as
// NextSeparator finds them over the whole text, and `on_match` for each
// match, in order; all of it when `last`, else its settled part. What was
// passed on leaves `text`.
template <typename OnText, typename OnMatch>
void PassOn(std::string& text, std::string_view pattern, bool last, OnText&& on_text, OnMatch&& on_match) {
  std::string_view view = text;
  std::size_t i = 0;
  for (std::size_t at; (at = NextSeparator(view, pattern, i)) != std::string_view::npos; i = at + pattern.size()) {
    on_text(view.substr(i, at - i));
    on_match();
  }
  std::size_t end = last ? view.size() : SettledEnd(view, i, pattern);
  on_text(view.substr(i, end - i));
  text.erase(0, end);
}

// Appends one run of hidden decoration: the opening, nine characters drawn
// from the decoration alphabet with `random`, and the close.
void AppendDecoration(Text& out, Random& random) {
  // The alphabet's characters (one or two bytes each) in two-byte cells,
  // copied without a call per character.
  struct Cell {
    char bytes[2];
    std::size_t size;
  };
  static const std::vector<Cell> kCells = [] {
    std::vector<Cell> cells;
    for (const Text& c : DecorationAlphabet()) cells.push_back({{c[0], c.size() > 1 ? c[1] : '\0'}, c.size()});
    return cells;
  }();
  const long size = static_cast<long>(kCells.size());
  char run[kDecorationOpen.size() + 2 * kDecorationLength + kDecorationClose.size()];
  char* end = std::copy(kDecorationOpen.begin(), kDecorationOpen.end(), run);
  for (long k = 0; k < kDecorationLength; ++k) {
    const Cell& c = kCells[static_cast<std::size_t>(random.Number(1, size) - 1)];
    end[0] = c.bytes[0];
    end[1] = c.bytes[1];
    end += c.size;
  }
  end = std::copy(kDecorationClose.begin(), kDecorationClose.end(), end);
  out.append(run, static_cast<std::size_t>(end - run));
}

// Passes on `text` (as PassOn) with the hidden decoration after each of its
// pieces between "<br>"s: after each "<br>", and at the end after a last
// piece that is not empty. `piece_open` tells whether text since the last
// "<br>" has been passed on.
void PassOnDecorated(std::string& text, bool last, Text& out, bool& piece_open, Random& random) {
  PassOn(
      text, "<br>", last,
      [&](std::string_view stretch) {
        out += stretch;
        piece_open = piece_open || !stretch.empty();
      },
      [&] {
        AppendDecoration(out, random);
        piece_open = false;
      });
  if (last && piece_open) AppendDecoration(out, random);
  if (last) piece_open = false;
}

// The run of bytes of 0x80 or above that ends the text made of a text
// ending in `run` such bytes followed by `s`: the bytes after the last byte
// below 0x80 of `s`, or `run` plus all of `s`. Eight bytes at a time, since
// Chinese lines are such runs from end to end.
std::size_t HighRunAfter(std::size_t run, std::string_view s) {
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  std::size_t end = s.size();
  while (end >= 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + end - 8, 8);
    if ((word & kHigh) != kHigh) break;
    end -= 8;
  }
  while (end > 0 && static_cast<unsigned char>(s[end - 1]) >= 0x80) --end;
  return end == 0 ? run + s.size() : s.size() - end;
}

// True when `pattern` cannot occur in a wrapped, decorated body made from
// text without "<" and "[": its every "<" begins "<br>", "<font" or
// "</font>", and its every "[" is a decoration character, followed by
// another one or by the "<" of the decoration's close.
bool CannotOccurInPlainBody(std::string_view pattern) {
  static_assert(
      kWrapLineBreak.find("<p") == std::string_view::npos && kDecorationOpen.find("<p") == std::string_view::npos &&
      kDecorationClose.find("<p") == std::string_view::npos && kDecorationOpen.find('[') == std::string_view::npos &&
      kDecorationClose.find('[') == std::string_view::npos && kDecorationClose.front() == '<' &&
      kWrapLineBreak.find('[') == std::string_view::npos);
  if (pattern.starts_with("<p")) return true;
  if (pattern.size() < 2 || pattern[0] != '[' || pattern[1] == '<') return false;
  for (const Text& c : DecorationAlphabet())
    if (c[0] == pattern[1]) return false;
  return true;
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
}  // namespace

class PageAssembly {
 public:
  PageAssembly(const Text& page_template, const std::vector<std::string_view>& placeholders) {
    marked_ = page_template;
    for (std::size_t k = 0; k < placeholders.size(); ++k) {
      marked_ = ReplaceSubtext(marked_, placeholders[k], Text(1, static_cast<char>(k + 1)));
    }
    for (std::size_t i = 0; i < marked_.size(); ++i) {
      auto k = static_cast<unsigned char>(marked_[i]);
      if (k != 0 && k <= placeholders.size()) markers_.push_back(i);
    }
  }

  /// Appends the page; `append_value(out, k)` appends the value of fill k
  /// with the later fills applied to it.
  template <typename AppendValue>
  void Append(Text& out, std::size_t fill_count, AppendValue&& append_value) const {
    std::size_t literal = 0;
    for (std::size_t i : markers_) {
      auto k = static_cast<unsigned char>(marked_[i]);
      if (k > fill_count) continue;
      out.append(marked_, literal, i - literal);
      literal = i + 1;
      append_value(out, k - 1);
    }
    out.append(marked_, literal);
  }

  /// Appends `value` with fills[from...] applied to it, as they would be
  /// over the page.
  static void AppendFilled(Text& out, std::string_view value, const std::vector<Fill>& fills, std::size_t from) {
    bool any = false;
    for (std::size_t k = from; k < fills.size() && !any; ++k) any = value.find(fills[k].find) != std::string_view::npos;
    if (!any) {
      out += value;
      return;
    }
    Text filled(value);
    for (std::size_t k = from; k < fills.size(); ++k) filled = ReplaceSubtext(filled, fills[k].find, fills[k].value);
    out += filled;
  }

 private:
  Text marked_;
  std::vector<std::size_t> markers_;  // where marked_ holds a marker byte
};

namespace {

// The fills of a page in their order, the body's second; only the values
// differ from page to page.
std::vector<Fill> PageFills(bool wrap_lines) {
  if (wrap_lines) {
    return {{"[PART1]", {}}, {"[PART0]</pre>", {}}, {"<pre>", {}}, {"[GOP]", {}},
            {"[GOI]", {}},   {"[GON]", {}},         {"[time]", {}}};
  }
  return {{"[PART1]", {}}, {"[PART0]", {}}, {"[GOP]", {}}, {"[GOI]", {}}, {"[GON]", {}}, {"[time]", {}}};
}

PageAssembly MakeAssembly(const Text& page_template, bool wrap_lines) {
  std::vector<std::string_view> placeholders;
  for (const Fill& fill : PageFills(wrap_lines)) placeholders.push_back(fill.find);
  return PageAssembly(page_template, placeholders);
}

const PageAssembly& AssemblyFor(bool wrap_lines) {
  static const PageAssembly kWrapped = MakeAssembly(BookPageTemplate(), true),
                            kPlain = MakeAssembly(BookPageTemplate(), false);
  return wrap_lines ? kWrapped : kPlain;
}

}  // namespace

Text Decorate(const Text& text, Random& random) {
  Text out;
  std::string rest = text;
  bool piece_open = false;
  PassOnDecorated(rest, true, out, piece_open, random);
  return out;
}

// Settles the CR that ended the last piece against `text`, the next one:
// with an LF first (taken off `text`) it ends a line, else it stays a CR
// (once more text, or the text's end, follows). A CR ending `text` is held
// for the piece after, unless this is the last.
BookPageBuilder::HeldCr BookPageBuilder::TakeHeldCr(std::string_view& text, bool last) {
  HeldCr before = HeldCr::kNone;
  if (held_cr_ && !text.empty() && text.front() == '\n') {
    before = HeldCr::kLineBreak;
    text.remove_prefix(1);
    held_cr_ = false;
  } else if (held_cr_ && (!text.empty() || ended_)) {
    before = HeldCr::kCr;
    held_cr_ = false;
  }
  if (!ended_ && !last && !text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
    held_cr_ = true;
  }
  return before;
}

// The body's first steps on the next piece (absent when a 0 byte ended the
// text before it): the wrapping of line ends into `wrapped`, then, with
// decoration, the decoration of what `wrapped` (to_decorate_) holds into
// `out`, holding back what the next piece may still change.
void BookPageBuilder::WrapThenDecorate(std::optional<std::string_view> piece, bool last, Text& wrapped, Text& out) {
  if (piece) {
    if (!wrap_) {
      wrapped += *piece;
    } else {
      const HeldCr before = TakeHeldCr(*piece, last);
      if (before == HeldCr::kLineBreak) wrapped += kWrapLineBreak;
      if (before == HeldCr::kCr) wrapped += '\r';
      AppendReplacingLineEnds(wrapped, *piece, kWrapLineBreak, /*by_character=*/false);
    }
  }
  if (last && held_cr_) {
    wrapped += '\r';
    held_cr_ = false;
  }
  if (decorate_) PassOnDecorated(to_decorate_, last, out, piece_open_, *random_);
}

// WrapThenDecorate with decoration in one pass, for a piece without "<"
// while the decoration holds nothing back: the only "<br>"s are then the
// line breaks the wrapping writes, each "<br>" giving way to decoration when
// it begins a character (the run of bytes of 0x80 or above before it is
// even).
// The same bytes, and the same numbers drawn.
void BookPageBuilder::WrapAndDecorate(std::optional<std::string_view> piece, bool last, Text& out) {
  static constexpr std::string_view kBreak = "<br>";
  static_assert(kWrapLineBreak.substr(0, kBreak.size()) == kBreak);
  // Counted from a character start: the start of this piece's text.
  std::size_t run = 0;
  auto put = [&](std::string_view s) {
    if (s.empty()) return;
    out += s;
    piece_open_ = true;
    run = HighRunAfter(run, s);
  };
  auto line_break = [&] {
    if (run % 2 == 0) {
      AppendDecoration(out, *random_);  // which ends with the "<br>" it replaces
      out += kWrapLineBreak.substr(kBreak.size());
    } else {
      out += kWrapLineBreak;  // its "<" is the second byte of a character
    }
    piece_open_ = true;
    run = 0;
  };
  if (piece) {
    std::string_view text = *piece;
    const HeldCr before = TakeHeldCr(text, last);
    if (before == HeldCr::kLineBreak) line_break();
    if (before == HeldCr::kCr) put("\r");
    std::size_t copied_to = 0;
    for (std::size_t at; (at = text.find('\n', copied_to)) != std::string_view::npos; copied_to = at + 1) {
      const std::size_t line_end = at > copied_to && text[at - 1] == '\r' ? at - 1 : at;
      put(text.substr(copied_to, line_end - copied_to));
      line_break();
    }
    std::string_view rest = text.substr(copied_to);
    // A first byte of a two-byte character that ends the piece waits for
    // its second byte.
    if (!last && !rest.empty() && HighRunAfter(run, rest) % 2 == 1) {
      to_decorate_.assign(1, rest.back());
      rest.remove_suffix(1);
    }
    put(rest);
  }
  if (last && held_cr_) {
    put("\r");
    held_cr_ = false;
  }
  if (last && piece_open_) AppendDecoration(out, *random_);
  if (last) piece_open_ = false;
}

// Takes the next piece of the text through the body's steps: the end at
// the first 0 byte, the wrapping of line ends, the decoration, and (with
// `with_later_fills`) the fills after the body's, into `out`. Each step
// holds back what the next piece may still change.
void BookPageBuilder::Feed(std::string_view piece, bool last, Text& out, bool with_later_fills) {
  const bool fill = with_later_fills && !later_fills_.empty();
  Text& body = fill ? to_fill_[0] : out;
  // Absent when a 0 byte ended the text before this piece.
  std::optional<std::string_view> taken;
  if (!ended_) {
    std::size_t zero = piece.find('\0');
    if (zero != std::string_view::npos) {
      piece = piece.substr(0, zero);
      ended_ = true;
    }
    taken = piece;
  }
  // The body as only the one-pass form wrote it, from a piece without "<"
  // and "[", passes fills through that cannot occur in it (see
  // CannotOccurInPlainBody) without a search.
  bool plain = false;
  if (decorate_ && fused_body_ && to_decorate_.empty() && (!taken || taken->find('<') == std::string_view::npos)) {
    plain = body.empty() && (!taken || taken->find('[') == std::string_view::npos);
    WrapAndDecorate(taken, last, body);
  } else {
    WrapThenDecorate(taken, last, decorate_ ? to_decorate_ : body, body);
  }
  if (!fill) return;
  for (std::size_t k = 0; k < later_fills_.size(); ++k) {
    Text& next = k + 1 < later_fills_.size() ? to_fill_[k + 1] : out;
    const std::string_view value = later_fills_[k].second;
    const std::string_view find = later_fills_[k].first;
    Text& text = to_fill_[k];
    if (next.empty() &&
        ((plain && CannotOccurInPlainBody(find)) || std::string_view(text).find(find) == std::string_view::npos)) {
      // No match: the text passes on as it is, but for what may still
      // begin one.
      const std::size_t end = last ? text.size() : SettledEnd(text, 0, find);
      std::swap(text, next);
      text.assign(next, end);
      next.resize(end);
      continue;  // `next` holds this stage's text unchanged: still plain
    }
    PassOn(
        to_fill_[k], later_fills_[k].first, last, [&next](std::string_view stretch) { next += stretch; },
        [&next, value] { next += value; });
    plain = false;
  }
}

bool BookPageBuilder::Build(const Text& name, const Pieces& pieces, long index, long count, const Text& date,
                            const BookPageOptions& options, Random& random, Text& page, std::size_t flush_size,
                            const Output& output) {
  const Text title = BookPageTitle(name);
  const Text previous = index > 0 ? PreviousPageLink(PageNumberText(index - 1)) : Text();
  const Text next = index + 1 < count ? NextPageLink(PageNumberText(index + 1)) : Text();
  std::vector<Fill> fills = PageFills(options.wrap_lines);
  const std::string_view values[] = {title, {}, {}, previous, ContentsPageLink(), next, date};
  for (std::size_t k = 0, v = 0; k < fills.size(); ++k, ++v) {
    if (!options.wrap_lines && k == 2) ++v;  // no "<pre>" fill
    fills[k].value = values[v];
  }
  wrap_ = options.wrap_lines;
  decorate_ = options.wrap_lines && options.decorate;
  ended_ = held_cr_ = piece_open_ = false;
  random_ = &random;
  to_decorate_.clear();
  later_fills_.clear();
  for (std::size_t k = 2; k < fills.size(); ++k) later_fills_.emplace_back(fills[k].find, fills[k].value);
  to_fill_.resize(later_fills_.size());
  for (std::string& text : to_fill_) text.clear();

  bool ok = true;
  std::string_view piece;
  // The body (the text up to its first zero byte, its line ends wrapped and
  // decorated, or kept inside the template's <pre>) goes into the page as
  // it comes, unless the title holds the body's placeholder too and so
  // needs the whole body as a value.
  Text body;
  const bool body_in_title = title.find(fills[1].find) != Text::npos;
  if (body_in_title) {
    while (!ended_ && pieces(&piece)) Feed(piece, false, body, false);
    Feed({}, true, body, false);
    fills[1].value = body;
  }
  const PageAssembly* assembly = &AssemblyFor(options.wrap_lines);
  const bool title_in_head = !ChapterTextHeading(name).empty();
  if (options.header || options.notice || title_in_head) {
    Text page_template = BookTemplateFor(options, title_in_head);
    if (!assembly_ || template_wraps_ != options.wrap_lines || template_ != page_template) {
      assembly_ = std::make_shared<const PageAssembly>(MakeAssembly(page_template, options.wrap_lines));
      template_ = std::move(page_template);
      template_wraps_ = options.wrap_lines;
    }
    assembly = assembly_.get();
  }
  assembly->Append(page, fills.size(), [&](Text& out, std::size_t k) {
    if (k != 1 || body_in_title) {
      PageAssembly::AppendFilled(out, fills[k].value, fills, k + 1);
      return;
    }
    auto flush = [&] {
      if (ok && out.size() >= flush_size && output) {
        ok = output(out);
        out.clear();
      }
    };
    while (ok && !ended_ && pieces(&piece)) {
      Feed(piece, false, out, true);
      flush();
    }
    Feed({}, true, out, true);
    flush();
  });
  return ok;
}

Text BuildBookPage(const Text& name, const ByteSet& data, long index, long count, const Text& date,
                   const BookPageOptions& options, Random& random) {
  bool given = false;
  auto whole = [&](std::string_view* piece) {
    *piece = data.View();
    return !std::exchange(given, true);
  };
  Text page;
  BookPageBuilder().Build(name, whole, index, count, date, options, random, page);
  return page;
}

bool BookPageHeading(std::string_view page, Text* heading) {
  const Text& page_template = BookPageTemplate();
  // The first line up to its <title>, and the title's close on that line.
  std::string_view head = std::string_view(page_template).substr(0, page_template.find("<title>") + 7);
  if (!page.starts_with(head)) return false;
  std::size_t line_end = page.find("\r\n");
  if (page.substr(0, line_end).find("</title>", head.size()) == std::string_view::npos) return false;
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
  if (start == std::string_view::npos) {
    // Only the template's own first line, with its fixed <title>, marks a
    // book page without its heading's surroundings; another page that
    // merely begins the same way keeps its own title.
    std::string_view fixed_line = std::string_view(page_template).substr(0, page_template.find("\r\n"));
    return page.starts_with(fixed_line);
  }
  start += before.size();
  std::size_t end = page.find(after, start);
  if (end != std::string_view::npos) *heading = page.substr(start, end - start);
  return true;
}

Text BuildContentsPage(const std::vector<Text>& entries, const Text& date, const BookPageOptions& options) {
  Text page = options.header || options.notice ? BookTemplateFor(options, false) : BookPageTemplate();
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
