#include "app/event_bindings.h"

#include <gtest/gtest.h>

#include <set>

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
#include "core/window_layout.h"

namespace qm {
namespace {

TEST(EventBindingsTest, EveryEventOfTheWindowReachesItsOperation) {
  struct Expected {
    std::string_view control;
    PlainOperation op;
  };
  const Expected clicks[] = {
      {controls::kBatchConvertButton, &BatchPageConversion},
      {controls::kBatchUndoButton, &UndoBatchConversion},
      {controls::kReencodeButton, &Utf8ToGb2312Reencoding},
      {controls::kRenameButton, &FileNameCharReplacement},
      {controls::kBookConvertButton, &PagedBookConversion},
      {controls::kSimplifyButton, &PageSimplification},
      {controls::kSplitButton, &ChapterSplitting},
      {chm::kNoOwnContentsBox, &OnNoOwnContentsToggled},
      {chm::kBuildButton, &BuildContents},
      {chm::kFullTextSearchBox, &RefreshProjectPreview},
      {chm::kUnpackButton, &ChmUnpacking},
      {chm::kCompileButton, &CompileChm},
      {chm::kMoveUpButton, &OnMoveUpClicked},
      {chm::kMoveDownButton, &OnMoveDownClicked},
      {chm::kDeleteItemButton, &OnDeleteItemClicked},
      {chm::kDeleteChildrenButton, &OnDeleteChildrenClicked},
      {chm::kFilterButton, &OnFilterClicked},
      {chm::kUndoButton, &OnUndoClicked},
      {chm::kOpenBookButton, &OnOpenBookClicked},
      {chm::kOpenFolderButton, &OnOpenFolderClicked},
  };
  for (const Expected& e : clicks) {
    const EventBinding* b = FindBinding(e.control, EventKind::kClick);
    ASSERT_NE(b, nullptr) << e.control;
    EXPECT_EQ(b->plain, e.op) << e.control;
  }
  ASSERT_NE(FindBinding(chm::kPreviewTimer, EventKind::kTick), nullptr);
  EXPECT_EQ(FindBinding(chm::kPreviewTimer, EventKind::kTick)->plain, &RefreshProjectPreview);
  ASSERT_NE(FindBinding(chm::kTree, EventKind::kSelectionChanged), nullptr);
  EXPECT_EQ(FindBinding(chm::kTree, EventKind::kSelectionChanged)->selection, &OnTreeSelectionChanged);
  ASSERT_NE(FindBinding(controls::kWebDropArea, EventKind::kFilesDropped), nullptr);
  EXPECT_EQ(FindBinding(controls::kWebDropArea, EventKind::kFilesDropped)->drop, &OnWebTabDrop);
  ASSERT_NE(FindBinding(controls::kChmDropArea, EventKind::kFilesDropped), nullptr);
  EXPECT_EQ(FindBinding(controls::kChmDropArea, EventKind::kFilesDropped)->drop, &OnChmFolderDrop);
  EXPECT_EQ(EventBindings().size(), std::size(clicks) + 4);
}

TEST(EventBindingsTest, BindingsNameExistingControlsOfTheRightTypeOnce) {
  std::set<std::pair<std::string_view, EventKind>> seen;
  for (const EventBinding& b : EventBindings()) {
    EXPECT_TRUE(seen.insert({b.control, b.event}).second) << b.control;
    const ControlInfo* c = FindControl(b.control);
    ASSERT_NE(c, nullptr) << b.control;
    int set = (b.plain != nullptr) + (b.drop != nullptr) + (b.selection != nullptr);
    EXPECT_EQ(set, 1) << b.control;
    switch (b.event) {
      case EventKind::kClick:
        EXPECT_TRUE(c->kind == ControlKind::kButton || c->kind == ControlKind::kCheckBox) << b.control;
        EXPECT_NE(b.plain, nullptr);
        break;
      case EventKind::kTick: EXPECT_EQ(c->kind, ControlKind::kTimer); break;
      case EventKind::kFilesDropped:
        EXPECT_EQ(c->kind, ControlKind::kDropTarget);
        EXPECT_NE(b.drop, nullptr);
        break;
      case EventKind::kSelectionChanged: EXPECT_EQ(c->kind, ControlKind::kTreeBox); break;
    }
  }
  // Every button has a click operation.
  for (const ControlInfo& c : WindowControls()) {
    if (c.kind == ControlKind::kButton) {
      EXPECT_NE(FindBinding(c.name, EventKind::kClick), nullptr) << c.name;
    }
  }
}

TEST(EventBindingsTest, UnboundEventsRunNothing) {
  EXPECT_EQ(FindBinding(controls::kBatchModeRadio, EventKind::kClick), nullptr);
  EXPECT_EQ(FindBinding(controls::kWrapLinesBox, EventKind::kClick), nullptr);
  EXPECT_EQ(FindBinding(chm::kCompileButton, EventKind::kTick), nullptr);
}

}  // namespace
}  // namespace qm
