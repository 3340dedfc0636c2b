#include "recovery/SlicedCopy.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace clipvane {

bool SlicedCopy::Begin(const PixelImage& source) {
    source_ = source.Bits();
    bytes_.reset();
    total_ = copied_ = 0;
    if (source.IsEmpty()) return true;
    info_ = source.Info();
    masks_[0] = source.RedMask();
    masks_[1] = source.GreenMask();
    masks_[2] = source.BlueMask();
    palette_ = source.Palette();
    originX_ = source.originX;
    originY_ = source.originY;
    // Left uninitialised: large blocks come as untouched pages, filled by Step.
    bytes_.reset(new (std::nothrow) uint8_t[source.ByteCount()]);
    if (!bytes_) return false;
    total_ = source.ByteCount();
    return true;
}

SlicedCopy::Result SlicedCopy::Step(const PixelImage& source, int64_t budgetNs, size_t sliceBytes) {
    if (Done()) return kDone;
    if (source.Bits() != source_ || source.ByteCount() != total_) return kSourceChanged;
    const auto start = std::chrono::steady_clock::now();
    do {
        const size_t n = std::min(sliceBytes, total_ - copied_);
        std::memcpy(bytes_.get() + copied_, source_ + copied_, n);
        copied_ += n;
    } while (!Done() &&
             std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count() <
                 budgetNs);
    return Done() ? kDone : kMore;
}

bool SlicedCopy::TakeImage(PixelImage& image) {
    if (!Done()) return false;
    image = PixelImage();
    if (!bytes_) return true;
    PixelImage made;
    if (!made.CreateFromHeader(info_, masks_) || made.ByteCount() != total_) return false;
    if (!palette_.empty()) made.SetPalette(0, int(palette_.size()), palette_.data());
    std::memcpy(made.Bits(), bytes_.get(), total_);
    made.originX = originX_;
    made.originY = originY_;
    bytes_.reset();
    image = std::move(made);
    return true;
}

}  // namespace clipvane
