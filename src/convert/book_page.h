#pragma once
// The pages of a paged book, built from the book templates: numbered pages
// with previous, contents and next links, and the contents page. Pure text
// work; the paged book operation does the file steps.

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

/// A page's title: the entry's name with every ".txt" removed, matched
/// case-sensitively, "&", "<" and ">" as "&amp;", "&lt;" and "&gt;", and
/// characters without a GBK form (name escapes) written as character
/// references.
Text BookPageTitle(const Text& name);

/// A contents entry's title: the name with every ".txt" removed, matched
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
};

/// The page of entry `index` (0-based) of `count` entries, named `name`,
/// whose text file holds `data`. The body ends before the first 0 byte and
/// is inserted without escaping; placeholders are filled in the order title,
/// body, previous, contents, next, date, each over the whole page.
Text BuildBookPage(const Text& name, const ByteSet& data, long index, long count,
                   const Text& date, const BookPageOptions& options, Random& random);

/// True when `page` is a page of a paged book (it begins with the book
/// template's first line, whose <title> is the same fixed text on every
/// page); then `heading` receives the title the page was given (what filled
/// "[PART1]", empty on the contents page).
bool BookPageHeading(std::string_view page, Text* heading);

/// The contents page listing `entries` in order, each linked to its page.
Text BuildContentsPage(const std::vector<Text>& entries, const Text& date);

}  // namespace qm
