#pragma once
// File-name wildcards with the rules of the Windows file search.

#include <string_view>

namespace qm {

/// Whether the GBK `name` matches `pattern`: "*" any run of characters, "?"
/// one character (a two-byte character counts as one), ASCII letters without
/// regard to case, "*.*" matches every name, and a pattern whose extension is
/// exactly three characters without wildcards also matches names whose
/// extension merely begins with them ("*.htm" finds "a.html").
bool MatchesWildcard(std::string_view name, std::string_view pattern);

/// Whether `pattern` contains "*" or "?".
bool HasWildcard(std::string_view pattern);

}  // namespace qm
