#include "image/PixelImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <system_error>
#include <vector>

#include "image/ImageEffect.h"
#include "image/PixelLimit.h"
#include "image/ProgressReporter.h"

namespace clipvane {

namespace {

bool ValidDepth(int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// Page-aligned, zero-filled anonymous memory; null when the system refuses.
// Pages are faulted in when first written, except for a copy that writes the
// whole storage at once (`populate`): a reader that fills only part of an
// image, or a refused one, costs no more memory than it wrote.
uint8_t* MapStorage(size_t bytes, bool populate) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | (populate && bytes >= (size_t(1) << 20) ? MAP_POPULATE : 0), -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
}

inline void CopyPixelBytes(uint8_t* d, const uint8_t* s, int bytes) {
    switch (bytes) {
    case 4: std::memcpy(d, s, 4); break;
    case 3: std::memcpy(d, s, 3); break;
    case 2: std::memcpy(d, s, 2); break;
    default: *d = *s; break;
    }
}

}  // namespace

PixelImage::PixelImage() = default;

PixelImage::PixelImage(const PixelImage& other) { Copy(other); }

PixelImage::PixelImage(PixelImage&& other) noexcept { TakeFrom(other); }

PixelImage& PixelImage::operator=(const PixelImage& other) {
    Copy(other);
    return *this;
}

PixelImage& PixelImage::operator=(PixelImage&& other) noexcept {
    if (this != &other) {
        Release();
        TakeFrom(other);
    }
    return *this;
}

PixelImage::~PixelImage() { Release(); }

void PixelImage::TakeFrom(PixelImage& other) noexcept {
    info_ = other.info_;
    bits_ = other.bits_;
    mapped_ = other.mapped_;
    stride_ = other.stride_;
    rows_ = std::move(other.rows_);
    redMask_ = other.redMask_;
    greenMask_ = other.greenMask_;
    blueMask_ = other.blueMask_;
    palette_ = std::move(other.palette_);
    originX = other.originX;
    originY = other.originY;
    frameDelay = other.frameDelay;
    other.bits_ = nullptr;
    other.mapped_ = 0;
    other.stride_ = 0;
    other.info_ = {};
    other.palette_.clear();
}

void PixelImage::Release() {
    if (bits_) munmap(bits_, mapped_);
    bits_ = nullptr;
    mapped_ = 0;
    stride_ = 0;
    rows_.reset();
    palette_.clear();
    palette_.shrink_to_fit();
}

void PixelImage::Destroy() {
    Release();
    info_ = {};
}

bool PixelImage::Create(int width, int height, int depth) {
    BitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(depth);
    h.biCompression = kBiRgb;
    if (!ValidDepth(depth)) return false;
    return CreateFromHeader(h);
}

bool PixelImage::CreateFromHeader(const BitmapInfoHeader& header, const uint32_t* masks) {
    return CreateStorage(header, masks, false);
}

bool PixelImage::CreateStorage(const BitmapInfoHeader& header, const uint32_t* masks, bool populate) {
    const int width = header.biWidth, height = header.biHeight, depth = header.biBitCount;
    if (width <= 0 || height <= 0) return false;
    if (header.biCompression != kBiRgb && header.biCompression != kBiBitfields) return false;
    if (!ValidDepth(depth)) return false;
    if (!PixelCountAllowed(width, height)) return false;
    uint32_t m[3] = {0x7C00, 0x03E0, 0x001F};
    const bool bitfields = depth == 16 && header.biCompression == kBiBitfields;
    if (bitfields) {
        if (masks) {
            std::memcpy(m, masks, sizeof m);
        } else {
            std::memcpy(m, reinterpret_cast<const uint8_t*>(&header) + sizeof header, sizeof m);
        }
        if (!ValidMasks16(m)) return false;
    }
    const int64_t stride = StrideFor(width, depth);
    if (stride > INT_MAX || uint64_t(stride) * uint64_t(height) > uint64_t(PTRDIFF_MAX) / 2) return false;
    const size_t bytes = size_t(stride) * size_t(height);

    // Allocate everything before touching the current image, so that a refusal
    // leaves it as it was.
    uint8_t* bits = MapStorage(bytes, populate);
    if (!bits) return false;
    std::unique_ptr<uint8_t*[]> rows(new (std::nothrow) uint8_t*[size_t(height)]);
    if (!rows) {
        munmap(bits, bytes);
        return false;
    }

    Release();
    info_ = {};
    info_.biSize = 40;
    info_.biWidth = width;
    info_.biHeight = height;
    info_.biPlanes = 1;
    info_.biBitCount = uint16_t(depth);
    info_.biXPelsPerMeter = header.biXPelsPerMeter;
    info_.biYPelsPerMeter = header.biYPelsPerMeter;
    info_.biCompression = depth == 16 ? header.biCompression : kBiRgb;
    redMask_ = m[0];
    greenMask_ = m[1];
    blueMask_ = m[2];
    bits_ = bits;
    mapped_ = bytes;
    stride_ = int(stride);
    rows_ = std::move(rows);
    uint8_t* row = bits_ + size_t(height - 1) * size_t(stride);
    for (int y = 0; y < height; ++y, row -= stride) rows_[y] = row;
    if (depth <= 8) {
        palette_.assign(size_t(1) << depth, RgbQuad{});
        SetGreyPalette();
    }
    return true;
}

bool PixelImage::CreateShaped(int width, int height, const PixelImage& like) {
    BitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(like.Depth());
    h.biCompression = like.info_.biCompression;
    const uint32_t masks[3] = {like.redMask_, like.greenMask_, like.blueMask_};
    return CreateFromHeader(h, masks);
}

void PixelImage::Copy(const PixelImage& other) {
    if (other.IsEmpty() || &other == this) return;
    BitmapInfoHeader h = other.info_;
    const uint32_t masks[3] = {other.redMask_, other.greenMask_, other.blueMask_};
    if (!CreateStorage(h, masks, true)) return;
    std::memcpy(bits_, other.bits_, ByteCount());
    if (Depth() <= 8) palette_ = other.palette_;
    frameDelay = other.frameDelay;
    originX = other.originX;
    originY = other.originY;
}

uint32_t PixelImage::GetPixel(int x, int y) const {
    if (IsEmpty() || x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    const uint8_t* p = PixelAddress(x, y);
    switch (Depth()) {
    case 1: return (*p >> (7 - (x % 8))) & 1;
    case 4: return (x % 2 == 0) ? (*p >> 4) : (*p & 0x0F);
    case 8: return *p;
    case 16: return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
    case 24: return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    default: return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    }
}

bool PixelImage::GetPalette(int first, int count, RgbQuad* out) const {
    if (IsEmpty() || Depth() > 8 || first < 0) return false;
    const int n = 1 << Depth();
    for (int i = 0; i < count && first + i < n; ++i) out[i] = palette_[size_t(first + i)];
    return true;
}

bool PixelImage::SetPalette(int first, int count, const RgbQuad* in) {
    if (IsEmpty() || Depth() > 8 || first < 0) return false;
    const int n = 1 << Depth();
    for (int i = 0; i < count && first + i < n; ++i) palette_[size_t(first + i)] = in[i];
    return true;
}

void PixelImage::CopyPalette(const PixelImage& other) {
    if (Depth() == other.Depth() && Depth() <= 8 && !IsEmpty() && !other.IsEmpty()) palette_ = other.palette_;
}

void PixelImage::SetGreyPalette() {
    if (Depth() > 8 || palette_.empty()) return;
    const int n = 1 << Depth();
    const int step = 255 / (n - 1);
    for (int i = 0; i < n; ++i) {
        const uint8_t v = uint8_t(step * i);
        palette_[size_t(i)] = RgbQuad{v, v, v, 0};
    }
}

void PixelImage::SetAlpha(uint8_t value) {
    if (IsEmpty() || Depth() != 32) return;
    const int w = Width();
    for (int y = 0; y < Height(); ++y) {
        uint8_t* p = rows_[y] + 3;
        for (int x = 0; x < w; ++x, p += 4) *p = value;
    }
}

bool PixelImage::Paste(const PixelImage& source, int x, int y) {
    if (IsEmpty() || source.IsEmpty() || Depth() != source.Depth() || Depth() < 8) return false;
    const Rect placed{x, y, x + source.Width(), y + source.Height()};
    const Rect r = Rect{0, 0, Width(), Height()}.Intersected(placed);
    if (r.IsEmpty()) return false;
    const size_t bytes = size_t(Depth()) * size_t(r.Width()) / 8;
    for (int row = r.top; row < r.bottom; ++row)
        std::memmove(PixelAddress(r.left, row), source.PixelAddress(r.left - x, row - y), bytes);
    return true;
}

void PixelImage::FillRect(const Rect& rect, const uint8_t* pixel) {
    if (IsEmpty() || Depth() < 8) return;
    const Rect r = Rect{0, 0, Width(), Height()}.Intersected(rect);
    if (r.IsEmpty()) return;
    const int bytes = Depth() / 8;
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* d = PixelAddress(r.left, y);
        for (int x = r.left; x < r.right; ++x, d += bytes) CopyPixelBytes(d, pixel, bytes);
    }
}

void PixelImage::Expand(bool replicate, int left, int top, int right, int bottom) {
    if (IsEmpty() || Depth() < 8 || left < 0 || top < 0 || right < 0 || bottom < 0) return;
    if (left == 0 && top == 0 && right == 0 && bottom == 0) return;
    const int64_t nw = int64_t(Width()) + left + right, nh = int64_t(Height()) + top + bottom;
    if (nw > INT_MAX || nh > INT_MAX) return;
    PixelImage s(std::move(*this));
    if (!CreateShaped(int(nw), int(nh), s)) {
        *this = std::move(s);
        return;
    }
    // A palette image keeps its colours rather than getting the grey ramp.
    if (s.Depth() <= 8) palette_ = s.palette_;
    originX = s.originX - left;
    originY = s.originY - top;
    frameDelay = s.frameDelay;
    Paste(s, left, top);
    if (!replicate) return;

    const int W = s.Width(), H = s.Height(), bpp = Depth() / 8;
    auto fill = [&](int l, int t, int r, int b, const uint8_t* px) { FillRect(Rect{l, t, r, b}, px); };
    fill(0, 0, left, top, s.PixelAddress(0, 0));
    fill(left + W, 0, left + W + right, top, s.PixelAddress(W - 1, 0));
    fill(0, top + H, left, top + H + bottom, s.PixelAddress(0, H - 1));
    fill(left + W, top + H, left + W + right, top + H + bottom, s.PixelAddress(W - 1, H - 1));
    const size_t rowBytes = size_t(W) * size_t(bpp);
    for (int y = 0; y < top; ++y) std::memcpy(PixelAddress(left, y), s.Row(0), rowBytes);
    for (int y = 0; y < bottom; ++y) std::memcpy(PixelAddress(left, top + H + y), s.Row(H - 1), rowBytes);
    for (int y = 0; y < H; ++y) {
        const uint8_t* first = s.Row(y);
        const uint8_t* last = s.PixelAddress(W - 1, y);
        uint8_t* d = Row(top + y);
        for (int x = 0; x < left; ++x, d += bpp) CopyPixelBytes(d, first, bpp);
        d = PixelAddress(left + W, top + y);
        for (int x = 0; x < right; ++x, d += bpp) CopyPixelBytes(d, last, bpp);
    }
}

void PixelImage::Resize(int width, int height) {
    if (IsEmpty() || width <= 0 || height <= 0 || Depth() < 8) return;
    if (width == Width() && height == Height()) return;
    PixelImage s(std::move(*this));
    if (!CreateShaped(width, height, s)) {
        *this = std::move(s);
        return;
    }
    if (s.Depth() <= 8) palette_ = s.palette_;
    originX = s.originX;
    originY = s.originY;
    frameDelay = s.frameDelay;
    const int W = s.Width(), H = s.Height(), bpp = Depth() / 8;
    std::vector<int> column(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i) column[size_t(i)] = int(int64_t(i) * W / width);
    for (int e = 0; e < height; ++e) {
        const uint8_t* src = s.Row(int(int64_t(e) * H / height));
        uint8_t* d = Row(e);
        switch (bpp) {
        case 4:
            for (int i = 0; i < width; ++i, d += 4) std::memcpy(d, src + size_t(column[size_t(i)]) * 4, 4);
            break;
        case 3:
            for (int i = 0; i < width; ++i, d += 3) std::memcpy(d, src + size_t(column[size_t(i)]) * 3, 3);
            break;
        default:
            for (int i = 0; i < width; ++i, d += bpp)
                CopyPixelBytes(d, src + size_t(column[size_t(i)]) * size_t(bpp), bpp);
        }
    }
}

void PixelImage::ResizeSmooth(int width, int height, ProgressReporter* progress) {
    if (IsEmpty() || width < 1 || height < 1 || Depth() < 24) return;
    if (width == Width() && height == Height()) return;
    // The source is taken over rather than copied; a one-pixel-wide or -high
    // image is copied and grown by replication, so that every sample has a
    // right and a lower neighbour.
    PixelImage s;
    if (Width() == 1 || Height() == 1) {
        s.Copy(*this);
        s.Expand(true, 0, 0, Width() == 1 ? 1 : 0, Height() == 1 ? 1 : 0);
        if (s.Width() == 1 || s.Height() == 1) return;  // refused
    } else {
        s = std::move(*this);
    }
    const int64_t W = s.Width(), H = s.Height();
    if (!Create(width, height, s.Depth())) {
        if (IsEmpty()) *this = std::move(s);
        return;
    }
    const int bpp = Depth() / 8;
    const bool alpha = Depth() == 32;

    std::vector<int> sxs(static_cast<size_t>(width)), nxs(static_cast<size_t>(width));
    std::vector<double> fxs(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        int64_t sx = W * x / width, nx = W * x % width;
        if (sx >= W - 1) {
            sx = W - 2;
            nx = width - 1;
        }
        sxs[size_t(x)] = int(sx);
        nxs[size_t(x)] = int(nx);
        fxs[size_t(x)] = double(nx) / width;
    }
    if (progress) progress->Reset();
    for (int y = 0; y < height; ++y) {
        if (progress && progress->Cancelled()) return;
        int64_t sy = H * y / height, ny = H * y % height;
        if (sy >= H - 1) {
            sy = H - 2;
            ny = height - 1;
        }
        const double fy = double(ny) / height;
        const uint8_t* top = s.Row(int(sy));
        const uint8_t* below = s.Row(int(sy) + 1);
        uint8_t* d = Row(y);
        for (int x = 0; x < width; ++x, d += bpp) {
            const size_t off = size_t(sxs[size_t(x)]) * size_t(bpp);
            if (nxs[size_t(x)] == 0 && ny == 0) {
                CopyPixelBytes(d, top + off, bpp);
            } else {
                uint8_t out[4];
                SampleBilinear(fxs[size_t(x)], fy, alpha, top + off, top + off + bpp, below + off, below + off + bpp,
                               out);
                CopyPixelBytes(d, out, bpp);
            }
        }
        if (progress) progress->SetPosition(int(100 * int64_t(y) / height));
    }
}

std::vector<uint8_t> PixelImage::BuildBitmapInfo() const {
    std::vector<uint8_t> block(sizeof(BitmapInfoHeader));
    std::memcpy(block.data(), &info_, sizeof info_);
    if (Depth() <= 8 && !palette_.empty()) {
        const size_t n = palette_.size() * sizeof(RgbQuad);
        block.resize(block.size() + n);
        std::memcpy(block.data() + sizeof info_, palette_.data(), n);
    } else {
        const uint32_t masks[3] = {redMask_, greenMask_, blueMask_};
        block.resize(block.size() + sizeof masks);
        std::memcpy(block.data() + sizeof info_, masks, sizeof masks);
    }
    return block;
}

size_t PixelImage::Serialize(bool save, uint8_t* buffer, size_t size) {
    if (save) {
        if (IsEmpty() || size < SerializedSize()) return 0;
        uint8_t* p = buffer;
        std::memcpy(p, &info_, 40);
        const uint32_t masks[3] = {redMask_, greenMask_, blueMask_};
        std::memcpy(p + 40, masks, 12);
        std::memcpy(p + 52, bits_, ByteCount());
        const int32_t origin[2] = {originX, originY};
        std::memcpy(p + 52 + ByteCount(), origin, 8);
        return SerializedSize();
    }
    if (size < 52) return 0;
    BitmapInfoHeader h;
    std::memcpy(&h, buffer, 40);
    uint32_t masks[3];
    std::memcpy(masks, buffer + 40, 12);
    if (h.biWidth <= 0 || h.biHeight <= 0 || !ValidDepth(h.biBitCount)) return 0;
    const uint64_t pixels = uint64_t(StrideFor(h.biWidth, h.biBitCount)) * uint64_t(h.biHeight);
    if (pixels > size - 52 || size - 52 - pixels < 8) return 0;
    PixelImage loaded;
    if (!loaded.CreateFromHeader(h, masks)) return 0;
    std::memcpy(loaded.bits_, buffer + 52, loaded.ByteCount());
    int32_t origin[2];
    std::memcpy(origin, buffer + 52 + loaded.ByteCount(), 8);
    loaded.originX = origin[0];
    loaded.originY = origin[1];
    loaded.frameDelay = frameDelay;
    *this = std::move(loaded);
    return SerializedSize();
}

bool ValidMasks16(const uint32_t masks[3]) {
    for (int i = 0; i < 3; ++i)
        if (masks[i] == 0 || masks[i] > 0xFFFF) return false;
    return (masks[0] & masks[1]) == 0 && (masks[0] & masks[2]) == 0 && (masks[1] & masks[2]) == 0;
}

void SampleBilinear(double fx, double fy, bool alpha, const uint8_t* p00, const uint8_t* p10, const uint8_t* p01,
                    const uint8_t* p11, uint8_t out[4]) {
    out[0] = out[1] = out[2] = out[3] = 255;
    if (alpha) {
        if (std::memcmp(p00, p10, 4) == 0 && std::memcmp(p00, p01, 4) == 0 && std::memcmp(p00, p11, 4) == 0) {
            std::memcpy(out, p00, 4);
            return;
        }
    } else if (std::memcmp(p00, p10, 3) == 0 && std::memcmp(p00, p01, 3) == 0 && std::memcmp(p00, p11, 3) == 0) {
        std::memcpy(out, p00, 3);
        return;
    }
    if (fx < 1.1920929e-7 && fy < 1.1920929e-7) {
        std::memcpy(out, p00, alpha ? 4 : 3);
        return;
    }
    auto lerp = [fx, fy](double v00, double v10, double v01, double v11) {
        const double top = v00 + (v10 - v00) * fx;
        const double bottom = v01 + (v11 - v01) * fx;
        return top + (bottom - top) * fy;
    };
    if (alpha && !(p00[3] == 255 && p10[3] == 255 && p01[3] == 255 && p11[3] == 255)) {
        // The result keeps the interpolated alpha A (rather than an opaque 255),
        // so that partly transparent edges stay partly transparent.
        const int a = int(lerp(p00[3], p10[3], p01[3], p11[3]));
        if (a == 0) {
            out[3] = 0;
            return;
        }
        // The truncated alpha can be slightly below the true weight, so the
        // quotient is clamped instead of wrapping past 255.
        for (int c = 0; c < 3; ++c) {
            const int v = int(lerp(p00[c] * p00[3], p10[c] * p10[3], p01[c] * p01[3], p11[c] * p11[3]));
            out[c] = uint8_t(Clamp255(v / a));
        }
        out[3] = uint8_t(a);
        return;
    }
    for (int c = 0; c < 3; ++c) out[c] = uint8_t(int(lerp(p00[c], p10[c], p01[c], p11[c])));
}

void PixelImage::ApplyEffect(ImageEffect& effect, ProgressReporter* progress) {
    if (!effect.CanApply(*this)) return;
    effect.Begin(*this);
    if (progress) progress->Reset();
    if (effect.Mode() == ImageEffect::kWholeImage) {
        effect.ProcessImage(*this, progress);
    } else {
        ProcessEffectRows(effect, *this, progress);
    }
    effect.End(*this);
}

}  // namespace clipvane
