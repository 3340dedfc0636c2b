#pragma once
// The layouts of the effect dialog: title, command, sliders with their labels,
// ranges and start values, and the effect each one builds from its values.
#include <memory>

#include "image/ImageEffect.h"

namespace clipvane {

struct SliderSpec {
    const char* label = nullptr;  // null: the slider is absent
    int minimum = 0;
    int maximum = 0;
    int start = 0;
};

struct EffectTemplate {
    int templateId = 0;
    const char* title = "";
    int command = 0;
    SliderSpec sliders[3];
};

enum EffectTemplateId {
    kTplColorLevel = 172,
    kTplRgbValue = 173,
    kTplHueSaturation = 174,
    kTplNoisy = 190,
    kTplBlot = 191,
    kTplEmboss = 192,
    kTplOilPaint = 193,
    kTplSplash = 194,
    kTplPosterize = 195,
    kTplMosaic = 196,
    kTplGrid = 197,
    kTplColorTone = 200,
    kTplRotate = 201,
};

// The template of a layout id, or null for an unknown id.
const EffectTemplate* FindEffectTemplate(int templateId);
// The layout a command opens (0 when the command has no effect dialog).
int TemplateForCommand(int command);

// The values a dialog holds when it builds its effect.
struct EffectValues {
    int value[3] = {0, 0, 0};
    int channel = 0;         // Color Level radio: 0 RGB, 1 R, 2 G, 3 B
    uint32_t toneColor = 0;  // Color Tone: bytes blue, green, red, alpha
    double scale = 1.0;      // 1 for the image; thumbnail size / image size for the thumbnail
};

// Colour-level channel set for a radio index (RGB 7, R 1, G 2, B 4).
int ChannelSetForRadio(int channel);
// The colour tone's start colour: red 254, green 168, blue 33.
inline constexpr uint32_t kToneStartColor = 0xFFFEA821u;

// The effect of a layout for the given values; null for an unknown layout.
// Oil paint, splash and mosaic sizes are multiplied by `scale` (truncated).
std::unique_ptr<ImageEffect> BuildTemplateEffect(int templateId, const EffectValues& values);

}  // namespace clipvane
