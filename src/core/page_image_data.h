#pragma once
// The bytes of the page images (generated into page_image_data.cpp by
// images/make_page_images.py). Use them through page_images.h.

#include <cstddef>

namespace qm::image_data {

extern const unsigned char kN02Gif[];
extern const std::size_t kN02GifSize;
extern const unsigned char kPaper10Jpg[];
extern const std::size_t kPaper10JpgSize;
extern const unsigned char kIconGif[];
extern const std::size_t kIconGifSize;
extern const unsigned char kLeftBgGif[];
extern const std::size_t kLeftBgGifSize;

}  // namespace qm::image_data
