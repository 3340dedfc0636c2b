#pragma once
// Brightness and contrast as level tables; 100 percent leaves levels alone.
#include "image/ImageEffect.h"

namespace clipvane {

class BrightnessEffect : public LookupEffect {
public:
    explicit BrightnessEffect(int percent);
    int MapLevel(int level) override;  // Clamp255(level x percent / 100)

private:
    int32_t percent;
};

class ContrastEffect : public LookupEffect {
public:
    explicit ContrastEffect(int percent);
    int MapLevel(int level) override;  // Clamp255((level - 128) x percent / 100 + 128)

private:
    int32_t percent;
};

}  // namespace clipvane
