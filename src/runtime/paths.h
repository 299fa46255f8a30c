#pragma once
// The native path separator. File-system paths are built with it; relative
// paths inside a book ("<ch1>\page.htm") keep the backslash.

#include <string_view>

#include "runtime/text.h"

namespace qm {

inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kPathSeparatorText = "/";

/// `folder` + separator + `name` (no separator doubled is added when the
/// folder already ends with one).
inline Text JoinPath(std::string_view folder, std::string_view name) {
  Text out(folder);
  if (out.empty() || out.back() != kPathSeparator) out.push_back(kPathSeparator);
  out.append(name);
  return out;
}

/// The folder part of `path` (before the last separator), empty when none.
inline Text FolderOf(std::string_view path) {
  std::size_t k = path.rfind(kPathSeparator);
  if (k == std::string_view::npos) return {};
  if (k == 0) return Text(kPathSeparatorText);
  return Text(path.substr(0, k));
}

/// The last component of `path` (after the last separator).
inline Text NameOf(std::string_view path) {
  std::size_t k = path.rfind(kPathSeparator);
  return Text(k == std::string_view::npos ? path : path.substr(k + 1));
}

}  // namespace qm
