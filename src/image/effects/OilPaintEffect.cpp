#include "image/effects/OilPaintEffect.h"

#include <algorithm>
#include <cstring>

#include "image/effects/ConvolutionEffect.h"

namespace clipvane {

OilPaintEffect::OilPaintEffect(int radius)
    // The upper bound only keeps the window size within int; such radii
    // cannot be expanded and leave the image unchanged.
    : radius(std::clamp(radius, 1, (1 << 30) - 1)), window(2 * this->radius + 1) {}

void OilPaintEffect::Begin(PixelImage& image) {
    // The expanded source and its grey levels; building the grey image
    // directly gives the indexes GreyLevelEffect would (the source is 24 or
    // 32 bits, so it needs no conversion first).
    source = std::make_unique<PixelImage>();
    ready = ExpandedCopy(image, radius, *source) && grey.Create(source->Width(), source->Height(), 8);
    if (ready) {
        const int step = source->Depth() / 8;
        for (int y = 0; y < source->Height(); ++y) {
            const uint8_t* s = source->Row(y);
            uint8_t* g = grey.Row(y);
            for (int x = 0; x < source->Width(); ++x, s += step) g[x] = uint8_t(GreyValue(s));
        }
    }
    // Counts of counts for the sliding path; windows too big for a table of
    // that size fall back to the plain count.
    const int64_t cells = int64_t(window) * window + 1;
    countCells = ready && cells <= (int64_t(1) << 22) ? size_t(cells) : 0;
}

void OilPaintEffect::ProcessPixel(PixelImage&, int x, int y, uint8_t* pixel) {
    if (!ready) return;
    int32_t count[256] = {};
    int best = 0;
    const uint8_t* chosen = nullptr;
    for (int i = 0; i < window; ++i) {
        const uint8_t* g = grey.Row(y + i) + x;
        for (int j = 0; j < window; ++j) {
            const int k = g[j];
            if (++count[k] > best) {
                best = count[k];
                chosen = source->PixelAddress(x + j, y + i);
            }
        }
    }
    std::memcpy(pixel, chosen, 3);
}

void OilPaintEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (!ready || width <= 0) return;
    if (countCells == 0) {
        ImageEffect::ProcessRow(image, y, row, width);
        return;
    }
    // The winning level has the largest count M; it reached M at its last
    // occurrence in the window, and among levels with count M the one whose
    // last occurrence comes first wins. Scanning the window backwards, that
    // is the last such level to be met, and the pixel copied is where it is
    // met. Counts of counts keep M up to date as the window slides.
    const int w = window;
    const int step = image.Depth() / 8;
    int32_t hist[256] = {};
    std::vector<int32_t> countOfCounts(countCells, 0);
    int32_t* cc = countOfCounts.data();
    uint32_t seen[256] = {};
    uint32_t stamp = 0;
    cc[0] = 256;
    int top = 0;
    auto add = [&](int k) {
        --cc[hist[k]];
        ++cc[++hist[k]];
        if (hist[k] > top) top = hist[k];
    };
    auto remove = [&](int k) {
        --cc[hist[k]];
        ++cc[--hist[k]];
        if (cc[top] == 0) --top;
    };
    std::vector<const uint8_t*> greyRows(static_cast<size_t>(w));
    for (int i = 0; i < w; ++i) greyRows[size_t(i)] = grey.Row(y + i);
    for (int i = 0; i < w; ++i)
        for (int j = 0; j < w; ++j) add(greyRows[size_t(i)][j]);

    for (int x = 0; x < width; ++x) {
        if (x > 0) {
            for (int i = 0; i < w; ++i) remove(greyRows[size_t(i)][x - 1]);
            for (int i = 0; i < w; ++i) add(greyRows[size_t(i)][x + w - 1]);
        }
        if (++stamp == 0) {
            std::fill(std::begin(seen), std::end(seen), 0u);
            stamp = 1;
        }
        int need = cc[top];
        int wi = 0, wj = 0;
        for (int i = w - 1; i >= 0 && need > 0; --i) {
            const uint8_t* g = greyRows[size_t(i)] + x;
            for (int j = w - 1; j >= 0; --j) {
                const int k = g[j];
                if (hist[k] == top && seen[k] != stamp) {
                    seen[k] = stamp;
                    if (--need == 0) {
                        wi = i;
                        wj = j;
                        break;
                    }
                }
            }
        }
        std::memcpy(row + size_t(x) * step, source->PixelAddress(x + wj, y + wi), 3);
    }
}

}  // namespace clipvane
