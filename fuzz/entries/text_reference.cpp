#include "text_reference.h"

namespace qm::fuzz::reference {
namespace {

// Width of the character that starts at byte i.
std::size_t Width(const std::string& t, std::size_t i) {
  return static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size() ? 2 : 1;
}

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `sub` is found at character start `at`. The text is walked
// character by character: a one-byte character may fold its ASCII case,
// both bytes of a two-byte character must match exactly (a sub may end
// after its first byte).
bool OccursAt(const std::string& t, std::size_t at, const std::string& sub, bool ignore_case) {
  if (at + sub.size() > t.size()) return false;
  std::size_t k = 0;
  while (k < sub.size()) {
    std::size_t j = at + k;
    if (Width(t, j) == 2) {
      if (t[j] != sub[k]) return false;
      if (k + 1 < sub.size() && t[j + 1] != sub[k + 1]) return false;
      k += 2;
    } else {
      if (ignore_case ? Folded(t[j]) != Folded(sub[k]) : t[j] != sub[k]) return false;
      k += 1;
    }
  }
  return true;
}

}  // namespace

long FindText(const std::string& text, const std::string& sub, long start, bool ignore_case) {
  if (start < 1) start = 1;
  if (start > static_cast<long>(text.size())) return -1;
  if (sub.empty()) return 1;
  for (std::size_t i = static_cast<std::size_t>(start - 1); i < text.size(); i += Width(text, i))
    if (OccursAt(text, i, sub, ignore_case)) return static_cast<long>(i + 1);
  return -1;
}

long FindTextBackwards(const std::string& text, const std::string& sub, long limit, bool ignore_case) {
  std::size_t end = text.size();
  if (limit > 0 && static_cast<std::size_t>(limit - 1) < end) end = static_cast<std::size_t>(limit - 1);
  long last = -1;
  for (std::size_t i = 0; i < end; i += Width(text, i))
    if (i + sub.size() <= end && OccursAt(text, i, sub, ignore_case)) last = static_cast<long>(i + 1);
  return last;
}

std::string ReplaceSubtext(const std::string& text, const std::string& find, const std::string& replacement, long start,
                           long count, bool case_sensitive) {
  if (text.empty() || find.empty()) return text;
  if (start < 1) start = 1;
  if (start > static_cast<long>(text.size())) return text;
  std::size_t i = static_cast<std::size_t>(start - 1);
  std::string out = text.substr(0, i);
  long done = 0;
  while (i < text.size()) {
    if ((count < 0 || done < count) && OccursAt(text, i, find, !case_sensitive)) {
      out += replacement;
      i += find.size();
      ++done;
    } else {
      std::size_t w = Width(text, i);
      out += text.substr(i, w);
      i += w;
    }
  }
  return out;
}

std::vector<std::string> SplitText(const std::string& text, const std::string& separator, long max_count) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) return {text};
  std::size_t piece = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!OccursAt(text, i, separator, false)) {
      i += Width(text, i);
      continue;
    }
    pieces.push_back(text.substr(piece, i - piece));
    if (max_count > 0 && static_cast<long>(pieces.size()) == max_count) return pieces;
    i += separator.size();
    piece = i;
  }
  if (piece < text.size()) pieces.push_back(text.substr(piece));
  return pieces;
}

std::string TrimTrailingSpaces(const std::string& text) {
  std::size_t keep = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t w = Width(text, i);
    std::string c = text.substr(i, w);
    i += w;
    if (c != " " && c != "\xA1\xA1") keep = i;
  }
  return text.substr(0, keep);
}

}  // namespace qm::fuzz::reference
