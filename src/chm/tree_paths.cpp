#include "chm/tree_paths.h"

#include <vector>

#include "runtime/paths.h"

namespace qm {

Text LastPathComponent(std::string_view path) {
  long k = FindTextBackwards(path, kPathSeparatorText);
  return TextRight(path, TextLength(path) - k);
}

void AppendPathPart(Text& path, std::string_view item_text) {
  path.append(item_text);
  if (!EndsWithCharacters(item_text, "\\")) path.push_back('\\');
}

Text TreeItemPath(const TreeModel& tree, int index) {
  std::vector<int> chain;
  for (int i = index; tree.Depth(i) > 0; i = tree.Parent(i)) chain.push_back(i);
  Text path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) AppendPathPart(path, tree.ItemText(*it));
  return path;
}

bool IsFolderPath(std::string_view path) { return TextRight(path, 2) == ">\\"; }

bool IsInsideFolder(std::string_view path) { return TextLeft(path, 1) == "<"; }

Text WithoutFinalBackslash(std::string_view path) {
  // Only a whole "\" character goes, never the second byte of a two-byte
  // character such as 乗 (0x81 0x5C).
  if (!EndsWithCharacters(path, "\\")) return Text(path);
  return Text(path.substr(0, path.size() - 1));
}

Text WithoutAll(std::string_view text, std::string_view first, std::string_view second) {
  return ReplaceSubtext(ReplaceSubtext(text, first), second);
}

}  // namespace qm
