#pragma once
// PNG encoding with libdeflate: palette images (1, 4, 8 bits) as indexed
// PNG, 24-bit as RGB, 32-bit as RGBA, 16-bit converted to RGB first.
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

namespace cv {

// The whole file; empty when the image is empty or cannot be encoded.
std::vector<uint8_t> EncodePng(const PixelImage& image);

}  // namespace cv
