#include "tree_test_support.h"

namespace qm::test {
namespace {

// Adds the item a text stands for: "<name>" a folder, anything else a page.
int AddItem(TreeModel& tree, int parent, const Text& text, long long data = 0) {
  const bool folder = TextLeft(text, 1) == "<";
  const int image = folder ? 0 : 1;
  const Text name = folder ? text.substr(1, text.size() - 2) : text;
  return tree.Add(parent, text, image, image, data, folder ? TreeItemKind::kFolder : TreeItemKind::kPage, name);
}

}  // namespace

void Build(TreeModel& tree, const Outline& outline) {
  tree.Clear();
  std::vector<int> last_at_depth{-1};
  for (const auto& [depth, text] : outline) {
    int index = AddItem(tree, last_at_depth[static_cast<std::size_t>(depth - 1)], text);
    last_at_depth.resize(static_cast<std::size_t>(depth) + 1);
    last_at_depth[static_cast<std::size_t>(depth)] = index;
  }
}

std::string Dump(const TreeModel& tree) {
  std::string out;
  for (int i = 0; i < tree.Count(); ++i) {
    out += std::to_string(tree.Depth(i)) + " " + std::to_string(tree.Image(i)) + "/" +
           std::to_string(tree.SelectedImage(i)) + " " + std::to_string(tree.Data(i)) + " " + tree.ItemText(i) + "\n";
  }
  return out;
}

std::string DumpStructure(const TreeModel& tree) {
  std::string out = Dump(tree) + "top " + std::to_string(tree.ChildCount(-1)) + "\n";
  for (int i = 0; i < tree.Count(); ++i) {
    int row = tree.RowOf(i);
    out += std::to_string(i) + ": parent " + std::to_string(tree.Parent(i)) + " row " + std::to_string(row) +
           " children " + std::to_string(tree.ChildCount(i)) + " descendants " +
           std::to_string(tree.DescendantCount(i)) + (tree.ChildAt(tree.Parent(i), row) == i ? "" : " BAD ROW") +
           (tree.IndexOf(tree.Handle(i)) == i ? "" : " BAD HANDLE") + "\n";
  }
  return out;
}

void BuildRandom(TreeModel& tree, std::mt19937& rng, int size, int max_depth) {
  static const std::vector<Text> kDocuments = {"a.htm",        "b.txt",    "X.HTM",    "c.html",     "d.gif",
                                               "e.Html",       "f\\",      "g<h>.htm", "CCCCCC.htm", "AAAAAA.txt",
                                               "\xD6\xD0.htm", "\xB1\x5C", "no",       ".htm.html",  ">x<"};
  static const std::vector<Text> kFolders = {"<img>", "<ch1>", "<a.htm>", "<x\\>", "<\xCE\xC4>", "<>"};
  tree.Clear();
  std::vector<int> path;  // the latest item at each depth
  for (int n = 0; n < size; ++n) {
    int depth = 1 + static_cast<int>(rng() % static_cast<unsigned>(std::min<int>(max_depth, path.size() + 1)));
    path.resize(static_cast<std::size_t>(depth - 1));
    int parent = path.empty() ? -1 : path.back();
    bool folder = rng() % 3 == 0;
    const Text& text = folder ? kFolders[rng() % kFolders.size()] : kDocuments[rng() % kDocuments.size()];
    path.push_back(AddItem(tree, parent, text, static_cast<long long>(rng() % 3)));
  }
}

}  // namespace qm::test
