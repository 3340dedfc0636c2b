#include "imagefile/ImageFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <mutex>

#include "imagefile/AtomicFile.h"
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

bool ImageFormatHandler::LoadFile(const std::string& path) {
    // Only regular files: opening a pipe would wait for a writer.
    struct stat before {};
    if (stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) return false;
    FILE* f = std::fopen(path.c_str(), "rbe");
    if (!f) return false;
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        uint64_t(st.st_size) > (uint64_t(1) << 31)) {
        std::fclose(f);
        return false;
    }
    std::vector<uint8_t> data(size_t(st.st_size));
    const size_t got = std::fread(data.data(), 1, data.size(), f);
    std::fclose(f);
    if (got != data.size()) return false;
    return LoadMemory(data.data(), data.size());
}

bool ImageFormatHandler::LoadMemory(const uint8_t*, size_t) { return false; }

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
    case kFileJpeg:
    case kFileGif: return std::make_unique<FreeImageHandler>();
    default: return nullptr;
    }
}

std::unique_ptr<ImageFormatHandler> StandardHandlerFactory::CreateHandler(ImageFileType type) const {
    switch (type) {
    case kFileBmp: return std::make_unique<BmpHandler>();
    case kFileTga: return std::make_unique<TgaHandler>();
    case kFilePcx: return std::make_unique<PcxHandler>();
    case kFileJpeg:
    case kFileGif:
    case kFileTiff:
    case kFilePng:
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

bool LoadFromFile(const std::string& path, PixelImage& image) {
    std::unique_ptr<ImageFormatHandler> handler;
    {
        std::lock_guard lock(RegistryMutex());
        ImageHandlerFactory& factory = CurrentHandlerFactory();
        handler = factory.CreateHandler(factory.TypeFromPath(path));
    }
    if (!handler || !handler->LoadFile(path) || handler->Frames().empty()) return false;
    const PixelImage& first = *handler->Frames().front();
    PixelImage copy(first);
    if (copy.IsEmpty()) return false;
    image = std::move(copy);
    return true;
}

bool SaveToFile(const PixelImage& image, const std::string& path, int param) {
    if (image.IsEmpty() || path.empty()) return false;
    std::unique_ptr<ImageFormatHandler> handler;
    {
        std::lock_guard lock(RegistryMutex());
        ImageHandlerFactory& factory = CurrentHandlerFactory();
        handler = factory.CreateHandler(factory.TypeFromPath(path));
    }
    if (!handler) return false;
    AtomicFile out(path);
    if (!out.Ok()) return false;
    handler->targets.push_back(&image);
    if (!handler->SaveFile(out.WritePath(), param)) return false;
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
