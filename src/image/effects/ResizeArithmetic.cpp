#include "image/effects/ResizeArithmetic.h"

#include <climits>
#include <cmath>

namespace clipvane {

namespace {

int Proportional(int typed, int typedBase, int otherBase, int current) {
    if (typedBase <= 0) return current;
    const double v = double(otherBase) * typed / typedBase;
    const double r = v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
    return r >= INT_MAX ? INT_MAX : r <= INT_MIN ? INT_MIN : int(r);
}

}  // namespace

int ProportionalHeight(int width, int imageWidth, int imageHeight, int currentHeight) {
    return Proportional(width, imageWidth, imageHeight, currentHeight);
}

int ProportionalWidth(int height, int imageWidth, int imageHeight, int currentWidth) {
    return Proportional(height, imageHeight, imageWidth, currentWidth);
}

}  // namespace clipvane
