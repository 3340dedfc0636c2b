#pragma once
// PCX (ZSoft, version 5) encoding: 24-bit images as three run-length coded
// colour planes, palette images as one 8-bit plane with the 256-colour
// palette after the pixels. Other depths are first converted: 1 and 4 bits to
// 8-bit indexes, 16 and 32 bits to 24-bit colour (alpha is dropped).
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

namespace cv {

// The whole file; empty for an empty image or one wider or taller than the
// format's 16-bit coordinates allow.
std::vector<uint8_t> EncodePcx(const PixelImage& image);

}  // namespace cv
