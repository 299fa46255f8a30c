#include "literal_tree_ops.h"

#include "chm/project_templates.h"

namespace qm::literal {
namespace {

// Only a whole final "\\" character goes: 0x5C as the second byte of a
// two-byte character (乗) stays.
Text WithoutFinalBackslashCharacter(const Text& p) {
  return EndsWithCharacters(p, "\\") ? TextLeft(p, TextLength(p) - 1) : p;
}

}  // namespace

Text TreeItemPath(const TreeModel& tree, int index) {
  Text result;
  int current = index;
  for (int level = tree.Depth(index); level > 0; --level) {
    const Text& text = tree.ItemText(current);
    if (!EndsWithCharacters(text, "\\")) result = text + "\\" + result;
    else result = text + result;
    current = tree.Parent(current);
  }
  return result;
}

Text DocumentOrderList(const TreeModel& tree) {
  Text list;
  const int count = tree.Count();
  for (int i = 0; i < count; ++i) {
    Text p = TreeItemPath(tree, i);
    if (TextRight(p, 2) == ">\\") continue;
    if (TextLeft(p, 1) == "<") {
      p = ReplaceSubtext(p, ">", "");
      p = ReplaceSubtext(p, "<", "");
    }
    p = WithoutFinalBackslashCharacter(p);
    list += p + "\r\n";
  }
  return list;
}

Text ContentsText(const TreeModel& tree) {
  Text body;
  const int count = tree.Count();
  for (int i = 0; i < count; ++i) {
    Text p = TreeItemPath(tree, i);
    Text t = tree.ItemText(i);
    if (TextRight(p, 2) == ">\\") {
      t = ReplaceSubtext(ReplaceSubtext(t, ">", ""), "<", "");
      Text e = ReplaceSubtext(FolderEntryTemplate(), "BBBBBB", t);
      body += e + (tree.HasChildren(i) ? "\r\n<UL>\r\n" : "\r\n");
    } else if (TextLeft(p, 1) == "<") {
      t = ReplaceSubtext(t, ">", "");
      t = ReplaceSubtext(t, "<", "");
      t = ReplaceSubtext(t, ".html", "");
      t = ReplaceSubtext(t, ".htm", "");
      p = ReplaceSubtext(ReplaceSubtext(p, ">", ""), "<", "");
      p = WithoutFinalBackslashCharacter(p);
      Text e = ReplaceSubtext(NestedDocumentEntryTemplate(), "AAAAAA", t);
      e = ReplaceSubtext(e, "CCCCCC", p);
      body += e + "\r\n";
      int d = tree.Depth(i) - tree.Depth(i + 1);
      if (d == 1) body += "\r\n</UL>\r\n";
      if (d == 2) body += "\r\n</UL>\r\n</UL>\r\n";
      if (d == 3) body += "\r\n</UL>\r\n</UL>\r\n</UL>\r\n";
    } else {
      Text local = WithoutFinalBackslashCharacter(p);
      Text e = ReplaceSubtext(TopDocumentEntryTemplate(), "GGGGGG", local);
      Text name = ReplaceSubtext(ReplaceSubtext(local, ".html", ""), ".htm", "");
      e = ReplaceSubtext(e, "AAAAAA", name);
      body += e + "\r\n";
    }
  }
  return ContentsHeader() + body + ContentsFooter();
}

int FindSibling(const TreeModel& tree, int c, bool backwards) {
  if (c == -1 || tree.Count() == 1) return -1;
  const int level = tree.Depth(c);
  if (!backwards) {
    for (int i = c + 1; i <= tree.Count(); ++i) {
      int d = tree.Depth(i);
      if (d < level) return -1;
      if (d == level) return i;
    }
    return -1;
  }
  for (int i = c - 1; i >= 0; --i) {
    int d = tree.Depth(i);
    if (d < level) return -1;
    if (d == level) return i;
  }
  return -1;
}

int CountDescendants(const TreeModel& tree, int c) {
  if (c == -1) return -1;
  if (tree.Count() == 1 || c == tree.Count() - 1 || !tree.HasChildren(c)) return 0;
  int n = 0;
  for (int i = c + 1; tree.Depth(i) > tree.Depth(c); ++i) ++n;
  return n;
}

void DeleteChildren(TreeModel& tree, int c) {
  int n = CountDescendants(tree, c);
  if (n <= 0) return;
  for (int i = c + n; i >= c + 1; --i) tree.Delete(i);
}

void FilterTree(TreeModel& tree) {
  const int count = tree.Count();
  std::vector<int> collected;
  for (int i = 0; i < count; ++i)
    if (FindText(tree.ItemText(i), ".htm", 1, true) == -1 && !tree.HasChildren(i)) collected.push_back(i);
  for (std::size_t j = 0; j < collected.size(); ++j) tree.Delete(collected[j] - static_cast<int>(j));
}

static TreeItemSnapshot Take(const TreeModel& tree, int c) {
  return {tree.ItemText(c), tree.Image(c), tree.SelectedImage(c), tree.Data(c),
          tree.Depth(c),    tree.Kind(c),  tree.Name(c)};
}

static void Apply(TreeModel& tree, int c, const TreeItemSnapshot& s) {
  tree.SetItemText(c, s.text);
  tree.SetImage(c, s.image);
  tree.SetSelectedImage(c, s.selected_image);
  tree.SetData(c, s.data);
  tree.SetKind(c, s.kind, s.name);
}

void CollectSubtree(const TreeModel& tree, int c, std::vector<TreeItemSnapshot>& list) {
  list.clear();
  list.push_back(Take(tree, c));
  for (int i = c + 1; i < tree.Count(); ++i) {
    if (tree.Depth(i) <= tree.Depth(c)) break;
    list.push_back(Take(tree, i));
  }
}

void RebuildSubtree(TreeModel& tree, int c, const std::vector<TreeItemSnapshot>& list) {
  int prev = c, parent = c;
  for (std::size_t k = 1; k < list.size(); ++k) {
    const TreeItemSnapshot& r = list[k];
    int before = list[k - 1].depth;
    if (r.depth > before) parent = prev;
    else
      for (int j = 0; j < before - r.depth; ++j) parent = tree.Parent(parent);
    prev = tree.Add(parent, r.text, r.image, r.selected_image, r.data, r.kind, r.name);
  }
}

int MoveItemUp(TreeModel& tree, int c) {
  if (c <= 1 && tree.Parent(c) + 1 == c) return -1;
  int d = FindSibling(tree, c, true);
  if (d == -1) return c;
  std::vector<TreeItemSnapshot> moved, neighbour;
  CollectSubtree(tree, c, moved);
  CollectSubtree(tree, d, neighbour);
  TreeItemSnapshot sc = Take(tree, c), sd = Take(tree, d);
  Apply(tree, c, sd);
  Apply(tree, d, sc);
  DeleteChildren(tree, c);
  RebuildSubtree(tree, c, neighbour);
  DeleteChildren(tree, d);
  RebuildSubtree(tree, d, moved);
  return d;
}

int MoveItemDown(TreeModel& tree, int c) {
  if (c < 0) return -1;
  int d = FindSibling(tree, c, false);
  if (d == -1) return c;
  std::vector<TreeItemSnapshot> moved, neighbour;
  CollectSubtree(tree, c, moved);
  CollectSubtree(tree, d, neighbour);
  TreeItemSnapshot sc = Take(tree, c), sd = Take(tree, d);
  Apply(tree, c, sd);
  Apply(tree, d, sc);
  DeleteChildren(tree, d);
  RebuildSubtree(tree, d, moved);
  DeleteChildren(tree, c);
  RebuildSubtree(tree, c, neighbour);
  return c + static_cast<int>(neighbour.size());
}

}  // namespace qm::literal
