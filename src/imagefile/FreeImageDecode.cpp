#include "imagefile/FreeImageDecode.h"

#include <FreeImage.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "imagefile/Limits.h"

namespace clipvane {

namespace {

void IgnoreMessage(FREE_IMAGE_FORMAT, const char*) {}

// A bitmap of plain pixels (FIT_BITMAP); high-bit-depth and floating-point
// images are brought down to 8 bits per channel first. Null on failure; the
// caller unloads a result that differs from `dib`.
FIBITMAP* StandardBitmap(FIBITMAP* dib) {
    switch (FreeImage_GetImageType(dib)) {
    case FIT_BITMAP: return dib;
    case FIT_RGB16:
    case FIT_RGBF: return FreeImage_ConvertTo24Bits(dib);
    case FIT_RGBA16:
    case FIT_RGBAF: return FreeImage_ConvertTo32Bits(dib);
    default: return FreeImage_ConvertToStandardType(dib, TRUE);
    }
}

// One FreeImage bitmap as a frame: header, palette, rows, palette
// transparency as 32-bit alpha, and the animation frame time. The rows are
// handed over straight from the bitmap when its layout is the PixelImage
// layout (it is, for every standard bitmap), else through a copy. Returns
// the sink's answer, or true when the bitmap gave no frame.
bool Emit(FIBITMAP* source, const FrameSink& sink) {
    FIBITMAP* dib = StandardBitmap(source);
    if (!dib) return true;
    struct Unload {
        FIBITMAP* dib;
        FIBITMAP* source;
        ~Unload() {
            if (dib != source) FreeImage_Unload(dib);
        }
    } unload{dib, source};

    const BITMAPINFOHEADER* fh = FreeImage_GetInfoHeader(dib);
    if (!fh) return true;
    DecodedFrame frame;
    static_assert(sizeof(BITMAPINFOHEADER) == sizeof(BitmapInfoHeader));
    std::memcpy(static_cast<void*>(&frame.header), fh, sizeof frame.header);
    BitmapInfoHeader& h = frame.header;
    h.biSize = 40;
    h.biSizeImage = 0;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    const int depth = h.biBitCount;
    if (depth == 16) {
        frame.masks[0] = FreeImage_GetRedMask(dib);
        frame.masks[1] = FreeImage_GetGreenMask(dib);
        frame.masks[2] = FreeImage_GetBlueMask(dib);
        const bool plain = frame.masks[0] == 0x7C00 && frame.masks[1] == 0x03E0 && frame.masks[2] == 0x001F;
        h.biCompression = plain ? kBiRgb : kBiBitfields;
    } else {
        h.biCompression = kBiRgb;
    }
    if (!PixelStorageAllowed(h.biWidth, h.biHeight, depth)) return true;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return true;

    FITAG* tag = nullptr;
    if (FreeImage_GetMetadata(FIMD_ANIMATION, source, "FrameTime", &tag) && tag && FreeImage_GetTagLength(tag) >= 4 &&
        FreeImage_GetTagValue(tag))
        std::memcpy(&frame.frameDelay, FreeImage_GetTagValue(tag), 4);

    if (depth <= 8) {
        // The grey ramp of a new image, then the colours the file has.
        const int n = 1 << depth;
        frame.palette.resize(size_t(n));
        for (int i = 0; i < n; ++i) {
            const uint8_t v = uint8_t((255 / (n - 1)) * i);
            frame.palette[size_t(i)] = RgbQuad{v, v, v, 0};
        }
        const RGBQUAD* pal = FreeImage_GetPalette(dib);
        unsigned count = FreeImage_GetColorsUsed(dib);
        if (count > unsigned(n)) count = unsigned(n);
        if (pal && count) std::memcpy(static_cast<void*>(frame.palette.data()), pal, count * sizeof(RgbQuad));
    }

    const size_t stride = size_t(StrideFor(h.biWidth, depth));
    const bool transparent = depth <= 8 && FreeImage_IsTransparent(dib);
    if (!transparent && FreeImage_GetPitch(dib) == stride && FreeImage_GetBits(dib)) {
        frame.bits = FreeImage_GetBits(dib);
        frame.byteCount = stride * size_t(h.biHeight);
        return sink(frame);
    }

    PixelImage image;
    if (!image.CreateFromHeader(h, frame.masks)) return true;
    if (depth <= 8) image.SetPalette(0, int(frame.palette.size()), frame.palette.data());
    const int height = image.Height();
    const size_t line = FreeImage_GetLine(dib);
    const size_t rowBytes = stride < line ? stride : line;
    for (int y = 0; y < height; ++y) {
        // FreeImage counts scan lines from the bottom.
        const BYTE* src = FreeImage_GetScanLine(dib, height - 1 - y);
        if (!src) return true;
        std::memcpy(image.Row(y), src, rowBytes);
    }
    if (transparent) {
        const PixelImage indexed(image);
        const unsigned count = FreeImage_GetTransparencyCount(dib);
        const BYTE* table = FreeImage_GetTransparencyTable(dib);
        image.ConvertTo(32);
        if (image.Depth() != 32) return true;
        if (table) {
            const int width = image.Width();
            for (int y = 0; y < height; ++y) {
                uint8_t* row = image.Row(y);
                for (int x = 0; x < width; ++x) {
                    const uint32_t index = indexed.GetPixel(x, y);
                    if (index < count) row[size_t(x) * 4 + 3] = table[index];
                }
            }
        }
        frame.header = image.Info();
        frame.palette.clear();
    }
    frame.bits = image.Bits();
    frame.byteCount = image.ByteCount();
    return sink(frame);
}

bool LoadPages(FREE_IMAGE_FORMAT fif, const char* path, const FrameSink& sink) {
    FIMULTIBITMAP* multi = FreeImage_OpenMultiBitmap(fif, path, FALSE, TRUE, FALSE, 0);
    if (!multi) return false;
    const int pages = FreeImage_GetPageCount(multi);
    for (int i = 0; i < pages; ++i) {
        FIBITMAP* page = FreeImage_LockPage(multi, i);
        if (!page) continue;
        const bool more = Emit(page, sink);
        FreeImage_UnlockPage(multi, page, FALSE);
        if (!more) break;
    }
    FreeImage_CloseMultiBitmap(multi, 0);
    return true;
}

// PsdHeaderAllowed for the file at `path`.
bool PsdFileAllowed(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;  // the library reports it
    uint8_t head[32];
    struct stat st {};
    const ssize_t got = pread(fd, head, sizeof head, 0);
    const bool ok = fstat(fd, &st) != 0 || got <= 0 || PsdHeaderAllowed(head, size_t(got), uint64_t(st.st_size));
    close(fd);
    return ok;
}

}  // namespace

FreeImageScope::FreeImageScope() {
    FreeImage_Initialise(FALSE);
    FreeImage_SetOutputMessage(IgnoreMessage);
}

FreeImageScope::~FreeImageScope() { FreeImage_DeInitialise(); }

bool PsdHeaderAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    constexpr size_t kPsdHeader = 26;
    if (headSize < kPsdHeader || std::memcmp(head, "8BPS", 4) != 0) return true;
    const auto be16 = [head](size_t at) { return uint32_t(head[at] << 8 | head[at + 1]); };
    const auto be32 = [&](size_t at) { return be16(at) << 16 | be16(at + 2); };
    const uint64_t channels = be16(12), height = be32(14), width = be32(18), depth = be16(22);
    if (channels == 0 || width == 0 || height == 0 || depth == 0) return true;  // the library refuses these
    if (!PixelCountAllowed(int64_t(width), int64_t(height))) {
        NoteFileError(PixelCountMessage(int64_t(width), int64_t(height)));
        return false;
    }
    // The section lengths, then the composite image: deflate, the best coding
    // it may use, packs at most 1032 bytes into one.
    const uint64_t raw = (width * depth + 7) / 8 * height * channels;
    if (fileSize < kPsdHeader + 14 + raw / 1032) {
        NoteFileError("the file is shorter than the image its header describes");
        return false;
    }
    return true;
}

std::unique_ptr<PixelImage> ToPixelImage(const DecodedFrame& frame) {
    auto image = std::make_unique<PixelImage>();
    if (!image->CreateFromHeader(frame.header, frame.masks) || image->ByteCount() != frame.byteCount) return nullptr;
    if (!frame.palette.empty()) image->SetPalette(0, int(frame.palette.size()), frame.palette.data());
    std::memcpy(image->Bits(), frame.bits, frame.byteCount);
    image->frameDelay = frame.frameDelay;
    return image;
}

bool DecodeWithFreeImage(const char* path, const uint8_t* bytes, size_t size, const FrameSink& sink) {
    FreeImageScope library;
    if (path) {
        if (!PsdFileAllowed(path)) return false;
        const FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path, 0);
        if (fif == FIF_UNKNOWN) return false;
        if (fif == FIF_TIFF || fif == FIF_GIF) return LoadPages(fif, path, sink);
        FIBITMAP* dib = FreeImage_Load(fif, path, 0);
        if (!dib) return false;
        Emit(dib, sink);
        FreeImage_Unload(dib);
        return true;
    }
    if (!bytes || size == 0 || size > 0xFFFFFFFFu) return false;
    if (!PsdHeaderAllowed(bytes, size, size)) return false;
    FIMEMORY* memory = FreeImage_OpenMemory(const_cast<BYTE*>(bytes), DWORD(size));
    if (!memory) return false;
    bool ok = false;
    const FREE_IMAGE_FORMAT fif = FreeImage_GetFileTypeFromMemory(memory, 0);
    if (fif != FIF_UNKNOWN) {
        if (FIBITMAP* dib = FreeImage_LoadFromMemory(fif, memory, 0)) {
            Emit(dib, sink);
            FreeImage_Unload(dib);
            ok = true;
        }
    }
    FreeImage_CloseMemory(memory);
    return ok;
}

}  // namespace clipvane
