// Names and texts from the project and contents files. The main program
// writes them in code page 936; a file name with characters that code page
// 936 lacks (an emoji, bytes that are not UTF-8) is written with the
// program's lossless name escapes (runtime/encoding.h). These functions
// undo that mapping exactly as the main program does.
#pragma once

#include <string>
#include <string_view>

#include "runtime/compiler_contract.h"

namespace hha {

// Shared with the main program, which shows names as the compiler does.
using qm::HasForgedEscape;
using qm::Printable;
using qm::Shown;

/// The UTF-8 file name a project or contents text spells, escapes undone.
/// A stray byte the name held on disk comes back as that byte, so the
/// result is valid UTF-8 only when the name on disk is.
std::string NameFromProject(std::string_view gbk);

/// A Local value of a contents or index file as the stored file gives it to
/// readers: a name escape of a name that is code page 936 on disk becomes
/// those bytes (the stored name's spelling in the book's code page); in any
/// other value with escapes, each escaped character becomes its UTF-8 bytes
/// percent-encoded ("%E3%83%BB") and each "%" becomes "%25", which readers
/// that take Local values as URLs (kchmviewer) turn back into the stored
/// UTF-8 name, where character references fail for characters beyond
/// U+FFFF. When `names_stored_file` (the value, as written, names a file the
/// book stores), each "%" becomes "%25" as well, so "100%41.htm" does not
/// open "100A.htm", and each '"' becomes "%22"; with `whole_name` (the
/// whole value is the stored file's name) "?" and "#" are percent-encoded
/// too, as they are part of the name. Every "\" character becomes "/" (a
/// "\" byte inside a two-byte character stays). The result is written for
/// a double-quoted attribute (QuotedAttributeText).
std::string LocalForReaders(std::string_view gbk, bool names_stored_file, bool whole_name = false);

/// The link with which a code page 936 page at the book's root opens the
/// stored file `stored` (UTF-8, "/" separators): its code page 936
/// spelling, with each character that code page lacks written as its
/// percent-encoded UTF-8 bytes and each "%", '"', "'", "?", "#", space and
/// control character percent-encoded as part of the name, so that readers
/// taking it as a URL (or a refresh's quoted URL) find `stored`.
/// Not yet escaped for HTML ("&", "<", ">" stay).
std::string LinkToStoredName(std::string_view stored);

/// A text shown to the book's reader (title, window caption), kept in code
/// page 936: each escaped character, which that code page cannot show,
/// becomes "?". Texts without escapes are returned unchanged.
std::string ReaderText(std::string_view gbk);

}  // namespace hha
