#include "document/BlendImage.h"

#include <algorithm>
#include <cstring>

namespace clipvane {

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

std::vector<AlphaRun> FindAlphaRuns(const PixelImage& image) {
    std::vector<AlphaRun> runs;
    if (image.Depth() != 32 || image.IsEmpty()) return runs;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Row(y);
        int x = 0;
        const int w = image.Width();
        while (x < w) {
            while (x < w && row[size_t(x) * 4 + 3] == 0) ++x;
            if (x == w) break;
            const int start = x;
            while (x < w && row[size_t(x) * 4 + 3] != 0) ++x;
            runs.push_back(AlphaRun{y, start, x});
        }
    }
    return runs;
}

void BlendRunsOntoOpaque(PixelImage& destination, const PixelImage& source, const std::vector<AlphaRun>& runs, int x,
                         int y, int strength, const Rect& clip) {
    if (destination.Depth() != 32 || source.Depth() != 32) return;
    if (destination.IsEmpty() || source.IsEmpty()) return;
    const Rect area = Rect{0, 0, destination.Width(), destination.Height()}
                          .Intersected(Rect{x, y, x + source.Width(), y + source.Height()})
                          .Intersected(clip);
    if (area.IsEmpty()) return;
    strength = std::clamp(strength, 0, 100);
    if (strength == 0) return;  // every a is 0: opaque pixels stay
    uint8_t alphaOf[256];
    for (unsigned v = 0; v < 256; ++v) alphaOf[v] = uint8_t(strength == 100 ? v : unsigned(strength) * v / 100);

    // Runs are ordered by row: start at the first row inside the area.
    auto run =
        std::lower_bound(runs.begin(), runs.end(), area.top - y, [](const AlphaRun& r, int row) { return r.y < row; });
    for (; run != runs.end() && run->y + y < area.bottom; ++run) {
        const int x0 = std::max(run->x0 + x, area.left), x1 = std::min(run->x1 + x, area.right);
        if (x0 >= x1) continue;
        uint8_t* d = destination.Row(run->y + y) + size_t(x0) * 4;
        const uint8_t* q = source.Row(run->y) + size_t(x0 - x) * 4;
        for (int px = x0; px < x1; ++px, d += 4, q += 4) {
            uint32_t qv, dv;
            std::memcpy(&qv, q, 4);
            const uint32_t a = alphaOf[qv >> 24];
            if (a == 0) continue;
            if (a == 255) {
                dv = qv | 0xFF000000u;
            } else {
                // (q * a + d * (255 - a)) / 255 on blue and red together in
                // 16-bit lanes, then green; n / 255 is (n + 1 + (n >> 8)) >> 8
                // for every n up to 255 * 255.
                std::memcpy(&dv, d, 4);
                const uint32_t na = 255 - a;
                uint32_t rb = (qv & 0xFF00FFu) * a + (dv & 0xFF00FFu) * na;
                uint32_t g = (qv >> 8 & 0xFFu) * a + (dv >> 8 & 0xFFu) * na;
                rb = (rb + 0x00010001u + (rb >> 8 & 0x00FF00FFu)) >> 8 & 0x00FF00FFu;
                g = (g + 1 + (g >> 8)) >> 8;
                dv = 0xFF000000u | rb | g << 8;
            }
            std::memcpy(d, &dv, 4);
        }
    }
}

}  // namespace clipvane
