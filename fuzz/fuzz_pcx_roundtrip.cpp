// PCX round trip: an image built from the input is encoded by the program's
// PCX writer and decoded again by the program's PCX reader and by FreeImage's
// (in this process: the file is our own); the pixels must come back
// unchanged. The raw input also goes through the program's reader.
#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imagefile/Pcx.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "PCX round trip: %s\n", what);
        std::abort();
    }
}

}  // namespace

// Compares a decoded image with the one that was encoded.
void CheckSame(const clipvane::PixelImage& image, const clipvane::PixelImage& expected,
               const clipvane::PixelImage& back) {
    Check(back.Width() == image.Width() && back.Height() == image.Height(), "own reader: size");
    const bool indexed = image.Depth() <= 8;
    Check(back.Depth() == (indexed ? 8 : 24), "own reader: depth");
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            if (indexed) {
                Check(back.GetPixel(x, y) == image.GetPixel(x, y), "own reader: index");
                const clipvane::RgbQuad a = back.Palette()[back.GetPixel(x, y)];
                const clipvane::RgbQuad b = image.Palette()[image.GetPixel(x, y)];
                Check(a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue,
                      "own reader: palette");
            } else {
                Check(std::memcmp(back.PixelAddress(x, y), expected.PixelAddress(x, y), 3) == 0, "own reader: colour");
            }
        }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::vector<uint8_t> copy(data, data + size);
        clipvane::PixelImage any;
        clipvane::DecodePcx(copy.data(), copy.size(), any);
    }
    if (size < 4) return 0;
    static const int kDepths[] = {1, 4, 8, 16, 24, 32};
    const int width = 1 + data[0] % 64;
    const int height = 1 + data[1] % 32;
    const int depth = kDepths[data[2] % 6];
    data += 3;
    size -= 3;

    clipvane::PixelImage image;
    if (!image.Create(width, height, depth)) return 0;
    // Pixels (and, for palette images, the palette) from the input, repeated.
    size_t at = 0;
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < image.Stride(); ++i) image.Row(y)[i] = data[at++ % size];
    if (depth <= 8)
        for (int i = 0; i < (1 << depth); ++i) {
            const clipvane::RgbQuad q{data[at++ % size], data[at++ % size], data[at++ % size], 0};
            image.SetPalette(i, 1, &q);
        }

    std::vector<uint8_t> file = clipvane::EncodePcx(image);
    Check(!file.empty(), "encoder refused a valid image");
    clipvane::PixelImage expected(image);
    if (depth > 8) expected.ConvertTo(24);
    clipvane::PixelImage back;
    Check(clipvane::DecodePcx(file.data(), file.size(), back) == clipvane::PcxResult::kDecoded, "own reader refused");
    CheckSame(image, expected, back);

    // FreeImage refuses images one pixel wide or tall (its own limit).
    if (width < 2 || height < 2) return 0;

    FIMEMORY* memory = FreeImage_OpenMemory(file.data(), DWORD(file.size()));
    FIBITMAP* dib = FreeImage_LoadFromMemory(FIF_PCX, memory, 0);
    Check(dib != nullptr, "FreeImage cannot read the file");
    Check(int(FreeImage_GetWidth(dib)) == width && int(FreeImage_GetHeight(dib)) == height, "size");

    const bool indexed = depth <= 8;
    Check(int(FreeImage_GetBPP(dib)) == (indexed ? 8 : 24), "depth");
    const RGBQUAD* pal = FreeImage_GetPalette(dib);
    for (int y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(dib, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            if (indexed) {
                const uint32_t index = image.GetPixel(x, y);
                Check(row[x] == index, "index");
                const clipvane::RgbQuad want = image.Palette()[index];
                Check(pal[index].rgbRed == want.rgbRed && pal[index].rgbGreen == want.rgbGreen &&
                          pal[index].rgbBlue == want.rgbBlue,
                      "palette");
            } else {
                Check(std::memcmp(row + 3 * x, expected.PixelAddress(x, y), 3) == 0, "colour");
            }
        }
    }
    FreeImage_Unload(dib);
    FreeImage_CloseMemory(memory);
    return 0;
}
