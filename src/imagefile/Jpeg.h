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

// Decodes a JPEG file held in memory into `image` (left as it was on
// failure): 8-bit with a grey palette for grey files, else 24-bit (CMYK and
// YCCK files as Adobe's writers store them, inverted). The size is checked
// against the pixel limit before anything is allocated; progressive files of
// more than 500 scans are refused.
bool DecodeJpeg(const uint8_t* bytes, size_t size, PixelImage& image);
// The same, reading the open file `fd` from its start in blocks.
bool DecodeJpegFile(int fd, PixelImage& image);

}  // namespace clipvane
