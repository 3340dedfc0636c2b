#include "document/ImageBridge.h"

#include <cstring>

#include "image/PixelImage.h"

namespace clipvane {

QImage ToQImage(const PixelImage& image) {
    if (image.IsEmpty() || (image.Depth() != 24 && image.Depth() != 32)) return {};
    const int w = image.Width(), h = image.Height();
    QImage out(w, h, image.Depth() == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull()) return out;
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = image.Row(y);
        auto* d = reinterpret_cast<uint32_t*>(out.scanLine(y));
        if (image.Depth() == 32) {
            std::memcpy(d, s, size_t(w) * 4);  // both blue, green, red, alpha in memory
        } else {
            for (int x = 0; x < w; ++x, s += 3) d[x] = 0xff000000u | uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0];
        }
    }
    return out;
}

}  // namespace clipvane
