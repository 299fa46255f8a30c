#include "chm/tree_paths.h"

#include <vector>

#include "runtime/paths.h"

namespace qm {

NewTreeItem FolderItem(const Text& name, int parent) {
  return {"<" + name + ">", kFolderImage, kFolderImage, 0, parent, TreeItemKind::kFolder, name};
}

NewTreeItem PageItem(const Text& name, int parent) {
  return {name, kPageImage, kPageImage, 0, parent, TreeItemKind::kPage, name};
}

Text WithoutAngleBrackets(std::string_view name) { return WithoutAll(name, ">", "<"); }

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

Text WithoutFinalBackslash(std::string_view path) {
  Text out(path);
  DropFinalBackslash(out);
  return out;
}

void DropFinalBackslash(Text& path) {
  // Only a whole "\" character goes, never the second byte of a two-byte
  // character such as 乗 (0x81 0x5C).
  if (EndsWithCharacters(path, "\\")) path.pop_back();
}

Text WithoutAll(std::string_view text, std::string_view first, std::string_view second) {
  Text out;
  AppendWithoutAll(out, text, first, second);
  return out;
}

void AppendWithoutAll(Text& out, std::string_view text, std::string_view first, std::string_view second) {
  auto ascii_byte = [](std::string_view s) { return s.size() == 1 && static_cast<unsigned char>(s[0]) < 0x80; };
  if (!ascii_byte(first) || !ascii_byte(second)) {
    out += ReplaceSubtext(ReplaceSubtext(text, first), second);
    return;
  }
  // Two single ASCII characters (the brackets of folder names): taking one
  // out leaves the characters after it as they were, so both go in one
  // pass over the characters.
  out.reserve(out.size() + text.size());
  std::size_t kept = 0;  // start of the stretch not yet copied
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t width = CharWidthAt(text, i);
    if (width == 1 && (text[i] == first[0] || text[i] == second[0])) {
      out.append(text, kept, i - kept);
      kept = i + 1;
    }
    i += width;
  }
  out.append(text, kept);
}

}  // namespace qm
