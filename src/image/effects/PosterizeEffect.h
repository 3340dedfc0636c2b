#pragma once
// Posterize: each channel snaps to the nearest of `levels` evenly spaced levels.
#include "image/ImageEffect.h"

namespace clipvane {

class PosterizeEffect : public LookupEffect {
public:
    explicit PosterizeEffect(int levels, int channels = 7);
    int MapLevel(int level) override;

private:
    int32_t levels;
};

}  // namespace clipvane
