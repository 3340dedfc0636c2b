// The TGA reader takes any bytes: it must refuse or decode, never read past
// the buffer or allocate past the limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imagefile/Handlers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Headers that promise more than 64 MiB of pixels are refused or
    // allocated without being read (the limit itself is unit-tested); the
    // fuzzer's time is better spent on the layouts.
    if (size >= 18) {
        const int64_t w = data[12] | (data[13] << 8), h = data[14] | (data[15] << 8), bits = data[16];
        if ((w * bits / 8 + 8) * h > (int64_t(64) << 20)) return 0;  // rows and row table
    }
    std::vector<uint8_t> copy(data, data + size);
    clipvane::TgaHandler handler;
    if (handler.LoadMemory(copy.data(), copy.size())) {
        const clipvane::PixelImage& image = *handler.Frames().front();
        volatile uint32_t sink = image.GetPixel(image.Width() - 1, image.Height() - 1);
        (void)sink;
    }
    return 0;
}
