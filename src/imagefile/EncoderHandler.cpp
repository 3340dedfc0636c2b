// Writing GIF and TIFF through FreeImage's encoders (into memory, then to the
// file with every write checked), PNG through the program's own
// libdeflate-based encoder and JPEG straight through libjpeg. Every file gets
// the encoder's default settings.
#include <FreeImage.h>

#include <cstring>
#include <string>

#include "imagefile/AtomicFile.h"
#include "imagefile/FileError.h"
#include "imagefile/FreeImageDecode.h"
#include "imagefile/FreeImageEncode.h"
#include "imagefile/Handlers.h"
#include "imagefile/Jpeg.h"
#include "imagefile/Png.h"

namespace clipvane {

namespace {

// A FreeImage copy of the image: same size, depth, masks, palette and rows.
FIBITMAP* ToFreeImage(const PixelImage& image) {
    const int width = image.Width(), height = image.Height(), depth = image.Depth();
    FIBITMAP* dib =
        FreeImage_AllocateT(FIT_BITMAP, width, height, depth, image.RedMask(), image.GreenMask(), image.BlueMask());
    if (!dib) return nullptr;
    if (depth <= 8) {
        RGBQUAD* pal = FreeImage_GetPalette(dib);
        if (pal) std::memcpy(pal, image.Palette().data(), image.Palette().size() * sizeof(RgbQuad));
    }
    const size_t line = FreeImage_GetLine(dib);
    const size_t rowBytes = line < size_t(image.Stride()) ? line : size_t(image.Stride());
    for (int y = 0; y < height; ++y) std::memcpy(FreeImage_GetScanLine(dib, height - 1 - y), image.Row(y), rowBytes);
    return dib;
}

// The image in a depth the format's writer takes: GIF gets at most 8 bits
// (24- and 32-bit images quantised to a 256-colour palette), TIFF palette
// images and 24-bit colour. A 32-bit image's fourth byte is not alpha to the
// program (a new image keeps it 0 and still shows white), so it is not
// written as alpha.
FIBITMAP* PrepareFor(FREE_IMAGE_FORMAT fif, const PixelImage& image) {
    const int depth = image.Depth();
    PixelImage converted;
    const PixelImage* source = &image;
    const bool toTrueColour = (fif == FIF_GIF && depth > 8) || (fif == FIF_TIFF && (depth == 16 || depth == 32));
    if (toTrueColour) {
        converted.Copy(image);
        converted.ConvertTo(24);
        if (converted.Depth() != 24) return nullptr;
        source = &converted;
    }
    FIBITMAP* dib = ToFreeImage(*source);
    if (!dib || fif != FIF_GIF || source->Depth() <= 8) return dib;
    FIBITMAP* quantised = FreeImage_ColorQuantize(dib, FIQ_WUQUANT);
    FreeImage_Unload(dib);
    return quantised;
}

}  // namespace

bool EncoderHandler::SaveFile(const std::string& path, int) {
    const PixelImage* image = Target();
    if (!image) return false;
    if (type_ == kFilePng) return WritePngFile(*image, false, path);
    if (type_ == kFileJpeg) {
        const std::vector<uint8_t> data = EncodeJpeg(*image);
        return !data.empty() && WriteWholeFile(path, data.data(), data.size());
    }
    FREE_IMAGE_FORMAT fif;
    switch (type_) {
    case kFileGif: fif = FIF_GIF; break;
    case kFileTiff: fif = FIF_TIFF; break;
    default: return false;
    }
    FreeImageScope library;
    FreeImageBitmap bitmap(PrepareFor(fif, *image));
    if (!bitmap.dib || !FreeImage_FIFSupportsExportBPP(fif, int(FreeImage_GetBPP(bitmap.dib)))) {
        NoteFileError("there is not enough memory to prepare the image");
        return false;
    }
    return WriteWithFreeImage(fif, bitmap.dib, path);
}

}  // namespace clipvane
