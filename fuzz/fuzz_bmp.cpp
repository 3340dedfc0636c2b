// The BMP reader takes any bytes: it must refuse or decode, never read past
// the buffer or allocate past the limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imagefile/Handlers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Headers that promise more than 64 MiB of pixels are refused or
    // allocated without being read (the limit itself is unit-tested); the
    // fuzzer's time is better spent on the layouts.
    if (size >= 30) {
        const int64_t w = int32_t(data[18] | (data[19] << 8) | (data[20] << 16) | (uint32_t(data[21]) << 24));
        const int64_t h = int32_t(data[22] | (data[23] << 8) | (data[24] << 16) | (uint32_t(data[25]) << 24));
        const int64_t bits = data[28] | (data[29] << 8);
        // In floating point: width x depth x height overflows 64 bits.
        if (w > 0 && h > 0 && (double(w) * double(bits) / 8 + 12) * double(h) > double(64 << 20)) return 0;
    }
    // A copy of exactly `size` bytes, so that any over-read hits the
    // sanitiser's red zone.
    std::vector<uint8_t> copy(data, data + size);
    clipvane::BmpHandler handler;
    if (handler.LoadMemory(copy.data(), copy.size())) {
        const clipvane::PixelImage& image = *handler.Frames().front();
        volatile uint32_t sink = image.GetPixel(image.Width() - 1, image.Height() - 1);
        (void)sink;
    }
    return 0;
}
