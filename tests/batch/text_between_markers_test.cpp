// The cut of the page simplifier: which stretch of a page is kept.
#include "batch/text_between_markers.h"

#include <gtest/gtest.h>

#include "runtime/encoding.h"

namespace qm {
namespace {

TEST(TextBetweenMarkers, KeepsTheStretchAfterTheFirstFrontMarker) {
  EXPECT_EQ(TextBetweenMarkers("<b>x</b><body>keep</body>", "<body>", "</body>"), "keep");
  // Only the first front marker counts; the back marker is the first one
  // after it, even when another front marker lies between.
  EXPECT_EQ(TextBetweenMarkers("[a[b]c]", "[", "]"), "a[b");
  // A back marker before the front marker is not taken.
  EXPECT_EQ(TextBetweenMarkers("}x{y}", "{", "}"), "y");
}

TEST(TextBetweenMarkers, MarkersMatchInEitherCase) {
  EXPECT_EQ(TextBetweenMarkers("<Body>Text</bOdY>", "<BODY>", "</BODY>"), "Text");
}

TEST(TextBetweenMarkers, EmptyMarkers) {
  // Both empty: the front marker matches at 1, the back marker at 1 again.
  EXPECT_EQ(TextBetweenMarkers("page", "", ""), "");
  // Empty front: everything before the first back marker.
  EXPECT_EQ(TextBetweenMarkers("head<hr>tail<hr>", "", "<HR>"), "head");
  // Empty back: always empty.
  EXPECT_EQ(TextBetweenMarkers("a<p>b", "<p>", ""), "");
  EXPECT_EQ(TextBetweenMarkers("", "", "x"), "");
}

TEST(TextBetweenMarkers, MissingOrAdjacentMarkersGiveNothing) {
  EXPECT_EQ(TextBetweenMarkers("no markers here", "<body>", "</body>"), "");
  EXPECT_EQ(TextBetweenMarkers("<body>open end", "<body>", "</body>"), "");
  EXPECT_EQ(TextBetweenMarkers("<body></body>", "<body>", "</body>"), "");
  EXPECT_EQ(TextBetweenMarkers("text<body>", "<body>", "</body>"), "");
  // Overlapping markers: the back marker must begin after the front one.
  EXPECT_EQ(TextBetweenMarkers("abab", "ab", "ba"), "");
}

TEST(TextBetweenMarkers, MatchesOnlyAtCharacterStarts) {
  // 0xB0 0xA1 is one GBK character: its second byte never starts a marker.
  Text page = Gbk("前") +
              "\xB0\xA1"
              "X"
              "\xA1"
              "Y";
  EXPECT_EQ(TextBetweenMarkers(page, "\xA1X", "Y"), "");
  // A marker right after a lead byte is taken as that character's second
  // byte (as in a UTF-8 page scanned as GBK) and missed.
  EXPECT_EQ(TextBetweenMarkers(page, "X", "Y"), "");
  EXPECT_EQ(TextBetweenMarkers("X\xB0"
                               "YY",
                               "x", "y"),
            "\xB0Y");
  Text chinese = Gbk("正文开始中间正文结束");
  EXPECT_EQ(TextBetweenMarkers(chinese, Gbk("开始"), Gbk("正文")), Gbk("中间"));
}

}  // namespace
}  // namespace qm
