#include <cstdio>
#include <string>

#include "Commands.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"

namespace {

// ": REASON" when the file layer knows why the last load or save failed.
std::string Reason() {
    const std::string why = clipvane::LastImageFileError();
    return why.empty() ? std::string() : ": " + why;
}

}  // namespace

bool LoadInput(const char* path, clipvane::PixelImage& image) {
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
    if (clipvane::LoadFromFile(path, image)) return true;
    std::fprintf(stderr, "clipvane-image: cannot read an image from '%s'%s\n", path, Reason().c_str());
    return false;
}

bool SaveOutput(const clipvane::PixelImage& image, const char* path) {
    if (clipvane::SaveImageFile(image, path)) return true;
    std::fprintf(stderr, "clipvane-image: cannot write '%s'%s\n", path, Reason().c_str());
    return false;
}
