// A plain reference for the text operations: every function walks the
// text one character at a time (a byte of 0x80 or above and the byte after
// it form one character, unless it is the last byte) and tests each
// character start in turn. Slow and obvious on purpose; the fuzzer compares
// the real operations with it.
#pragma once

#include <string>
#include <vector>

namespace qm::fuzz::reference {

/// 1-based position of the first occurrence of `sub` at a character start
/// at or after `start`; -1 when none. An empty sub: 1 when the searched
/// part is non-empty, else -1.
long FindText(const std::string& text, const std::string& sub, long start, bool ignore_case);

/// 1-based position of the last occurrence at a character start lying
/// wholly within the first limit - 1 bytes (limit <= 0: the whole text).
/// An empty sub occurs at every character start of that part.
long FindTextBackwards(const std::string& text, const std::string& sub, long limit, bool ignore_case);

/// Replacement of up to `count` occurrences (count < 0: all) scanning from
/// the 1-based `start`; the scan resumes after each match.
std::string ReplaceSubtext(const std::string& text, const std::string& find, const std::string& replacement, long start,
                           long count, bool case_sensitive);

/// The pieces between separators; see SplitText in runtime/text.h.
std::vector<std::string> SplitText(const std::string& text, const std::string& separator, long max_count);

/// The text without its trailing run of " " and 0xA1 0xA1 characters.
std::string TrimTrailingSpaces(const std::string& text);

}  // namespace qm::fuzz::reference
