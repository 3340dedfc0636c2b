#pragma once
// Copies an image's pixels a slice at a time, so that a thread with a time
// budget per turn (the user-interface thread) can take a snapshot of a large
// image without a long stall: Begin shapes an empty target (fresh anonymous
// pages, no copying), each Step copies until its budget is spent.
#include <cstddef>
#include <cstdint>

#include "image/PixelImage.h"

namespace clipvane {

class SlicedCopy {
public:
    enum Result { kMore, kDone, kSourceChanged };

    // Shapes `target` like `source` (size, depth, masks, palette, origin).
    // False when the storage is refused. An empty source is done at once.
    bool Begin(const PixelImage& source, PixelImage& target);
    // Copies slices of `sliceBytes` until `budgetNs` nanoseconds have passed
    // (at least one slice). kSourceChanged when `source` is no longer the
    // storage Begin saw (re-created or resized): the copy must start again.
    Result Step(const PixelImage& source, PixelImage& target, int64_t budgetNs, size_t sliceBytes = 512 * 1024);
    bool Done() const { return copied_ >= total_; }

private:
    const uint8_t* source_ = nullptr;
    size_t total_ = 0;
    size_t copied_ = 0;
};

}  // namespace clipvane
