#include "platform/PixelCopy.h"

#include <cstring>

#include "image/PixelImage.h"

namespace cv {

void CopyXRowsTo24(const uint8_t* src, size_t srcStride, int width, int height, PixelImage& image, int x, int y) {
    if (width <= 0 || height <= 0) return;
    for (int r = 0; r < height; ++r) {
        const uint8_t* s = src + size_t(r) * srcStride;
        uint8_t* d = image.PixelAddress(x, y + r);
        // Four-byte stores that overlap by one byte vectorise well; the last
        // pixel is written with three so nothing past the row is touched.
        int i = 0;
        for (; i + 1 < width; ++i, s += 4, d += 3) std::memcpy(d, s, 4);
        std::memcpy(d, s, 3);
    }
}

bool CropImage(const PixelImage& source, const Rect& rect, PixelImage& out) {
    if (rect.IsEmpty() || source.IsEmpty() || source.Depth() < 24) return false;
    PixelImage result;
    if (!result.Create(rect.Width(), rect.Height(), source.Depth())) return false;
    const Rect inside = rect.Intersected(Rect{0, 0, source.Width(), source.Height()});
    if (!inside.IsEmpty()) {
        const size_t bytes = size_t(inside.Width()) * size_t(source.Depth() / 8);
        for (int y = inside.top; y < inside.bottom; ++y) {
            std::memcpy(result.PixelAddress(inside.left - rect.left, y - rect.top), source.PixelAddress(inside.left, y),
                        bytes);
        }
    }
    out = std::move(result);
    return true;
}

}  // namespace cv
