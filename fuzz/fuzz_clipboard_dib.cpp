// The clipboard bitmap reader takes any bytes (a BMP file or a bare bitmap):
// it must refuse or decode, never read past the buffer or allocate past the
// limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"
#include "imagefile/DibReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so that any over-read hits the
    // sanitiser's red zone.
    std::vector<uint8_t> copy(data, data + size);
    clipvane::PixelImage image;
    if (clipvane::ReadDibFromMemory(copy.data(), copy.size(), image)) {
        volatile uint32_t sink = image.GetPixel(image.Width() - 1, image.Height() - 1);
        (void)sink;
    }
    return 0;
}
