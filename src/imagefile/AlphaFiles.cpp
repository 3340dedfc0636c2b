#include "imagefile/AlphaFiles.h"

#include <FreeImage.h>

#include <cstring>
#include <vector>

#include "imagefile/AtomicFile.h"
#include "imagefile/FileError.h"
#include "imagefile/FreeImageDecode.h"
#include "imagefile/FreeImageEncode.h"
#include "imagefile/ImageFile.h"
#include "imagefile/Png.h"

namespace clipvane {

namespace {

// A FreeImage copy of a 24- or 32-bit image (rows bottom-up, as FreeImage
// counts them).
FIBITMAP* ToFreeImage(const PixelImage& image) {
    const int width = image.Width(), height = image.Height(), depth = image.Depth();
    FIBITMAP* dib = FreeImage_Allocate(width, height, depth, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (!dib) return nullptr;
    const size_t rowBytes = size_t(width) * size_t(depth / 8);
    for (int y = 0; y < height; ++y) std::memcpy(FreeImage_GetScanLine(dib, height - 1 - y), image.Row(y), rowBytes);
    return dib;
}

// GIF: the colours quantised to 255 entries, index 255 transparent and put
// wherever the alpha is under half.
FIBITMAP* GifWithTransparentIndex(const PixelImage& image) {
    PixelImage opaque(image);
    opaque.ConvertTo(24);
    if (opaque.Depth() != 24) return nullptr;
    FreeImageBitmap colour(ToFreeImage(opaque));
    if (!colour.dib) return nullptr;
    FIBITMAP* indexed = FreeImage_ColorQuantizeEx(colour.dib, FIQ_WUQUANT, 255, 0, nullptr);
    if (!indexed) return nullptr;
    const int width = image.Width(), height = image.Height();
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(indexed, height - 1 - y);
        const uint8_t* pixel = image.Row(y);
        for (int x = 0; x < width; ++x, pixel += 4)
            if (pixel[3] < 128) row[x] = 255;
    }
    BYTE table[256];
    std::memset(table, 255, sizeof table);
    table[255] = 0;
    FreeImage_SetTransparencyTable(indexed, table, 256);
    return indexed;
}

}  // namespace

bool HasTransparency(const PixelImage& image) {
    if (image.IsEmpty() || image.Depth() != 32) return false;
    bool belowOpaque = false, aboveClear = false;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* p = image.Row(y);
        for (int x = 0; x < image.Width(); ++x, p += 4) {
            belowOpaque |= p[3] != 255;
            aboveClear |= p[3] != 0;
        }
        if (belowOpaque && aboveClear) return true;
    }
    return false;
}

bool TypeKeepsAlpha(const std::string& path) {
    const ImageFileType type = TypeFromPath(path);
    return type == kFilePng || type == kFileTiff || type == kFileGif;
}

int SaveImageFileWithAlpha(const PixelImage& image, const std::string& path) {
    if (image.IsEmpty() || image.Depth() != 32 || !TypeKeepsAlpha(path)) return SaveImageFile(image, path);
    const ImageFileType type = TypeFromPath(path);
    ClearFileError();
    if (const std::string refusal = FormatRefusal(type, image); !refusal.empty()) {
        NoteFileError(refusal);
        return 0;
    }
    AtomicFile target(path);
    if (!target.Ok()) return 0;
    bool written = false;
    if (type == kFilePng) {
        written = WritePngFile(image, true, target.WritePath());
    } else {
        FreeImageScope library;
        FreeImageBitmap bitmap(type == kFileTiff ? ToFreeImage(image) : GifWithTransparentIndex(image));
        written = WriteWithFreeImage(type == kFileTiff ? FIF_TIFF : FIF_GIF, bitmap.dib, target.WritePath());
    }
    if (!written) {
        NoteFileError("the image could not be encoded in this format");
        return 0;
    }
    return target.Commit() ? 1 : 0;
}

}  // namespace clipvane
