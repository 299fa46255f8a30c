#include "app/event_bindings.h"

#include <array>

#include "batch/file_name_replacement.h"
#include "batch/page_simplifier.h"
#include "batch/reencoding.h"
#include "chm/compile.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "chm/tree_editing.h"
#include "chm/unpacking.h"
#include "convert/batch_conversion.h"
#include "convert/paged_book.h"
#include "convert/web_tab_drop.h"

namespace qm {
namespace {

constexpr EventBinding Click(std::string_view control, PlainOperation op) {
  return {control, EventKind::kClick, op, nullptr, nullptr};
}

const std::array kBindings = {
    // Page "网页制作".
    Click("按钮批量转换", &BatchPageConversion),
    Click("按钮取消转换", &UndoBatchConversion),
    Click("按钮编码转换", &Utf8ToGb2312Reencoding),
    Click("按钮量改字符", &FileNameCharReplacement),
    Click("按钮转网页", &PagedBookConversion),
    Click("按钮精简网页", &PageSimplification),
    EventBinding{"拖放对象1", EventKind::kFilesDropped, nullptr, &OnWebTabDrop, nullptr},
    // Page "CHM制作".
    Click("选择框不建目录", &OnNoOwnContentsToggled),
    Click("按钮建工程", &BuildContents),
    Click("按钮CHM解包", &ChmUnpacking),
    Click("按钮转CHM", &CompileChm),
    EventBinding{"树型框1", EventKind::kSelectionChanged, nullptr, nullptr, &OnTreeSelectionChanged},
    Click("按钮上移", &OnMoveUpClicked),
    Click("按钮下移", &OnMoveDownClicked),
    Click("按钮删除节点", &OnDeleteItemClicked),
    Click("按钮删除子节点", &OnDeleteChildrenClicked),
    Click("按钮过滤", &OnFilterClicked),
    EventBinding{"时钟1", EventKind::kTick, &RefreshProjectPreview, nullptr, nullptr},
    EventBinding{"拖放对象2", EventKind::kFilesDropped, nullptr, &OnChmFolderDrop, nullptr},
};

}  // namespace

std::span<const EventBinding> EventBindings() { return kBindings; }

const EventBinding* FindBinding(std::string_view control, EventKind event) {
  for (const EventBinding& b : kBindings) {
    if (b.control == control && b.event == event) return &b;
  }
  return nullptr;
}

bool RunBoundEvent(Context& ctx, std::string_view control, EventKind event) {
  const EventBinding* b = FindBinding(control, event);
  if (!b || !b->plain) return false;
  b->plain(ctx);
  return true;
}

bool RunDropEvent(Context& ctx, std::string_view drop_target, const Text& dropped) {
  const EventBinding* b = FindBinding(drop_target, EventKind::kFilesDropped);
  if (!b || !b->drop) return false;
  b->drop(ctx, dropped);
  return true;
}

bool RunSelectionEvent(Context& ctx, std::string_view control, int how) {
  const EventBinding* b = FindBinding(control, EventKind::kSelectionChanged);
  if (!b || !b->selection) return false;
  b->selection(ctx, how);
  return true;
}

}  // namespace qm
