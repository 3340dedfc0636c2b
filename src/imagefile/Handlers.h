#pragma once
// The concrete format handlers. Each is created by a factory for one load or
// one save (ImageHandler.h).
#include "imagefile/ImageHandler.h"

namespace clipvane {

// The program's own BMP code: uncompressed and bit-field bitmaps, info headers
// of 40, 52, 56, 108 and 124 bytes.
class BmpHandler : public ImageFormatHandler {
public:
    bool LoadMemory(const uint8_t* bytes, size_t size) override;
    bool HeadAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize) override;
    bool SaveFile(const std::string& path, int param) override;
};

// The program's own TGA code: raw and run-length coded, colour-mapped, 16, 24
// and 32 bits. `param` 1 writes run-length coded files.
class TgaHandler : public ImageFormatHandler {
public:
    bool LoadMemory(const uint8_t* bytes, size_t size) override;
    bool HeadAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize) override;
    bool SaveFile(const std::string& path, int param) override;
};

// Reads every other format through FreeImage, decoded in a separate
// short-lived process (IsolatedDecoder.h).
class FreeImageHandler : public ImageFormatHandler {
public:
    bool LoadFile(const std::string& path) override;
    bool LoadMemory(const uint8_t* bytes, size_t size) override;
};

// PNG through libpng and JPEG through libjpeg-turbo, decoded in this process
// (Png.h, Jpeg.h): one frame. Files are read through the descriptor in
// blocks, not copied into memory whole.
class PngHandler : public ImageFormatHandler {
public:
    bool LoadFile(const std::string& path) override;
    bool LoadMemory(const uint8_t* bytes, size_t size) override;
};

class JpegHandler : public ImageFormatHandler {
public:
    bool LoadFile(const std::string& path) override;
    bool LoadMemory(const uint8_t* bytes, size_t size) override;
};

// Writes JPEG, GIF, TIFF and PNG with default settings (type from the
// destination path, given to the constructor).
class EncoderHandler : public ImageFormatHandler {
public:
    explicit EncoderHandler(ImageFileType type) : type_(type) {}
    bool SaveFile(const std::string& path, int param) override;

private:
    ImageFileType type_;
};

// The program's own PCX code. Writing: 24-bit images as three run-length
// coded colour planes, palette images as 8 bits with the 256-colour palette.
// Reading: 8-bit layouts here, the older 1-, 2- and 4-bit layouts through the
// isolated FreeImage decoder.
class PcxHandler : public ImageFormatHandler {
public:
    bool LoadMemory(const uint8_t* bytes, size_t size) override;
    bool HeadAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize) override;
    bool SaveFile(const std::string& path, int param) override;
};

}  // namespace clipvane
