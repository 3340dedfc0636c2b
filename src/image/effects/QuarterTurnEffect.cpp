#include "image/effects/QuarterTurnEffect.h"

#include <algorithm>
#include <cstring>

namespace clipvane {

namespace {

constexpr int kTile = 32;

template <int kBytes>
inline void CopyPixel(uint8_t* d, const uint8_t* s) {
    std::memcpy(d, s, kBytes);
}

// Rows y0..y1-1 of the turned image, a kTile-wide band of columns at a time
// so that the source lines read stay in the cache.
template <int kBytes>
void TurnRows(PixelImage& image, const PixelImage& source, bool clockwise, int y0, int y1) {
    const int w = image.Width();
    const int H = source.Height(), W = source.Width();
    for (int x0 = 0; x0 < w; x0 += kTile) {
        const int x1 = std::min(x0 + kTile, w);
        for (int y = y0; y < y1; ++y) {
            uint8_t* d = image.Row(y) + size_t(x0) * kBytes;
            if (clockwise) {
                for (int x = x0; x < x1; ++x, d += kBytes)
                    CopyPixel<kBytes>(d, source.Row(H - 1 - x) + size_t(y) * kBytes);
            } else {
                const size_t column = size_t(W - 1 - y) * kBytes;
                for (int x = x0; x < x1; ++x, d += kBytes) CopyPixel<kBytes>(d, source.Row(x) + column);
            }
        }
    }
}

}  // namespace

void QuarterTurnEffect::Begin(PixelImage& image) {
    // The source is the image itself, moved rather than copied; the image is
    // then created anew at the turned size.
    const int W = image.Width(), H = image.Height(), depth = image.Depth();
    source = std::make_unique<PixelImage>(std::move(image));
    if (depth == 16) {
        // Keep the 16-bit layout: a plain re-creation would fall back to
        // 5-5-5 masks and misread 5-6-5 pixels.
        BitmapInfoHeader header{};
        header.biSize = 40;
        header.biWidth = H;
        header.biHeight = W;
        header.biPlanes = 1;
        header.biBitCount = 16;
        header.biCompression = source->Info().biCompression;
        const uint32_t masks[3] = {source->RedMask(), source->GreenMask(), source->BlueMask()};
        ready = image.CreateFromHeader(header, masks);
    } else {
        ready = image.Create(H, W, depth);
    }
    if (!ready) {
        image = std::move(*source);
        source.reset();
        return;
    }
    if (depth <= 8) image.CopyPalette(*source);
}

const uint8_t* QuarterTurnEffect::From(int x, int y) const {
    if (clockwise) return source->PixelAddress(y, source->Height() - 1 - x);
    return source->PixelAddress(source->Width() - 1 - y, x);
}

void QuarterTurnEffect::ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) {
    if (ready) std::memcpy(pixel, From(x, y), size_t(image.Depth() / 8));
}

void QuarterTurnEffect::ProcessRow(PixelImage& image, int y, uint8_t* row, int width) {
    if (!ready) return;
    // Bands of kTurnBand rows are turned when the first row of the band comes up.
    if (y % kTurnBand != 0) return;
    const int y1 = std::min(y + kTurnBand, image.Height());
    switch (image.Depth()) {
    case 32: TurnRows<4>(image, *source, clockwise, y, y1); break;
    case 24: TurnRows<3>(image, *source, clockwise, y, y1); break;
    case 16: TurnRows<2>(image, *source, clockwise, y, y1); break;
    case 8: TurnRows<1>(image, *source, clockwise, y, y1); break;
    default: ImageEffect::ProcessRow(image, y, row, width); break;
    }
}

}  // namespace clipvane
