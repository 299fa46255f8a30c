#include "entry_name.h"

namespace hh {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isDriveName(std::string_view component) {
  if (component.size() < 2 || component[1] != ':') return false;
  const char c = component[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

SanitizedName refuse(std::string reason) {
  SanitizedName r;
  r.reason = std::move(reason);
  return r;
}

}  // namespace

bool isBookkeepingName(std::string_view stored) {
  return stored.starts_with("::") || stored.starts_with("/#") || stored.starts_with("/$");
}

SanitizedName sanitizeEntryName(std::string_view stored) {
  std::string_view rest = stored;
  if (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  if (!rest.empty() && isSeparator(rest.front()))
    return refuse("absolute name outside the book's root");
  if (rest.empty()) return refuse("empty name");
  if (isSeparator(rest.back()) || rest == "." || rest.ends_with("/.") || rest.ends_with("\\."))
    return refuse("names a folder, not a file");

  SanitizedName r;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    std::string_view component = rest.substr(start, end - start);
    if (component == "..") return refuse("\"..\" would leave the target folder");
    if (r.components.empty() && isDriveName(component))
      return refuse("absolute name with a drive");
    if (!component.empty() && component != ".") r.components.emplace_back(component);
    start = end + 1;
  }
  if (r.components.empty()) return refuse("no file name");
  r.ok = true;
  return r;
}

}  // namespace hh
