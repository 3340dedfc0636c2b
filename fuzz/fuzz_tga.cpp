// The TGA reader takes any bytes: it must refuse or decode, never read past
// the buffer or allocate past the limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/files/Handlers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    cv::TgaHandler handler;
    if (handler.LoadMemory(copy.data(), copy.size())) {
        const cv::PixelImage& image = *handler.Frames().front();
        volatile uint32_t sink = image.GetPixel(image.Width() - 1, image.Height() - 1);
        (void)sink;
    }
    return 0;
}
