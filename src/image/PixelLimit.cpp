#include "image/PixelLimit.h"

#include <atomic>
#include <cstdio>

namespace clipvane {

namespace {

std::atomic<uint64_t> g_maxPixelCount{kDefaultMaxPixelCount};

std::string Megapixels(uint64_t pixels) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(pixels) / double(1 << 20));
    return text;
}

}  // namespace

uint64_t MaxPixelCount() { return g_maxPixelCount.load(std::memory_order_relaxed); }

void SetMaxPixelCount(uint64_t count) {
    g_maxPixelCount.store(count ? count : kDefaultMaxPixelCount, std::memory_order_relaxed);
}

bool PixelCountAllowed(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
    return uint64_t(width) * uint64_t(height) <= MaxPixelCount();
}

std::string PixelCountMessage(int64_t width, int64_t height) {
    const uint64_t pixels = width > 0 && height > 0 ? uint64_t(width) * uint64_t(height) : 0;
    return "the image is " + std::to_string(width) + " x " + std::to_string(height) + " pixels (" + Megapixels(pixels) +
           " megapixels), more than the limit of " + Megapixels(MaxPixelCount()) + " megapixels";
}

}  // namespace clipvane
