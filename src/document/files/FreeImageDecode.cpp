#include "document/files/FreeImageDecode.h"

#include <FreeImage.h>

#include <cstring>

#include "document/files/Limits.h"

namespace cv {

namespace {

void IgnoreMessage(FREE_IMAGE_FORMAT, const char*) {}

struct Library {
    Library() {
        FreeImage_Initialise(FALSE);
        FreeImage_SetOutputMessage(IgnoreMessage);
    }
    ~Library() { FreeImage_DeInitialise(); }
};

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

// One FreeImage bitmap into a frame: header, palette, rows, palette
// transparency as 32-bit alpha, and the animation frame time.
std::unique_ptr<PixelImage> Convert(FIBITMAP* source) {
    FIBITMAP* dib = StandardBitmap(source);
    if (!dib) return nullptr;
    struct Unload {
        FIBITMAP* dib;
        FIBITMAP* source;
        ~Unload() {
            if (dib != source) FreeImage_Unload(dib);
        }
    } unload{dib, source};

    const BITMAPINFOHEADER* fh = FreeImage_GetInfoHeader(dib);
    if (!fh) return nullptr;
    BitmapInfoHeader h;
    static_assert(sizeof(BITMAPINFOHEADER) == sizeof(BitmapInfoHeader));
    std::memcpy(static_cast<void*>(&h), fh, sizeof h);
    h.biSize = 40;
    const int depth = h.biBitCount;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (depth == 16) {
        masks[0] = FreeImage_GetRedMask(dib);
        masks[1] = FreeImage_GetGreenMask(dib);
        masks[2] = FreeImage_GetBlueMask(dib);
        const bool plain = masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F;
        h.biCompression = plain ? kBiRgb : kBiBitfields;
    }
    if (!PixelStorageAllowed(h.biWidth, h.biHeight, depth)) return nullptr;
    auto image = std::make_unique<PixelImage>();
    if (!image->CreateFromHeader(h, masks)) return nullptr;

    if (depth <= 8) {
        const RGBQUAD* pal = FreeImage_GetPalette(dib);
        unsigned count = FreeImage_GetColorsUsed(dib);
        if (count > (1u << depth)) count = 1u << depth;
        if (pal && count) image->SetPalette(0, int(count), reinterpret_cast<const RgbQuad*>(pal));
    }
    const int height = image->Height();
    const size_t line = FreeImage_GetLine(dib);
    const size_t rowBytes = size_t(image->Stride()) < line ? size_t(image->Stride()) : line;
    for (int y = 0; y < height; ++y) {
        // FreeImage counts scan lines from the bottom.
        const BYTE* src = FreeImage_GetScanLine(dib, height - 1 - y);
        if (!src) return nullptr;
        std::memcpy(image->Row(y), src, rowBytes);
    }

    if (depth <= 8 && FreeImage_IsTransparent(dib)) {
        const PixelImage indexed(*image);
        const unsigned count = FreeImage_GetTransparencyCount(dib);
        const BYTE* table = FreeImage_GetTransparencyTable(dib);
        image->ConvertTo(32);
        if (image->Depth() != 32) return nullptr;
        if (table) {
            const int width = image->Width();
            for (int y = 0; y < height; ++y) {
                uint8_t* row = image->Row(y);
                for (int x = 0; x < width; ++x) {
                    const uint32_t index = indexed.GetPixel(x, y);
                    if (index < count) row[size_t(x) * 4 + 3] = table[index];
                }
            }
        }
    }

    FITAG* tag = nullptr;
    if (FreeImage_GetMetadata(FIMD_ANIMATION, source, "FrameTime", &tag) && tag &&
        FreeImage_GetTagLength(tag) >= 4 && FreeImage_GetTagValue(tag)) {
        int32_t delay;
        std::memcpy(&delay, FreeImage_GetTagValue(tag), 4);
        image->frameDelay = delay;
    }
    return image;
}

bool LoadPages(FREE_IMAGE_FORMAT fif, const char* path, const FrameSink& sink) {
    FIMULTIBITMAP* multi = FreeImage_OpenMultiBitmap(fif, path, FALSE, TRUE, FALSE, 0);
    if (!multi) return false;
    const int pages = FreeImage_GetPageCount(multi);
    for (int i = 0; i < pages; ++i) {
        FIBITMAP* page = FreeImage_LockPage(multi, i);
        if (!page) continue;
        auto frame = Convert(page);
        FreeImage_UnlockPage(multi, page, FALSE);
        if (frame && !sink(std::move(frame))) break;
    }
    FreeImage_CloseMultiBitmap(multi, 0);
    return true;
}

}  // namespace

bool DecodeWithFreeImage(const char* path, const uint8_t* bytes, size_t size, const FrameSink& sink) {
    Library library;
    if (path) {
        const FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path, 0);
        if (fif == FIF_UNKNOWN) return false;
        if (fif == FIF_TIFF || fif == FIF_GIF) return LoadPages(fif, path, sink);
        FIBITMAP* dib = FreeImage_Load(fif, path, 0);
        if (!dib) return false;
        auto frame = Convert(dib);
        FreeImage_Unload(dib);
        if (frame) sink(std::move(frame));
        return true;
    }
    if (!bytes || size == 0 || size > 0xFFFFFFFFu) return false;
    FIMEMORY* memory = FreeImage_OpenMemory(const_cast<BYTE*>(bytes), DWORD(size));
    if (!memory) return false;
    bool ok = false;
    const FREE_IMAGE_FORMAT fif = FreeImage_GetFileTypeFromMemory(memory, 0);
    if (fif != FIF_UNKNOWN) {
        if (FIBITMAP* dib = FreeImage_LoadFromMemory(fif, memory, 0)) {
            auto frame = Convert(dib);
            FreeImage_Unload(dib);
            if (frame) sink(std::move(frame));
            ok = true;
        }
    }
    FreeImage_CloseMemory(memory);
    return ok;
}

}  // namespace cv
