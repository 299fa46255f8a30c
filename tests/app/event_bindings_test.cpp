#include "core/control_names.h"
#include "app/event_bindings.h"

#include <gtest/gtest.h>

#include <set>

#include "core/window_layout.h"
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

TEST(EventBindingsTest, EveryEventOfTheWindowReachesItsOperation) {
  struct Expected {
    const char* control;
    PlainOperation op;
  };
  const Expected clicks[] = {
      {"按钮批量转换", &BatchPageConversion},   {"按钮取消转换", &UndoBatchConversion},
      {"按钮编码转换", &Utf8ToGb2312Reencoding}, {"按钮量改字符", &FileNameCharReplacement},
      {"按钮转网页", &PagedBookConversion},     {"按钮精简网页", &PageSimplification},
      {"选择框不建目录", &OnNoOwnContentsToggled}, {"按钮建工程", &BuildContents},
      {"按钮CHM解包", &ChmUnpacking},           {"按钮转CHM", &CompileChm},
      {"按钮上移", &OnMoveUpClicked},           {"按钮下移", &OnMoveDownClicked},
      {"按钮删除节点", &OnDeleteItemClicked},   {"按钮删除子节点", &OnDeleteChildrenClicked},
      {"按钮过滤", &OnFilterClicked},
  };
  for (const Expected& e : clicks) {
    const EventBinding* b = FindBinding(e.control, EventKind::kClick);
    ASSERT_NE(b, nullptr) << e.control;
    EXPECT_EQ(b->plain, e.op) << e.control;
  }
  ASSERT_NE(FindBinding("时钟1", EventKind::kTick), nullptr);
  EXPECT_EQ(FindBinding("时钟1", EventKind::kTick)->plain, &RefreshProjectPreview);
  ASSERT_NE(FindBinding(chm::kTree, EventKind::kSelectionChanged), nullptr);
  EXPECT_EQ(FindBinding(chm::kTree, EventKind::kSelectionChanged)->selection, &OnTreeSelectionChanged);
  ASSERT_NE(FindBinding("拖放对象1", EventKind::kFilesDropped), nullptr);
  EXPECT_EQ(FindBinding("拖放对象1", EventKind::kFilesDropped)->drop, &OnWebTabDrop);
  ASSERT_NE(FindBinding("拖放对象2", EventKind::kFilesDropped), nullptr);
  EXPECT_EQ(FindBinding("拖放对象2", EventKind::kFilesDropped)->drop, &OnChmFolderDrop);
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
      case EventKind::kFilesDropped: EXPECT_EQ(c->kind, ControlKind::kDropTarget); EXPECT_NE(b.drop, nullptr); break;
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
  EXPECT_EQ(FindBinding("单选框TXT2HTMa", EventKind::kClick), nullptr);
  EXPECT_EQ(FindBinding("选择框自动换行", EventKind::kClick), nullptr);
  EXPECT_EQ(FindBinding("按钮转CHM", EventKind::kTick), nullptr);
}

}  // namespace
}  // namespace qm
