#include "chm/tree_history.h"

#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_paths.h"
#include "core/control_names.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

TreeEditHistory::Step Snapshot(const TreeModel& tree) {
  TreeEditHistory::Step step;
  step.items.reserve(static_cast<std::size_t>(tree.Count()));
  for (int i = 0; i < tree.Count(); ++i) {
    step.items.push_back({tree.ItemText(i), tree.Image(i), tree.SelectedImage(i), tree.Data(i), tree.Parent(i),
                          tree.Kind(i), tree.Name(i)});
  }
  step.selection = tree.Selection();
  return step;
}

bool SameItems(const std::vector<NewTreeItem>& a, const std::vector<NewTreeItem>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].text != b[i].text || a[i].image != b[i].image || a[i].selected_image != b[i].selected_image ||
        a[i].data != b[i].data || a[i].parent != b[i].parent || a[i].kind != b[i].kind || a[i].name != b[i].name)
      return false;
  }
  return true;
}

// Answer of the Yes button of a Yes/No message box.
constexpr int kYes = 5;

}  // namespace

void EditTree(Context& ctx, const std::function<void()>& edit) {
  TreeEditHistory& history = ctx.state.TreeEdits;
  TreeEditHistory::Step before = Snapshot(ctx.tree);
  edit();
  if (!SameItems(before.items, Snapshot(ctx.tree).items)) {
    before.version = history.version;
    history.undo.push_back(std::move(before));
    if (history.undo.size() > kUndoDepth) history.undo.erase(history.undo.begin());
    history.version = history.next_version++;
  }
  KeepHomePageInTree(ctx);
}

bool UndoTreeEdit(Context& ctx) {
  TreeEditHistory& history = ctx.state.TreeEdits;
  if (history.undo.empty()) return false;
  TreeEditHistory::Step step = std::move(history.undo.back());
  history.undo.pop_back();
  history.version = step.version;
  ctx.tree.Clear();
  if (!step.items.empty()) ctx.tree.AddBlock(-1, std::move(step.items));
  ctx.tree.Select(step.selection);
  KeepHomePageInTree(ctx);
  return true;
}

bool HasUnbuiltTreeEdits(const ProgramState& state) { return state.TreeEdits.version != state.TreeEdits.built_version; }

void MarkTreeBuilt(ProgramState& state) { state.TreeEdits.built_version = state.TreeEdits.version; }

void ForgetTreeEdits(ProgramState& state) {
  state.TreeEdits.undo.clear();
  state.TreeEdits.built_version = state.TreeEdits.version;
}

int HomePageItem(Context& ctx) {
  const Text home = ctx.controls.GetText(chm::kHomePageBox);
  int found = -1;
  if (home.empty()) return found;
  ForEachItemPath(ctx.tree, [&](int i, const Text& path) {
    if (found < 0 && path == home) found = i;
  });
  return found;
}

void KeepHomePageInTree(Context& ctx) {
  if (ctx.controls.GetText(chm::kHomePageBox).empty() || HomePageItem(ctx) >= 0) return;
  OnTreeSelectionChanged(ctx, 2);
}

bool BuildContentsIfTreeEdited(Context& ctx) {
  if (!HasUnbuiltTreeEdits(ctx.state) || ctx.controls.IsTicked(chm::kNoOwnContentsBox)) return true;
  // A home page chosen since the last tick reaches the project first.
  if (ctx.controls.Interval(chm::kPreviewTimer) > 0) RefreshProjectPreview(ctx);
  BuildContents(ctx);
  return !HasUnbuiltTreeEdits(ctx.state);
}

bool MayCloseWindow(Context& ctx) {
  if (!HasUnbuiltTreeEdits(ctx.state)) return true;
  const Text question =
      Gbk("目录树改过之后还没有用“建CHM目录”写入，关闭后这些修改就没有了。\r\n"
          "仍要关闭吗？");
  return ctx.dialogs.MessageBox(question, 4 | 0x20) == kYes;
}

}  // namespace qm
