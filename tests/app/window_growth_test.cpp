#include "app/window_growth.h"

#include <gtest/gtest.h>

#include "app/window_title.h"
#include "core/window_layout.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

ControlRect TableRect(const ControlInfo& c) { return {c.left, c.top, c.width, c.height}; }

bool Overlap(const ControlRect& a, const ControlRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

bool Windowed(const ControlInfo& c) {
  // The web view lies beyond the window's right edge and is never seen.
  return c.kind != ControlKind::kTimer && c.kind != ControlKind::kDropTarget && c.kind != ControlKind::kWebView &&
         !c.hidden;
}

TEST(WindowGrowthTest, AtTheStartSizeEveryControlStandsWhereTheTablePutsIt) {
  for (const ControlInfo& c : WindowControls()) {
    EXPECT_EQ(GrownRect(c, 0, 0), TableRect(c)) << c.name;
    EXPECT_EQ(GrownRect(c, -50, -20), TableRect(c)) << c.name;
  }
}

TEST(WindowGrowthTest, BoxesGrowButtonsKeepTheirSizeAndNothingComesToOverlap) {
  for (auto [dw, dh] : {std::pair{1, 1}, {2, 0}, {0, 5}, {317, 211}, {1237, 700}}) {
    SCOPED_TRACE(std::to_string(dw) + "x" + std::to_string(dh));
    for (std::string_view box : {"编辑框1", "编辑框21", "编辑框11", "树型框1", "编辑框10", "编辑框4", "分组框2"}) {
      const ControlInfo& c = *FindControl(box);
      ControlRect r = GrownRect(c, dw, dh);
      EXPECT_GE(r.width, c.width) << box;
      EXPECT_GE(r.height, c.height) << box;
    }
    const ControlInfo& order_list = *FindControl("编辑框11");
    EXPECT_GT(GrownRect(order_list, dw, dh).width * GrownRect(order_list, dw, dh).height,
              order_list.width * order_list.height);
    // The three CHM boxes share the width; the folder box takes the tree's share.
    const int tree = GrownRect(*FindControl("树型框1"), dw, dh).width - 224;
    const int contents = GrownRect(*FindControl("编辑框10"), dw, dh).width - 224;
    const int project = GrownRect(*FindControl("编辑框4"), dw, dh).width - 206;
    EXPECT_EQ(tree + contents + project, dw);
    EXPECT_LE(std::max({tree, contents, project}) - std::min({tree, contents, project}), 2);
    EXPECT_EQ(GrownRect(*FindControl("编辑框1"), dw, dh).width - 171, tree);
    for (const ControlInfo& a : WindowControls()) {
      if (!Windowed(a)) continue;
      const ControlRect ra = GrownRect(a, dw, dh);
      if (a.kind == ControlKind::kButton) {
        EXPECT_EQ(ra.width, a.width) << a.name;
        EXPECT_EQ(ra.height, a.height) << a.name;
      }
      EXPECT_GE(ra.left + ra.width, a.left + a.width) << a.name << " moved left";
      for (const ControlInfo& b : WindowControls()) {
        if (&a >= &b || !Windowed(b) || a.parent != b.parent || Overlap(TableRect(a), TableRect(b))) continue;
        EXPECT_FALSE(Overlap(ra, GrownRect(b, dw, dh))) << a.name << " and " << b.name;
      }
    }
    EXPECT_EQ(GrownRect(*FindControl("选择夹1"), dw, dh), (ControlRect{0, -3, 688 + dw, 358 + dh}));
  }
}

TEST(WindowTitleTest, NamesTheOpenFolderOrBook) {
  EXPECT_EQ(WindowTitleFor(Gbk("  ---拖进来---")), "Quillmere");
  EXPECT_EQ(WindowTitleFor({}), "Quillmere");
  EXPECT_EQ(WindowTitleFor("/a\r\n/b\r\n"), "Quillmere");
  EXPECT_EQ(WindowTitleFor(Gbk("/home/u/书/")), Gbk("书 (/home/u/书) - Quillmere"));
  EXPECT_EQ(WindowTitleFor("/b/x.chm"), "x.chm (/b/x.chm) - Quillmere");
  EXPECT_EQ(WindowTitleFor("/"), "/ (/) - Quillmere");
}

}  // namespace
}  // namespace qm
