#include "core/window_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace qm {
namespace {

TEST(WindowLayoutTest, NamesAreUniqueAndParentsComeFirst) {
  std::set<std::string_view> seen;
  for (const ControlInfo& c : WindowControls()) {
    EXPECT_TRUE(seen.insert(c.name).second) << c.name;
    if (c.parent.empty() || c.parent == kWebPage || c.parent == kChmPage) continue;
    const ControlInfo* parent = FindControl(c.parent);
    ASSERT_NE(parent, nullptr) << c.name;
    EXPECT_EQ(parent->kind, ControlKind::kGroupBox) << c.name;
    EXPECT_TRUE(seen.count(c.parent)) << c.name << " comes before its parent";
  }
}

TEST(WindowLayoutTest, StartStatesOfTheTables) {
  std::set<std::string_view> disabled;
  for (const ControlInfo& c : WindowControls()) {
    if (c.disabled) disabled.insert(c.name);
  }
  EXPECT_EQ(disabled, (std::set<std::string_view>{"按钮批量转换", "按钮取消转换", "按钮编码转换", "按钮量改字符",
                                                  "按钮精简网页", "按钮CHM解包", "按钮转CHM", "按钮分章节"}));
  EXPECT_TRUE(FindControl("编辑框9")->hidden);
  EXPECT_EQ(FindControl("编辑框原类型")->text, ".txt");
  EXPECT_EQ(FindControl("编辑框原字符")->text, "txt");
  EXPECT_EQ(FindControl("编辑框1")->text, "  ---拖进来---");
  EXPECT_EQ(FindControl("按钮取消转换")->text, "取 消");
  const ControlInfo* tabs = FindControl("选择夹1");
  EXPECT_EQ((std::vector<int>{tabs->left, tabs->top, tabs->width, tabs->height}), (std::vector<int>{0, -3, 688, 358}));
}

TEST(WindowLayoutTest, EditBoxStyles) {
  int multi = 0, red = 0, grey = 0, boxes = 0;
  for (const ControlInfo& c : WindowControls()) {
    if (c.kind != ControlKind::kEditBox) continue;
    ++boxes;
    multi += IsMultiLine(c.name);
    red += HasDarkRedText(c.name);
    grey += HasGreyBackground(c.name);
    if (HasDarkRedText(c.name)) {
      EXPECT_EQ(c.text, "  ---拖进来---") << c.name;
    }
  }
  EXPECT_EQ(multi, 3);
  EXPECT_EQ(red, 3);
  EXPECT_EQ(grey, boxes - 2);
  EXPECT_FALSE(HasGreyBackground("编辑框11"));
  EXPECT_TRUE(HasHorizontalScrollBar("编辑框10"));
  EXPECT_FALSE(HasHorizontalScrollBar("编辑框4"));
}

TEST(WindowLayoutTest, PagesOfControls) {
  EXPECT_EQ(PageOf("按钮转网页"), kWebPage);
  EXPECT_EQ(PageOf("编辑框1"), kChmPage);
  EXPECT_EQ(PageOf("时钟1"), kChmPage);
  EXPECT_EQ(PageOf("选择夹1"), "");
  EXPECT_EQ(PageOf("超文本浏览框1"), "");
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(WindowLayoutTest, EveryControlTheUserWorksWithExplainsItself) {
  for (const ControlInfo& c : WindowControls()) {
    const bool works = c.kind != ControlKind::kLabel && c.kind != ControlKind::kGroupBox &&
                       c.kind != ControlKind::kTimer && c.kind != ControlKind::kDropTarget &&
                       c.kind != ControlKind::kWebView && !c.hidden;
    if (works) {
      EXPECT_FALSE(c.tooltip.empty()) << c.name << " has no tooltip";
    }
    // A tooltip that looks like markup would be shown as rich text.
    EXPECT_EQ(c.tooltip.find('<'), std::string_view::npos) << c.name;
  }
}

}  // namespace
}  // namespace qm
