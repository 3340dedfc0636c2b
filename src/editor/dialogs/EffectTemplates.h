#pragma once
// The effect a preview dialog builds from its controls, by the command's
// entry in the effect registry (its sliders, ranges and start values).
#include <memory>

#include "image/ImageEffect.h"

namespace clipvane {

// The values a dialog holds when it builds its effect.
struct EffectValues {
    int value[3] = {0, 0, 0};
    int channel = 0;         // Color Level radio: 0 RGB, 1 R, 2 G, 3 B
    uint32_t toneColor = 0;  // Color Tone: bytes blue, green, red, alpha
    double scale = 1.0;      // 1 for the image; thumbnail size / image size for the thumbnail
};

// Colour-level channel set for a radio index (RGB 7, R 1, G 2, B 4).
int ChannelSetForRadio(int channel);
// The colour tone's start colour (bytes blue, green, red, alpha).
uint32_t ToneStartColor();

// The effect of command `command` for the given values; null for a command
// without a preview dialog. Parameters that are sizes in image pixels are
// multiplied by `scale` (truncated).
std::unique_ptr<ImageEffect> BuildDialogEffect(int command, const EffectValues& values);

}  // namespace clipvane
