// info FILE: size, depth and a SHA-256 of the pixel rows from the top row
// down, each row's meaningful bytes only (no padding); for a PNG with
// editable annotations also " objects=N".
#include <cstdio>
#include <string>

#include "Commands.h"
#include "annotation/EditablePng.h"
#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "imagefile/Sha256.h"

int CommandInfo(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: clipvane-image info FILE\n");
        return 2;
    }
    clipvane::PixelImage image;
    if (!LoadInput(argv[0], image)) return 1;
    std::string objects;
    if (clipvane::TypeFromPath(argv[0]) == clipvane::kFilePng) {
        clipvane::EditableContent content;
        std::string why;
        switch (clipvane::ReadEditablePng(argv[0], &image, content, why)) {
        case clipvane::EditableState::kEditable: objects = " objects=" + std::to_string(content.objects.size()); break;
        case clipvane::EditableState::kDamaged:
            std::fprintf(stderr, "clipvane-image: %s: editable annotations not used: %s\n", argv[0], why.c_str());
            break;
        case clipvane::EditableState::kPlain: break;
        }
    }
    std::printf("%dx%d %d %s%s\n", image.Width(), image.Height(), image.Depth(), clipvane::PixelDigest(image).c_str(),
                objects.c_str());
    return 0;
}
