// The images carried in the program: right format, size and colours, and
// complete files (a GIF ends with its trailer, a JPEG with EOI).

#include "core/page_images.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qm {
namespace {

struct GifInfo {
  int width = 0, height = 0, colours = 0;
  std::vector<std::uint32_t> palette;
};

int Le16(const std::string& b, std::size_t i) {
  return static_cast<unsigned char>(b[i]) | (static_cast<unsigned char>(b[i + 1]) << 8);
}

GifInfo ReadGifHeader(const ByteSet& image) {
  const std::string& b = image.bytes;
  GifInfo info;
  if (b.size() < 13 || b.compare(0, 6, "GIF89a") != 0) return info;
  info.width = Le16(b, 6);
  info.height = Le16(b, 8);
  auto packed = static_cast<unsigned char>(b[10]);
  if (!(packed & 0x80)) return info;
  info.colours = 1 << ((packed & 7) + 1);
  for (int i = 0; i < info.colours; ++i) {
    std::size_t at = 13 + 3 * i;
    info.palette.push_back((static_cast<unsigned char>(b[at]) << 16) | (static_cast<unsigned char>(b[at + 1]) << 8) |
                           static_cast<unsigned char>(b[at + 2]));
  }
  return info;
}

TEST(PageImages, GifsHaveTheirSizesAndColours) {
  GifInfo divider = ReadGifHeader(DividerImage());
  EXPECT_EQ(divider.width, 600);
  EXPECT_EQ(divider.height, 16);
  EXPECT_EQ(divider.colours, 32);

  GifInfo bullet = ReadGifHeader(BulletImage());
  EXPECT_EQ(bullet.width, 17);
  EXPECT_EQ(bullet.height, 14);
  EXPECT_EQ(bullet.palette, (std::vector<std::uint32_t>{0xFCFEFC, 0x0C365C}));

  GifInfo tile = ReadGifHeader(PaleTileImage());
  EXPECT_EQ(tile.width, 45);
  EXPECT_EQ(tile.height, 45);
  EXPECT_EQ(tile.palette, (std::vector<std::uint32_t>{0xD2F6D5, 0xF0FFF2}));

  for (const ByteSet* gif : {&DividerImage(), &BulletImage(), &PaleTileImage()}) {
    EXPECT_EQ(gif->bytes.back(), ';');
  }
}

TEST(PageImages, FilesHaveTheSizesThePagesWereMadeWith) {
  EXPECT_EQ(DividerImage().Length(), 2606);
  EXPECT_EQ(PaperImage().Length(), 2090);
  EXPECT_EQ(BulletImage().Length(), 111);
  EXPECT_EQ(PaleTileImage().Length(), 136);
}

TEST(PageImages, PaperIsABaselineJfifJpeg) {
  const std::string& b = PaperImage().bytes;
  ASSERT_GT(b.size(), 100u);
  EXPECT_EQ(b.compare(0, 2, "\xFF\xD8"), 0);
  EXPECT_EQ(b.compare(6, 7, std::string("JFIF\0\x01\x00", 7)), 0);  // JFIF 1.00
  EXPECT_EQ(b.compare(b.size() - 2, 2, "\xFF\xD9"), 0);
  // Walk the marker segments up to the frame header.
  std::size_t at = 2;
  int frame_marker = 0;
  while (at + 4 <= b.size() && static_cast<unsigned char>(b[at]) == 0xFF) {
    int marker = static_cast<unsigned char>(b[at + 1]);
    int length = (static_cast<unsigned char>(b[at + 2]) << 8) | static_cast<unsigned char>(b[at + 3]);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      frame_marker = marker;
      EXPECT_EQ(static_cast<unsigned char>(b[at + 4]), 8);  // precision
      EXPECT_EQ((static_cast<unsigned char>(b[at + 5]) << 8) | static_cast<unsigned char>(b[at + 6]), 64);
      EXPECT_EQ((static_cast<unsigned char>(b[at + 7]) << 8) | static_cast<unsigned char>(b[at + 8]), 64);
      EXPECT_EQ(static_cast<unsigned char>(b[at + 9]), 3);  // components
      break;
    }
    at += 2 + length;
  }
  EXPECT_EQ(frame_marker, 0xC0);  // baseline
}

}  // namespace
}  // namespace qm
