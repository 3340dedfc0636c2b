#include "editor/render/BlendImage.h"

#include <algorithm>

namespace cv {

void BlendImage(PixelImage& destination, const PixelImage& source, int x, int y, int strength) {
    BlendImageClipped(destination, source, x, y, strength, Rect{0, 0, destination.Width(), destination.Height()});
}

void BlendImageClipped(PixelImage& destination, const PixelImage& source, int x, int y, int strength,
                       const Rect& clip) {
    if (destination.Depth() != 32 || source.Depth() != 32) return;
    if (destination.IsEmpty() || source.IsEmpty()) return;
    const Rect area = Rect{0, 0, destination.Width(), destination.Height()}
                          .Intersected(Rect{x, y, x + source.Width(), y + source.Height()})
                          .Intersected(clip);
    if (area.IsEmpty()) return;
    strength = std::clamp(strength, 0, 100);

    // Effective alpha of every source alpha value, built once.
    uint8_t alphaOf[256];
    for (unsigned v = 0; v < 256; ++v) alphaOf[v] = uint8_t(strength == 100 ? v : unsigned(strength) * v / 100);

    for (int py = area.top; py < area.bottom; ++py) {
        uint8_t* d = destination.Row(py) + size_t(area.left) * 4;
        const uint8_t* q = source.Row(py - y) + size_t(area.left - x) * 4;
        for (int px = area.left; px < area.right; ++px, d += 4, q += 4) BlendPixel(d, q, alphaOf[q[3]]);
    }
}

}  // namespace cv
