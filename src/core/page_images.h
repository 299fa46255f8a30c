#pragma once
// The four small images that generated pages reference, carried in the
// program and written beside the pages under these file names.

#include <string_view>

#include "runtime/byte_set.h"

namespace qm {

inline constexpr std::string_view kDividerImageName = "N02.GIF";
inline constexpr std::string_view kPaperImageName = "PAPER10.JPG";
inline constexpr std::string_view kBulletImageName = "icon.gif";
inline constexpr std::string_view kPaleTileImageName = "leftbg.gif";

/// N02.GIF: GIF89a, 600 x 16, 32 colours, 2,606 bytes; the divider under a
/// book page's text.
const ByteSet& DividerImage();
/// PAPER10.JPG: baseline JFIF 1.00 JPEG, 64 x 64, three components, 2,090
/// bytes; a paper tile.
const ByteSet& PaperImage();
/// icon.gif: GIF89a, 17 x 14, #FCFEFC and #0C365C, 111 bytes; a
/// contents-list bullet.
const ByteSet& BulletImage();
/// leftbg.gif: GIF89a, 45 x 45, #D2F6D5 and #F0FFF2, 136 bytes; a framed
/// page's background tile.
const ByteSet& PaleTileImage();

}  // namespace qm
