#pragma once
// Pixel moves between the server's image format and PixelImages, and
// rectangles cut out of an image with black where they leave it.
#include <cstddef>
#include <cstdint>

#include "image/Bitmap.h"

namespace clipvane {

class PixelImage;

// Writes `width` x `height` pixels of 32-bit blue-green-red-x rows (top row
// first, `srcStride` bytes apart) into the 24-bit `image` at (x, y), where
// x, y and the block lie inside the image.
void CopyXRowsTo24(const uint8_t* src, size_t srcStride, int width, int height, PixelImage& image, int x, int y);

// Cuts `rect` out of `source` (24 or 32 bits) into `out`, keeping the depth
// and the rectangle's full size; parts outside `source` are black. False for
// an empty rectangle, an empty source or when storage cannot be had.
bool CropImage(const PixelImage& source, const Rect& rect, PixelImage& out);

}  // namespace clipvane
