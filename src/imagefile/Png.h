#pragma once
// PNG encoding with libdeflate: palette images (1, 4, 8 bits) as indexed
// PNG, 24- and 32-bit as RGB, 16-bit converted to RGB first. The fourth byte
// of a 32-bit image is not written: the program never shows it as alpha (a
// new image keeps it 0), so the file looks as the image does on screen.
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

// The whole file; empty when the image is empty or cannot be encoded.
std::vector<uint8_t> EncodePng(const PixelImage& image);
// The same, but a 32-bit image is written as RGBA with its fourth byte as
// straight alpha (for documents whose alpha is real, AlphaFiles.h).
std::vector<uint8_t> EncodePngWithAlpha(const PixelImage& image);
// EncodePng or EncodePngWithAlpha.
std::vector<uint8_t> EncodePngImage(const PixelImage& image, bool withAlpha);

}  // namespace clipvane
