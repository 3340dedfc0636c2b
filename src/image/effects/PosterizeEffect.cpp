#include "image/effects/PosterizeEffect.h"

#include <algorithm>
#include <cmath>

namespace clipvane {

namespace {

// Half away from zero, kept in double: with very many levels the quotient
// can exceed the int range.
double RoundHalfAwayWide(double v) { return v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5); }

}  // namespace

PosterizeEffect::PosterizeEffect(int levels, int channels) : LookupEffect(channels), levels(std::max(levels, 2)) {}

int PosterizeEffect::MapLevel(int level) {
    const double step = 255.0 / (levels - 1);
    const double k = RoundHalfAwayWide(level / step);
    const double v = RoundHalfAwayWide(step * k);
    return v <= 0 ? 0 : v >= 255 ? 255 : int(v);
}

}  // namespace clipvane
