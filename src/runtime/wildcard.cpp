#include "runtime/wildcard.h"

#include <vector>

#include "runtime/text.h"

namespace qm {
namespace {

inline bool SameChar(std::string_view a, std::size_t i, std::size_t wa, std::string_view b, std::size_t j,
                     std::size_t wb) {
  if (wa != wb) return false;
  if (wa == 2) return a[i] == b[j] && a[i + 1] == b[j + 1];
  return AsciiLowerByte(a[i]) == AsciiLowerByte(b[j]);
}

// Classic greedy matcher with one backtrack point for the last "*".
bool Match(std::string_view name, std::string_view pat) {
  std::size_t n = 0, p = 0;
  std::size_t star_p = std::string_view::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      star_p = ++p;
      star_n = n;
      continue;
    }
    std::size_t wn = CharWidthAt(name, n);
    if (p < pat.size()) {
      std::size_t wp = CharWidthAt(pat, p);
      if ((wp == 1 && pat[p] == '?') || SameChar(name, n, wn, pat, p, wp)) {
        n += wn;
        p += wp;
        continue;
      }
    }
    if (star_p == std::string_view::npos) return false;
    p = star_p;
    star_n += CharWidthAt(name, star_n);
    n = star_n;
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

}  // namespace

bool HasWildcard(std::string_view pattern) { return pattern.find_first_of("*?") != std::string_view::npos; }

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  if (Match(name, pattern)) return true;
  // The three-character extension rule: "stem.ext" also matches names whose
  // extension begins with "ext".
  std::size_t dot = pattern.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string_view ext = pattern.substr(dot + 1);
  if (ext.size() != 3 || HasWildcard(ext)) return false;
  std::size_t name_dot = name.rfind('.');
  if (name_dot == std::string_view::npos) return false;
  std::string_view name_ext = name.substr(name_dot + 1);
  if (name_ext.size() <= 3) return false;
  return Match(name.substr(0, name_dot), pattern.substr(0, dot)) && Match(name_ext.substr(0, 3), ext);
}

}  // namespace qm
