#include <cstdio>

#include "Commands.h"
#include "document/files/ImageFile.h"
#include "document/files/ImageHandler.h"

bool LoadInput(const char* path, cv::PixelImage& image) {
    cv::InstallHandlerFactory(new cv::StandardHandlerFactory);
    if (cv::LoadFromFile(path, image)) return true;
    std::fprintf(stderr, "clipvane-image: cannot read an image from '%s'\n", path);
    return false;
}

bool SaveOutput(const cv::PixelImage& image, const char* path) {
    if (cv::SaveImageFile(image, path)) return true;
    std::fprintf(stderr, "clipvane-image: cannot write '%s'\n", path);
    return false;
}
