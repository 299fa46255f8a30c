#include "app/event_bindings.h"

#include <array>

#include "batch/file_name_replacement.h"
#include "batch/page_simplifier.h"
#include "batch/reencoding.h"
#include "chm/compile.h"
#include "chm/document_tree.h"
#include "chm/finished_book.h"
#include "chm/project_files.h"
#include "chm/tree_editing.h"
#include "chm/unpacking.h"
#include "convert/batch_conversion.h"
#include "convert/chapter_splitting.h"
#include "convert/paged_book.h"
#include "convert/web_tab_drop.h"
#include "core/control_names.h"

namespace qm {
namespace {

constexpr EventBinding Click(std::string_view control, PlainOperation op) {
  return {control, EventKind::kClick, op, nullptr, nullptr};
}

const std::array kBindings = {
    // Page "网页制作".
    Click(controls::kBatchConvertButton, &BatchPageConversion),
    Click(controls::kBatchUndoButton, &UndoBatchConversion),
    Click(controls::kReencodeButton, &Utf8ToGb2312Reencoding),
    Click(controls::kRenameButton, &FileNameCharReplacement),
    Click(controls::kBookConvertButton, &PagedBookConversion),
    Click(controls::kSimplifyButton, &PageSimplification),
    Click(controls::kSplitButton, &ChapterSplitting),
    EventBinding{controls::kWebDropArea, EventKind::kFilesDropped, nullptr, &OnWebTabDrop, nullptr},
    // Page "CHM制作".
    Click(chm::kNoOwnContentsBox, &OnNoOwnContentsToggled),
    Click(chm::kBuildButton, &BuildContents),
    Click(chm::kFullTextSearchBox, &RefreshProjectPreview),
    Click(chm::kUnpackButton, &ChmUnpacking),
    Click(chm::kCompileButton, &CompileChm),
    EventBinding{chm::kTree, EventKind::kSelectionChanged, nullptr, nullptr, &OnTreeSelectionChanged},
    Click(chm::kMoveUpButton, &OnMoveUpClicked),
    Click(chm::kMoveDownButton, &OnMoveDownClicked),
    Click(chm::kDeleteItemButton, &OnDeleteItemClicked),
    Click(chm::kDeleteChildrenButton, &OnDeleteChildrenClicked),
    Click(chm::kFilterButton, &OnFilterClicked),
    Click(chm::kUndoButton, &OnUndoClicked),
    Click(chm::kOpenBookButton, &OnOpenBookClicked),
    Click(chm::kOpenFolderButton, &OnOpenFolderClicked),
    EventBinding{chm::kPreviewTimer, EventKind::kTick, &RefreshProjectPreview, nullptr, nullptr},
    EventBinding{controls::kChmDropArea, EventKind::kFilesDropped, nullptr, &OnChmFolderDrop, nullptr},
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
