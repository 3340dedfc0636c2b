#include "editor/view/ViewState.h"

#include <cstring>

namespace clipvane {

PixelImage DarkenedCopy(const PixelImage& image) {
    PixelImage out(image);
    if (out.IsEmpty()) return out;
    const int depth = out.Depth();
    if (depth != 24 && depth != 32) return out;
    const int step = depth / 8;
    for (int y = 0; y < out.Height(); ++y) {
        uint8_t* p = out.Row(y);
        for (int x = 0; x < out.Width(); ++x, p += step) {
            p[0] >>= 1;
            p[1] >>= 1;
            p[2] >>= 1;
        }
    }
    return out;
}

bool CopyRegion(const PixelImage& source, PixelImage* destination, const Rect& rect) {
    if (source.IsEmpty() || !destination || destination == &source || source.Depth() < 8) return false;
    const Rect r = rect.Intersected(Rect{0, 0, source.Width(), source.Height()});
    if (r.IsEmpty()) return false;
    PixelImage out;
    if (!out.Create(r.Width(), r.Height(), source.Depth())) return false;
    const size_t bytes = size_t(source.Depth()) * size_t(r.Width()) / 8;
    for (int y = 0; y < r.Height(); ++y)
        std::memcpy(out.Row(y), source.PixelAddress(r.left, r.top + y), bytes);
    if (source.Depth() <= 8) out.CopyPalette(source);
    out.originX = r.left;
    out.originY = r.top;
    *destination = std::move(out);
    return true;
}

}  // namespace clipvane
