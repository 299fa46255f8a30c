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
