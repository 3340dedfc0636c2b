#pragma once
// Copies an image's pixels a slice at a time, so that a thread with a time
// budget per turn (the user-interface thread) can take a snapshot of a large
// image without a long stall. Begin only records the shape and reserves
// memory that the system maps lazily (a PixelImage would map and fill its
// pages at once, a stall of its own for a 4K image); each Step copies until
// its budget is spent; TakeImage, run on the worker, builds the image.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

class SlicedCopy {
public:
    enum Result { kMore, kDone, kSourceChanged };

    // Records the shape of `source` (size, depth, masks, palette, origin) and
    // reserves its bytes. False when the memory is refused. An empty source
    // is done at once.
    bool Begin(const PixelImage& source);
    // Copies slices of `sliceBytes` until `budgetNs` nanoseconds have passed
    // (at least one slice). kSourceChanged when `source` is no longer the
    // storage Begin saw (re-created or resized): the copy must start again.
    Result Step(const PixelImage& source, int64_t budgetNs, size_t sliceBytes = 512 * 1024);
    bool Done() const { return copied_ >= total_; }
    // The copied image (empty for an empty source); false when it is not
    // done or the image's storage is refused. Frees the copy.
    bool TakeImage(PixelImage& image);

private:
    const uint8_t* source_ = nullptr;
    BitmapInfoHeader info_{};
    uint32_t masks_[3] = {};
    std::vector<RgbQuad> palette_;
    int originX_ = 0, originY_ = 0;
    std::unique_ptr<uint8_t[]> bytes_;
    size_t total_ = 0;
    size_t copied_ = 0;
};

}  // namespace clipvane
