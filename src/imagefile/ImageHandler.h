#pragma once
// Format handlers and the process-wide factory that picks them by file type.
// A handler lives for one load or one save: a reader decodes into `frames`,
// a writer writes the first of its `targets`.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "imagefile/ImageFile.h"
#include "image/PixelImage.h"

namespace clipvane {

// Opens `path` for reading without blocking and returns the descriptor when
// it is a regular file (and its size in `size`); else -1, the reason noted.
int OpenRegularFile(const std::string& path, off_t* size);

class ImageFormatHandler {
public:
    virtual ~ImageFormatHandler() = default;

    // Reads the file's head, asks HeadAllowed about it, then reads the whole
    // file and hands it to LoadMemory; a file that cannot be opened, is
    // empty, does not fit in memory or whose head is refused gives false.
    virtual bool LoadFile(const std::string& path);
    virtual bool LoadMemory(const uint8_t* bytes, size_t size);
    // The first `headSize` bytes (up to kHeadBytes) of a file of `fileSize`
    // bytes: false when the header alone shows the file cannot be read (a
    // size past the limits, fewer bytes than the pixels need), so that a
    // huge file is refused before it is read. Everything else is true.
    virtual bool HeadAllowed(const uint8_t* head, size_t headSize, uint64_t fileSize);
    static constexpr size_t kHeadBytes = 4096;
    // Writes targets.front() to `path` (the caller has made it a fresh file).
    virtual bool SaveFile(const std::string& path, int param);

    // Moves the decoded frames out of the handler, in file order.
    void TakeFrames(std::deque<std::unique_ptr<PixelImage>>& out);
    const std::deque<std::unique_ptr<PixelImage>>& Frames() const { return frames; }

    std::deque<const PixelImage*> targets;  // borrowed
    std::deque<std::unique_ptr<PixelImage>> frames;
    // Set when only the first frame will be used: readers of animations and
    // multi-page files may stop after it.
    bool firstFrameOnly = false;

protected:
    // The first target when it has pixels, else null.
    const PixelImage* Target() const;
};

class ImageHandlerFactory {
public:
    virtual ~ImageHandlerFactory() = default;
    virtual ImageFileType TypeFromPath(std::string_view path) const { return clipvane::TypeFromPath(path); }
    virtual std::unique_ptr<ImageFormatHandler> CreateHandler(ImageFileType type) const = 0;
};

// BMP and TGA by the program's own code, JPEG through libjpeg-turbo, GIF
// through the isolated FreeImage decoder; nothing else.
class BasicHandlerFactory : public ImageHandlerFactory {
public:
    std::unique_ptr<ImageFormatHandler> CreateHandler(ImageFileType type) const override;
};

// Installed at start-up: BMP, TGA and PCX by the program's own code, PNG and
// JPEG through libpng and libjpeg-turbo in this process, every other
// readable type through the isolated FreeImage decoder.
class StandardHandlerFactory : public ImageHandlerFactory {
public:
    std::unique_ptr<ImageFormatHandler> CreateHandler(ImageFileType type) const override;
};

// Current during SaveImageFile: BMP and TGA by the program's own code; JPEG,
// GIF, TIFF and PNG through the encoder handler; PCX by the PCX writer.
class EncoderHandlerFactory : public ImageHandlerFactory {
public:
    std::unique_ptr<ImageFormatHandler> CreateHandler(ImageFileType type) const override;
};

// The registry. Reading it before anything was installed installs a
// BasicHandlerFactory. Installing takes ownership and deletes the previous
// factory unless it is the same object.
ImageHandlerFactory& CurrentHandlerFactory();
void InstallHandlerFactory(ImageHandlerFactory* factory);

}  // namespace clipvane
