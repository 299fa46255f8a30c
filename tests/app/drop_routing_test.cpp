#include "app/drop_routing.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(DropAreasTest, TheInnermostRegisteredAreaReceivesTheDrop) {
  DropAreas areas;
  areas.Register("拖放对象1", "选择夹1");
  areas.Register("拖放对象2", "编辑框1");
  EXPECT_EQ(areas.TargetFor({"编辑框1", "CHM制作", "选择夹1"}), "拖放对象2");
  EXPECT_EQ(areas.TargetFor({"qt_scrollarea_viewport", "编辑框11", "分组框2", "网页制作", "选择夹1"}), "拖放对象1");
  EXPECT_EQ(areas.TargetFor({"树型框1", "CHM制作", "选择夹1"}), "拖放对象1");
  EXPECT_EQ(areas.TargetFor({"MainWindow"}), "");
  EXPECT_EQ(areas.TargetFor({}), "");
}

TEST(DropAreasTest, ADropTargetHasOneAreaAtATime) {
  DropAreas areas;
  areas.Register("拖放对象1", "选择夹1");
  areas.Register("拖放对象1", "编辑框21");
  EXPECT_EQ(areas.AreaOf("拖放对象1"), "编辑框21");
  EXPECT_EQ(areas.TargetFor({"选择夹1"}), "");
}

TEST(DropPlanTest, ADropLandsWhereItIsDroppedOrSaysWhyNot) {
  DropAreas areas;
  areas.Register("拖放对象1", "选择夹1");
  areas.Register("拖放对象2", "编辑框1");
  const std::vector<std::string> on_book_box = {"编辑框21", "分组框2", "网页制作", "qt_tabwidget_stackedwidget",
                                                "选择夹1"};
  const std::vector<std::string> on_order_list = {"qt_scrollarea_viewport", "编辑框11", "分组框2", "网页制作",
                                                  "选择夹1"};
  // On a tool's folder box: that tool, whichever is selected.
  for (bool selected : {false, true}) {
    DropPlan plan = PlanDrop(areas, on_book_box, true, selected);
    EXPECT_EQ(plan.target, "拖放对象1");
    EXPECT_EQ(plan.radio, "单选框TXT2HTMb");
    EXPECT_EQ(plan.refusal, "");
  }
  EXPECT_EQ(PlanDrop(areas, {"编辑框精简网页", "分组框7", "网页制作", "选择夹1"}, true, false).radio, "单选框精简网页");
  // Elsewhere on the page: the selected tool; without one the drop still
  // runs (it clears the order list) and says why nothing else happened.
  DropPlan elsewhere = PlanDrop(areas, on_order_list, true, true);
  EXPECT_EQ(elsewhere.target, "拖放对象1");
  EXPECT_EQ(elsewhere.radio, "");
  EXPECT_EQ(elsewhere.refusal, "");
  DropPlan no_tool = PlanDrop(areas, on_order_list, true, false);
  EXPECT_EQ(no_tool.target, "拖放对象1");
  EXPECT_NE(no_tool.refusal.find("没有选择工具"), std::string_view::npos);
  // The CHM tab's folder box is a drop area of its own.
  DropPlan chm = PlanDrop(areas, {"编辑框1", "CHM制作", "选择夹1"}, true, false);
  EXPECT_EQ(chm.target, "拖放对象2");
  EXPECT_EQ(chm.radio, "");
  EXPECT_EQ(chm.refusal, "");
  // Nothing local, or no area: nobody takes it, and the reason is given.
  for (const DropPlan& refused :
       {PlanDrop(areas, on_book_box, false, true), PlanDrop(areas, {"MainWindow"}, true, true)}) {
    EXPECT_EQ(refused.target, "");
    EXPECT_NE(refused.refusal, "");
  }
}

TEST(DroppedTextTest, OnePathAloneSeveralEachFollowedByCrLf) {
  EXPECT_EQ(JoinDroppedPaths({"/books/a"}), "/books/a");
  EXPECT_EQ(JoinDroppedPaths({"/a", "/b b", "/c"}), "/a\r\n/b b\r\n/c\r\n");
}

TEST(UriListTest, LocalFilesArePercentDecodedToRawBytes) {
  std::string list =
      "# comment\r\n"
      "file:///home/u/%E4%B9%A6/a%20b.txt\r\n"
      "file://localhost/srv/x%25y\r\n"
      "http://example.com/page\r\n"
      "file://otherhost/share/z\r\n"
      "file:///bad%FFbyte\n"
      "\r\n";
  EXPECT_EQ(LocalPathsFromUriList(list), (std::vector<std::string>{"/home/u/书/a b.txt", "/srv/x%y",
                                                                   "/bad\xFF"
                                                                   "byte"}));
}

TEST(UriListTest, PathsSurviveTheRoundTrip) {
  std::vector<std::string> paths = {"/a b/书#1?.txt", "/x%41\xFF", "relative/dir", "/plain"};
  EXPECT_EQ(LocalPathsFromUriList(UriListFromLocalPaths(paths)), paths);
  EXPECT_EQ(UriListFromLocalPaths({"/a b"}), "file:///a%20b\r\n");
}

}  // namespace
}  // namespace qm
