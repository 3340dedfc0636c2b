// info FILE: size, depth and a SHA-256 of the pixel rows from the top row
// down, each row's meaningful bytes only (no padding).
#include <cstdio>

#include "Commands.h"
#include "image/PixelImage.h"
#include "imagefile/Sha256.h"

int CommandInfo(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: clipvane-image info FILE\n");
        return 2;
    }
    clipvane::PixelImage image;
    if (!LoadInput(argv[0], image)) return 1;
    std::printf("%dx%d %d %s\n", image.Width(), image.Height(), image.Depth(), clipvane::PixelDigest(image).c_str());
    return 0;
}
