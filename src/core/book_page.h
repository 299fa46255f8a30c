#pragma once
// The pages of a paged book, built from the book templates: numbered pages
// with previous, contents and next links, and the contents page. Pure text
// work; the paged book operation does the file steps.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/byte_set.h"
#include "runtime/random.h"
#include "runtime/text.h"

namespace qm {

/// The page number of page index `n`: at least three digits, zero-padded
/// ("000", "009", "010", "099", "100", "1000").
Text PageNumberText(long n);

/// The page file name of page index `n`, such as "010.htm".
Text PageFileName(long n);

/// The sibling folder that receives the converted text files: the web
/// folder's text up to and including its last separator, then "bak". A
/// folder with a trailing separator gets "bak" inside it.
Text BackupFolder(const Text& web_folder);

/// The heading that a chapter text's name carries, as the chapter splitter
/// writes them: "0003 第二章 山雨.txt" (at least four ASCII digits, the first
/// a zero, a space, the heading, ".txt") gives "第二章 山雨". Empty for any
/// other name ("2024 年度总结.txt" keeps its title).
Text ChapterTextHeading(std::string_view name);

/// A page's title: for a chapter text (ChapterTextHeading) its heading;
/// otherwise the entry's name with every ".txt" removed, matched
/// case-sensitively, "&", "<" and ">" as "&amp;", "&lt;" and "&gt;", and
/// characters without a GBK form (name escapes) written as character
/// references.
Text BookPageTitle(const Text& name);

/// A contents entry's title: a chapter text's heading, else the name with
/// every ".txt" removed, matched
/// without regard to ASCII case, "&", "<" and ">" as entity references,
/// and name escapes written as character references.
Text ContentsEntryTitle(const Text& name);

/// `data` with every line end (CR LF, or LF alone) replaced by the wrapping
/// line break, byte by byte.
ByteSet WrapLines(const ByteSet& data);

/// Appends hidden decoration to each piece of `text` between "<br>"s: the
/// piece, the decoration opening, nine characters drawn from the decoration
/// alphabet with `random`, and the decoration close (which ends in "<br>").
Text Decorate(const Text& text, Random& random);

struct BookPageOptions {
  bool wrap_lines = false;  // line breaks become HTML breaks, no <pre>
  bool decorate = false;    // hidden decoration (only with wrap_lines)
  /// The maker's header and notice, written in place of the template's
  /// kBookHeader and kBookNotice (control characters left out); an empty
  /// notice leaves out the notice's whole element. Absent: the template's.
  std::optional<Text> header, notice;
};

/// The book template for `options` (header and notice). With
/// `title_in_head` the page's <title> holds the page title ("[PART1]")
/// instead of the header.
Text BookTemplateFor(const BookPageOptions& options, bool title_in_head);

/// The page of entry `index` (0-based) of `count` entries, named `name`,
/// whose text file holds `data`. The body ends before the first 0 byte and
/// is inserted without escaping; placeholders are filled in the order title,
/// body, previous, contents, next, date, each over the whole page.
Text BuildBookPage(const Text& name, const ByteSet& data, long index, long count, const Text& date,
                   const BookPageOptions& options, Random& random);

/// Builds book pages whose texts arrive in pieces, keeping its buffers from
/// page to page, so that a text of any size is turned into its page with
/// little memory.
class BookPageBuilder {
 public:
  /// Gives the next piece of a text in code page 936 (valid until the next
  /// call); false at the text's end. Pieces may break anywhere.
  using Pieces = std::function<bool(std::string_view* piece)>;
  /// Takes the next bytes of a page; false when they could not be kept.
  using Output = std::function<bool(std::string_view bytes)>;

  /// Appends to `page` what BuildBookPage makes of the text that `pieces`
  /// gives; whenever `page` holds `flush_size` bytes or more, they go to
  /// `output` and `page` starts again empty. No piece is asked for once the
  /// text has reached a 0 byte. False, at once, when `output` fails.
  bool Build(const Text& name, const Pieces& pieces, long index, long count, const Text& date,
             const BookPageOptions& options, Random& random, Text& page, std::size_t flush_size = Text::npos,
             const Output& output = {});

  /// True when a 0 byte ended the text of the page built last (the page
  /// holds the text up to it).
  bool ended_at_zero_byte() const { return ended_; }

  /// With `fused_body` false, the wrapped and decorated body always takes
  /// the general steps one after the other instead of its one-pass form
  /// (the same bytes), so that the two can be compared.
  explicit BookPageBuilder(bool fused_body = true) : fused_body_(fused_body) {}

 private:
  void Feed(std::string_view piece, bool last, Text& out, bool with_later_fills);
  enum class HeldCr { kNone, kLineBreak, kCr };
  HeldCr TakeHeldCr(std::string_view& text, bool last);
  void WrapThenDecorate(std::optional<std::string_view> piece, bool last, Text& wrapped, Text& out);
  void WrapAndDecorate(std::optional<std::string_view> piece, bool last, Text& out);
  bool fused_body_ = true;
  // The page made from a template other than the plain book template (a
  // header, notice or title of its own), kept for the next page.
  Text template_;
  bool template_wraps_ = false;
  std::shared_ptr<const class PageAssembly> assembly_;
  bool wrap_ = false, decorate_ = false;
  bool ended_ = false;       // a 0 byte ended the text
  bool held_cr_ = false;     // a CR ended the last piece; a LF may follow
  bool piece_open_ = false;  // text since the last break awaits its decoration
  Random* random_ = nullptr;
  std::string to_decorate_;
  std::vector<std::string> to_fill_;  // the text before each of the fills after the body
  std::vector<std::pair<std::string_view, std::string_view>> later_fills_;
};

/// True when `page` is a page of a paged book (it begins with the book
/// template's first line, whatever its <title> holds, and holds the text
/// around the heading, or begins with the template's own first line); then
/// `heading` receives the title the page was given (what filled "[PART1]",
/// empty on the contents page).
bool BookPageHeading(std::string_view page, Text* heading);

/// The contents page listing `entries` in order, each linked to its page.
Text BuildContentsPage(const std::vector<Text>& entries, const Text& date, const BookPageOptions& options = {});

}  // namespace qm
