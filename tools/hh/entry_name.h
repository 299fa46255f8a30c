// Rules for the names stored inside a CHM file: which ones are the format's
// bookkeeping, and how a stored name becomes a safe relative path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hh {

/// True for the format's own bookkeeping streams, which are never unpacked:
/// names beginning with "::", "/#" or "/$".
bool IsBookkeepingName(std::string_view stored);

/// A stored name turned into path components below the target folder, or the
/// reason it is refused.
struct SanitizedName {
  bool ok = false;
  std::vector<std::string> components;  ///< at least one; none is "", "." or ".."
  std::string reason;                   ///< why the name was refused (when !ok)
};

/// Turns a stored (UTF-8) name into components relative to the target folder.
///
/// One leading "/" is the book's root and maps to the folder. Both "/" and
/// "\" separate components (books made on Windows may use either); empty and
/// "." components are dropped. Refused, with a reason: a name that is still
/// absolute after the root ("//x", "\x", a drive such as "C:"), any ".."
/// component, a name with no file component, and a name ending in a
/// separator (a folder, not a file). Bytes are otherwise kept as stored.
SanitizedName SanitizeEntryName(std::string_view stored);

/// A stored name as it may be printed on a terminal: control characters
/// (C0, DEL and the C1 range), bytes that are not UTF-8, '"' and '\\' are
/// written as \xNN (\\ and \" for the last two); the rest is kept.
std::string PrintableName(std::string_view stored);

}  // namespace hh
