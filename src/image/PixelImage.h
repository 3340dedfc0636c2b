#pragma once
// The one raster type of the program: a bottom-up device-independent bitmap
// (rows padded to four bytes) with a row table that makes row 0 the top row.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/Bitmap.h"

namespace clipvane {

class ImageEffect;
class ProgressReporter;

class PixelImage {
public:
    PixelImage();
    PixelImage(const PixelImage& other);
    PixelImage(PixelImage&& other) noexcept;
    PixelImage& operator=(const PixelImage& other);
    PixelImage& operator=(PixelImage&& other) noexcept;
    virtual ~PixelImage();

    // Creation. Both fail (false, image unchanged) on bad arguments, a size
    // past MaxPixelCount() (PixelLimit.h), 16-bit masks that ValidMasks16
    // refuses, or when the system refuses the storage.
    bool Create(int width, int height, int depth);
    // `header` is followed in memory by three 32-bit masks (red, green, blue)
    // when its compression is bit-fields; `masks` may point at them.
    bool CreateFromHeader(const BitmapInfoHeader& header, const uint32_t* masks = nullptr);
    void Destroy();
    // Deep copy; an empty source or self leaves this image as it was.
    void Copy(const PixelImage& other);

    bool IsEmpty() const { return bits_ == nullptr; }
    int Width() const { return info_.biWidth; }
    int Height() const { return info_.biHeight; }
    int Depth() const { return info_.biBitCount; }
    int Stride() const { return stride_; }
    const BitmapInfoHeader& Info() const { return info_; }
    // Size in bytes of the pixel storage (height x stride).
    size_t ByteCount() const { return size_t(stride_) * size_t(info_.biHeight); }

    uint8_t* Bits() { return bits_; }
    const uint8_t* Bits() const { return bits_; }
    uint8_t* Row(int y) { return rows_[y]; }
    const uint8_t* Row(int y) const { return rows_[y]; }
    // Address of pixel (x, y); at 1 and 4 bits the byte that holds it. No bounds check.
    uint8_t* PixelAddress(int x, int y) { return rows_[y] + ByteOffset(x); }
    const uint8_t* PixelAddress(int x, int y) const { return rows_[y] + ByteOffset(x); }
    // 0 outside the image; 0xRRGGBB at 24 bits, raw 0xAARRGGBB at 32 bits,
    // the raw word at 16 bits, the palette index below that.
    uint32_t GetPixel(int x, int y) const;

    uint32_t RedMask() const { return redMask_; }
    uint32_t GreenMask() const { return greenMask_; }
    uint32_t BlueMask() const { return blueMask_; }

    // Palette (depths up to 8 only).
    bool GetPalette(int first, int count, RgbQuad* out) const;
    bool SetPalette(int first, int count, const RgbQuad* in);
    void CopyPalette(const PixelImage& other);
    void SetGreyPalette();
    const std::vector<RgbQuad>& Palette() const { return palette_; }

    void SetAlpha(uint8_t value);
    void ConvertTo(int depth);
    bool Paste(const PixelImage& source, int x, int y);
    void FillRect(const Rect& rect, const uint8_t* pixel);
    void Expand(bool replicate, int left, int top, int right, int bottom);
    void Resize(int width, int height);
    void ResizeSmooth(int width, int height, ProgressReporter* progress = nullptr);

    // The 40-byte header followed by the palette (depths up to 8) or the three masks.
    std::vector<uint8_t> BuildBitmapInfo() const;

    // Serialised form: header, three masks, pixel rows as stored, origin.
    size_t SerializedSize() const { return ByteCount() + 60; }
    // Save writes SerializedSize() bytes into `buffer` (which holds `size`
    // bytes) and returns that count, or 0 when the buffer is too small or the
    // image empty. Load reads an image back and returns the bytes used, or 0
    // (image unchanged) when the bytes do not hold a whole valid image.
    size_t Serialize(bool save, uint8_t* buffer, size_t size);

    void ApplyEffect(ImageEffect& effect, ProgressReporter* progress = nullptr);

    int originX = 0;
    int originY = 0;
    int frameDelay = 0;

private:
    size_t ByteOffset(int x) const {
        const int d = info_.biBitCount;
        return d == 32 ? size_t(x) * 4 : d == 8 ? size_t(x) : size_t(x) * d / 8;
    }
    // Create at another size with the depth, compression and masks of `like`:
    // a 5-6-5 image stays 5-6-5 instead of falling back to the 5-5-5 masks.
    bool CreateShaped(int width, int height, const PixelImage& like);
    // CreateFromHeader; `populate` faults the storage in at once, for a
    // caller that writes all of it right away.
    bool CreateStorage(const BitmapInfoHeader& header, const uint32_t* masks, bool populate);
    // ConvertTo between 24 and 32 bits within the image's own storage; false
    // (image unchanged) for other depths or when the storage cannot grow.
    bool ConvertInPlace(int depth);
    void Release();
    void TakeFrom(PixelImage& other) noexcept;

    BitmapInfoHeader info_{};
    uint8_t* bits_ = nullptr;
    size_t mapped_ = 0;
    int stride_ = 0;
    std::unique_ptr<uint8_t*[]> rows_;
    uint32_t redMask_ = 0x7C00;
    uint32_t greenMask_ = 0x03E0;
    uint32_t blueMask_ = 0x001F;
    std::vector<RgbQuad> palette_;
};

// Bilinear sample of four pixels (top-left, top-right, bottom-left,
// bottom-right) at fractions fx, fy; returns blue, green, red, alpha.
void SampleBilinear(double fx, double fy, bool alpha, const uint8_t* p00, const uint8_t* p10, const uint8_t* p01,
                    const uint8_t* p11, uint8_t out[4]);

// True when three 16-bit colour masks can describe pixels: none empty, none
// reaching past bit 15, no bit in two of them.
bool ValidMasks16(const uint32_t masks[3]);

// Bytes per stored row for a width and depth: rows are padded to four bytes.
inline int64_t StrideFor(int64_t width, int depth) { return ((width * depth + 31) / 32) * 4; }

}  // namespace clipvane
