// convert IN OUT: load through the standard readers, save through the
// document's save routine (type from OUT's extension).
#include <cstdio>

#include "Commands.h"
#include "image/PixelImage.h"

int CommandConvert(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: clipvane-image convert IN OUT\n");
        return 2;
    }
    clipvane::PixelImage image;
    return LoadInput(argv[0], image) && SaveOutput(image, argv[1]) ? 0 : 1;
}
