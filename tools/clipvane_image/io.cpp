#include <cstdio>

#include "Commands.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"

bool LoadInput(const char* path, clipvane::PixelImage& image) {
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
    if (clipvane::LoadFromFile(path, image)) return true;
    std::fprintf(stderr, "clipvane-image: cannot read an image from '%s'\n", path);
    return false;
}

bool SaveOutput(const clipvane::PixelImage& image, const char* path) {
    if (clipvane::SaveImageFile(image, path)) return true;
    std::fprintf(stderr, "clipvane-image: cannot write '%s'\n", path);
    return false;
}
