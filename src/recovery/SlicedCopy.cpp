#include "recovery/SlicedCopy.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace clipvane {

bool SlicedCopy::Begin(const PixelImage& source, PixelImage& target) {
    source_ = source.Bits();
    total_ = copied_ = 0;
    target = PixelImage();
    if (source.IsEmpty()) return true;
    const uint32_t masks[3] = {source.RedMask(), source.GreenMask(), source.BlueMask()};
    if (!target.CreateFromHeader(source.Info(), masks) || target.ByteCount() != source.ByteCount()) return false;
    target.CopyPalette(source);
    target.originX = source.originX;
    target.originY = source.originY;
    total_ = source.ByteCount();
    return true;
}

SlicedCopy::Result SlicedCopy::Step(const PixelImage& source, PixelImage& target, int64_t budgetNs, size_t sliceBytes) {
    if (Done()) return kDone;
    if (source.Bits() != source_ || source.ByteCount() != total_ || target.ByteCount() != total_) return kSourceChanged;
    const auto start = std::chrono::steady_clock::now();
    do {
        const size_t n = std::min(sliceBytes, total_ - copied_);
        std::memcpy(target.Bits() + copied_, source_ + copied_, n);
        copied_ += n;
    } while (!Done() &&
             std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count() <
                 budgetNs);
    return Done() ? kDone : kMore;
}

}  // namespace clipvane
