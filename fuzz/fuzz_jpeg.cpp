// The JPEG reader (libjpeg-turbo in this process) takes any bytes: it must refuse or
// decode, never read past the buffer, leak, or leave a half image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/PixelLimit.h"
#include "imagefile/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Sizes past 16 megapixels are refused from the header (the limit itself
    // is unit-tested); the fuzzer's time is better spent on the layouts.
    clipvane::SetMaxPixelCount(uint64_t(1) << 24);
    std::vector<uint8_t> copy(data, data + size);
    clipvane::PixelImage image;
    if (clipvane::DecodeJpeg(copy.data(), copy.size(), image)) {
        volatile uint32_t sink = image.GetPixel(image.Width() - 1, image.Height() - 1);
        (void)sink;
    } else if (!image.IsEmpty()) {
        __builtin_trap();  // a failed decode hands nothing over
    }
    return 0;
}
