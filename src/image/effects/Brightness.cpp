#include "image/effects/Brightness.h"

#include <algorithm>

namespace clipvane {

namespace {

// 64-bit products: a large percent must clamp, not overflow.
int Clamp255Wide(int64_t v) { return v < 0 ? 0 : v > 255 ? 255 : int(v); }

}  // namespace

BrightnessEffect::BrightnessEffect(int percent) : LookupEffect(7), percent(std::max(percent, 0)) {}

int BrightnessEffect::MapLevel(int level) { return Clamp255Wide(int64_t(level) * percent / 100); }

ContrastEffect::ContrastEffect(int percent) : LookupEffect(7), percent(std::max(percent, 0)) {}

int ContrastEffect::MapLevel(int level) {
    // C++ division truncates toward zero, as the levels below 128 need.
    return Clamp255Wide(int64_t(level - 128) * percent / 100 + 128);
}

}  // namespace clipvane
