// Serialised images come back from buffers that may be damaged: loading must
// refuse anything that does not hold a whole image, and never read past it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    clipvane::PixelImage image;
    if (image.Serialize(false, copy.data(), copy.size()) == 0) return 0;
    std::vector<uint8_t> out(image.SerializedSize());
    image.Serialize(true, out.data(), out.size());
    return 0;
}
