#pragma once
// JPEG encoding with libjpeg(-turbo) at the library's default settings
// (quality 75, 4:2:0 chroma subsampling). 24- and 32-bit rows are handed to
// the encoder as they are stored (blue, green, red, [alpha ignored]); other
// depths are converted to 24 bits first.
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

// The whole file; empty when the image is empty or the encoder fails.
std::vector<uint8_t> EncodeJpeg(const PixelImage& image);

}  // namespace clipvane
