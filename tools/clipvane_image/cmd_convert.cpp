// convert IN OUT: load through the standard readers, save through the
// document's save routine (type from OUT's extension).
#include <cstdio>

#include "Commands.h"
#include "document/files/ImageFile.h"
#include "document/files/ImageHandler.h"

int CommandConvert(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: clipvane-image convert IN OUT\n");
        return 2;
    }
    cv::InstallHandlerFactory(new cv::StandardHandlerFactory);
    cv::PixelImage image;
    if (!cv::LoadFromFile(argv[0], image)) {
        std::fprintf(stderr, "clipvane-image: cannot read an image from '%s'\n", argv[0]);
        return 1;
    }
    if (!cv::SaveImageFile(image, argv[1])) {
        std::fprintf(stderr, "clipvane-image: cannot write '%s'\n", argv[1]);
        return 1;
    }
    return 0;
}
