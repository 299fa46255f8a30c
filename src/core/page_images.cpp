#include "core/page_images.h"

#include "core/page_image_data.h"

namespace qm {
namespace {

ByteSet FromArray(const unsigned char* data, std::size_t size) {
  return ByteSet(std::string(reinterpret_cast<const char*>(data), size));
}

}  // namespace

const ByteSet& DividerImage() {
  static const ByteSet kImage = FromArray(image_data::kN02Gif, image_data::kN02GifSize);
  return kImage;
}

const ByteSet& PaperImage() {
  static const ByteSet kImage = FromArray(image_data::kPaper10Jpg, image_data::kPaper10JpgSize);
  return kImage;
}

const ByteSet& BulletImage() {
  static const ByteSet kImage = FromArray(image_data::kIconGif, image_data::kIconGifSize);
  return kImage;
}

const ByteSet& PaleTileImage() {
  static const ByteSet kImage = FromArray(image_data::kLeftBgGif, image_data::kLeftBgGifSize);
  return kImage;
}

}  // namespace qm
