#include "imagefile/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "image/PixelLimit.h"
#include "imagefile/AtomicFile.h"
#include "imagefile/FileError.h"
#include "imagefile/Handlers.h"
#include "imagefile/ImageHandler.h"

namespace clipvane {

ImageFileType TypeFromPath(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return kFileNone;
    std::string ext(path.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    static const struct {
        const char* ext;
        ImageFileType type;
    } table[] = {{"bmp", kFileBmp}, {"pcx", kFilePcx}, {"jpg", kFileJpeg}, {"jpeg", kFileJpeg},
                 {"gif", kFileGif}, {"tga", kFileTga}, {"tif", kFileTiff}, {"tiff", kFileTiff},
                 {"png", kFilePng}, {"psd", kFilePsd}, {"ico", kFileIco},  {"xpm", kFileXpm}};
    for (const auto& e : table)
        if (ext == e.ext) return e.type;
    return kFileNone;
}

// ---- handlers: shared behaviour -------------------------------------------

int OpenRegularFile(const std::string& path, off_t* size) {
    // Opened without waiting (a pipe would block until a writer came), then
    // checked on the descriptor itself: no name check that another program
    // could race.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        NoteSystemError(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        NoteFileError(S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file");
        close(fd);
        return -1;
    }
    if (size) *size = st.st_size;
    return fd;
}

bool ImageFormatHandler::LoadFile(const std::string& path) {
    off_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0) return false;
    if (size <= 0 || uint64_t(size) > (uint64_t(1) << 31)) {
        NoteFileError(size <= 0 ? "the file is empty" : "the file is larger than 2 GiB");
        close(fd);
        return false;
    }
    // The header first: a file it shows to be unreadable is not read whole.
    uint8_t head[kHeadBytes];
    const size_t headSize = std::min(sizeof head, size_t(size));
    if (pread(fd, head, headSize, 0) != ssize_t(headSize)) {
        NoteFileError("the file could not be read whole");
        close(fd);
        return false;
    }
    if (!HeadAllowed(head, headSize, uint64_t(size))) {
        if (FileError().empty()) NoteFileError("its header does not describe a picture this file can hold");
        close(fd);
        return false;
    }
    std::vector<uint8_t> data(static_cast<size_t>(size));
    size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = read(fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) NoteSystemError(errno);
        if (n <= 0) break;
        got += size_t(n);
    }
    close(fd);
    if (got != data.size()) {
        NoteFileError("the file could not be read whole");
        return false;
    }
    return LoadMemory(data.data(), data.size());
}

bool ImageFormatHandler::LoadMemory(const uint8_t*, size_t) { return false; }

bool ImageFormatHandler::HeadAllowed(const uint8_t*, size_t, uint64_t) { return true; }

bool ImageFormatHandler::SaveFile(const std::string&, int) { return false; }

void ImageFormatHandler::TakeFrames(std::deque<std::unique_ptr<PixelImage>>& out) {
    for (auto& f : frames) out.push_back(std::move(f));
    frames.clear();
}

const PixelImage* ImageFormatHandler::Target() const {
    if (targets.empty() || !targets.front() || targets.front()->IsEmpty()) return nullptr;
    return targets.front();
}

// ---- factories and the registry -------------------------------------------

std::unique_ptr<ImageFormatHandler> BasicHandlerFactory::CreateHandler(ImageFileType type) const {
    switch (type) {
    case kFileBmp: return std::make_unique<BmpHandler>();
    case kFileTga: return std::make_unique<TgaHandler>();
    case kFileJpeg: return std::make_unique<JpegHandler>();
    case kFileGif: return std::make_unique<FreeImageHandler>();
    default: return nullptr;
    }
}

std::unique_ptr<ImageFormatHandler> StandardHandlerFactory::CreateHandler(ImageFileType type) const {
    switch (type) {
    case kFileBmp: return std::make_unique<BmpHandler>();
    case kFileTga: return std::make_unique<TgaHandler>();
    case kFilePcx: return std::make_unique<PcxHandler>();
    case kFileJpeg: return std::make_unique<JpegHandler>();
    case kFilePng: return std::make_unique<PngHandler>();
    case kFileGif:
    case kFileTiff:
    case kFilePsd:
    case kFileIco:
    case kFileXpm: return std::make_unique<FreeImageHandler>();
    default: return nullptr;
    }
}

std::unique_ptr<ImageFormatHandler> EncoderHandlerFactory::CreateHandler(ImageFileType type) const {
    switch (type) {
    case kFileBmp: return std::make_unique<BmpHandler>();
    case kFileTga: return std::make_unique<TgaHandler>();
    case kFilePcx: return std::make_unique<PcxHandler>();
    case kFileJpeg:
    case kFileGif:
    case kFileTiff:
    case kFilePng: return std::make_unique<EncoderHandler>(type);
    default: return nullptr;
    }
}

namespace {

std::recursive_mutex& RegistryMutex() {
    static std::recursive_mutex m;
    return m;
}

std::unique_ptr<ImageHandlerFactory>& RegistrySlot() {
    static std::unique_ptr<ImageHandlerFactory> slot;
    return slot;
}

}  // namespace

ImageHandlerFactory& CurrentHandlerFactory() {
    std::lock_guard lock(RegistryMutex());
    auto& slot = RegistrySlot();
    if (!slot) slot = std::make_unique<BasicHandlerFactory>();
    return *slot;
}

void InstallHandlerFactory(ImageHandlerFactory* factory) {
    std::lock_guard lock(RegistryMutex());
    auto& slot = RegistrySlot();
    if (slot.get() == factory) return;
    slot.reset(factory);
}

// ---- load and save ----------------------------------------------------------

bool CanOpenForReading(const std::string& path) {
    ClearFileError();
    const int fd = OpenRegularFile(path, nullptr);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool LoadFromFile(const std::string& path, PixelImage& image) {
    ClearFileError();
    std::unique_ptr<ImageFormatHandler> handler;
    {
        std::lock_guard lock(RegistryMutex());
        ImageHandlerFactory& factory = CurrentHandlerFactory();
        handler = factory.CreateHandler(factory.TypeFromPath(path));
    }
    if (!handler) {
        NoteFileError("Clipvane cannot read files of this type");
        return false;
    }
    // Only the first frame is used: a multi-frame reader may stop after it.
    handler->firstFrameOnly = true;
    if (!handler->LoadFile(path) || handler->Frames().empty()) {
        NoteFileError("it is not an image file Clipvane can read, or it is damaged");
        return false;
    }
    // The decoded frame is handed over, not copied.
    PixelImage& first = *handler->frames.front();
    if (first.IsEmpty()) {
        NoteFileError("it is not an image file Clipvane can read, or it is damaged");
        return false;
    }
    image = std::move(first);
    return true;
}

namespace {

std::string SizeText(const PixelImage& image) {
    return std::to_string(image.Width()) + " x " + std::to_string(image.Height()) + " pixels";
}

}  // namespace

// Checked before anything is written, so that no writer is left to fail
// half-way (or, worse, to report success for a file without pixels).
std::string FormatRefusal(ImageFileType type, const PixelImage& image) {
    const int64_t width = image.Width(), height = image.Height();
    auto sides = [&](const char* format, int64_t most) -> std::string {
        if (width <= most && height <= most) return {};
        return std::string("an image of ") + SizeText(image) + " is too large for " + format + " files (at most " +
               std::to_string(most) + " x " + std::to_string(most) + " pixels)";
    };
    // Bytes of pixel rows a writer stores, for the formats with 32-bit offsets.
    auto rowBytes = [&](int depth) { return uint64_t(StrideFor(width, depth)) * uint64_t(height); };
    constexpr uint64_t k4GiB = uint64_t(1) << 32;
    switch (type) {
    case kFileBmp:
        if (rowBytes(image.Depth()) + 2048 >= k4GiB)
            return "an image of " + SizeText(image) + " is too large for BMP files (at most 4 GiB of pixel rows)";
        return {};
    case kFileTiff: {
        // Written at 24 bits unless it is a palette image. Past rows of a few
        // hundred MiB the library writes a file without pixels and reports
        // nothing; classic TIFF offsets are 32 bits.
        const int depth = image.Depth() <= 8 ? image.Depth() : 24;
        if (uint64_t(width) * uint64_t(depth) > (uint64_t(32) << 23) || rowBytes(depth) + 4096 >= k4GiB)
            return "an image of " + SizeText(image) +
                   " is too large for TIFF files (rows of at most 32 MiB, at most 4 GiB of pixel rows)";
        return {};
    }
    case kFileTga: return sides("TGA", 65535);
    case kFilePcx: return sides("PCX", 65535);
    case kFileGif: return sides("GIF", 65535);
    case kFileJpeg: return sides("JPEG", 65500);
    case kFilePng:
        // Rows of up to four bytes a pixel plus a filter byte, deflated in memory.
        if (rowBytes(32) + uint64_t(height) >= k4GiB)
            return "an image of " + SizeText(image) +
                   " is too large for PNG files written by Clipvane (at most 4 GiB of pixel rows)";
        return {};
    default: return {};
    }
}

bool SaveToFile(const PixelImage& image, const std::string& path, int param) {
    ClearFileError();
    if (image.IsEmpty()) {
        NoteFileError("the image is empty");
        return false;
    }
    if (path.empty()) {
        NoteFileError("no file name was given");
        return false;
    }
    std::unique_ptr<ImageFormatHandler> handler;
    ImageFileType type;
    {
        std::lock_guard lock(RegistryMutex());
        ImageHandlerFactory& factory = CurrentHandlerFactory();
        type = factory.TypeFromPath(path);
        handler = factory.CreateHandler(type);
    }
    if (!handler) {
        NoteFileError("Clipvane cannot write files of this type");
        return false;
    }
    if (!PixelCountAllowed(image.Width(), image.Height())) {
        NoteFileError(PixelCountMessage(image.Width(), image.Height()));
        return false;
    }
    if (const std::string refusal = FormatRefusal(type, image); !refusal.empty()) {
        NoteFileError(refusal);
        return false;
    }
    AtomicFile out(path);
    if (!out.Ok()) return false;
    handler->targets.push_back(&image);
    if (!handler->SaveFile(out.WritePath(), param)) {
        NoteFileError("the image could not be encoded in this format");
        return false;
    }
    return out.Commit();
}

int SaveImageFile(const PixelImage& image, const std::string& path) {
    // The encoder factory is current for the duration of this one save; a
    // fresh standard factory follows it, whatever happens in between. It
    // writes PCX for the extension in any letter case: "PCX" names a PCX
    // file as much as "pcx" does, and refusing it would lose the save.
    std::lock_guard lock(RegistryMutex());
    struct Restore {
        ~Restore() { InstallHandlerFactory(new StandardHandlerFactory); }
    } restore;
    InstallHandlerFactory(new EncoderHandlerFactory);
    return SaveToFile(image, path, -1) ? 1 : 0;
}

}  // namespace clipvane
