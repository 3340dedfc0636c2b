#include "editor/dialogs/EffectTemplates.h"

#include "image/effects/EffectCommands.h"

namespace clipvane {

namespace {

const EffectTemplate kTemplates[] = {
    {kTplColorLevel, "Color level", kCmdColorLevel, {{"Down", 0, 255, 0}, {"Up", 0, 255, 255}, {}}},
    {kTplRgbValue, "RGB Value", kCmdRgbValue, {{"R", -128, 128, 0}, {"G", -128, 128, 0}, {"B", -128, 128, 0}}},
    {kTplHueSaturation, "Hue/Saturation", kCmdHueSaturation, {{"Hue", 0, 200, 100}, {"Saturation", 0, 200, 100}, {}}},
    {kTplNoisy, "Noisy", kCmdNoisy, {{"Amount", 1, 200, 100}, {}, {}}},
    {kTplBlot, "Blot", kCmdBlot, {{"Amount", 1, 100, 50}, {}, {}}},
    {kTplEmboss, "Emboss", kCmdEmboss, {{"Strength", 1, 10, 2}, {}, {}}},
    {kTplOilPaint, "Oil Paint", kCmdOilPaint, {{"Radius", 1, 15, 2}, {}, {}}},
    {kTplSplash, "Splash", kCmdSplash, {{"Spread", 3, 64, 5}, {}, {}}},
    {kTplPosterize, "Posterize", kCmdPosterize, {{"Levels", 2, 20, 3}, {}, {}}},
    {kTplMosaic, "Mosaic", kCmdMosaic, {{"Block size", 2, 200, 10}, {}, {}}},
    {kTplGrid, "3D Grid", kCmdGrid, {{"Cell size", 0, 100, 64}, {"Depth", 0, 100, 50}, {}}},
    {kTplColorTone, "Color Tone", kCmdColorTone, {{}, {}, {}}},
    {kTplRotate, "Rotate", kCmdRotate, {{"Angle", 0, 360, 45}, {}, {}}},
};

}  // namespace

const EffectTemplate* FindEffectTemplate(int templateId) {
    for (const EffectTemplate& t : kTemplates)
        if (t.templateId == templateId) return &t;
    return nullptr;
}

int TemplateForCommand(int command) {
    for (const EffectTemplate& t : kTemplates)
        if (t.command == command) return t.templateId;
    return 0;
}

int ChannelSetForRadio(int channel) {
    switch (channel) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    default: return 7;
    }
}

std::unique_ptr<ImageEffect> BuildTemplateEffect(int templateId, const EffectValues& v) {
    const EffectTemplate* t = FindEffectTemplate(templateId);
    if (!t) return nullptr;
    EffectParams params;
    auto set = [&params](std::initializer_list<int32_t> values) {
        for (int32_t x : values) params.values[params.count++] = x;
    };
    switch (templateId) {
    case kTplColorLevel: set({v.value[0], v.value[1], ChannelSetForRadio(v.channel)}); break;
    case kTplRgbValue: set({v.value[0], v.value[1], v.value[2]}); break;
    case kTplHueSaturation:
    case kTplGrid: set({v.value[0], v.value[1]}); break;
    case kTplOilPaint:
    case kTplSplash:
    case kTplMosaic: set({int32_t(v.value[0] * v.scale)}); break;
    case kTplColorTone: {
        // Stored as blue, green, red bytes; the command takes 0xBBGGRR.
        const uint32_t b = v.toneColor & 0xFF, g = (v.toneColor >> 8) & 0xFF, r = (v.toneColor >> 16) & 0xFF;
        set({int32_t((b << 16) | (g << 8) | r)});
        break;
    }
    default: set({v.value[0]}); break;
    }
    EffectCommandSteps steps = PlanEffectCommand(t->command, params);
    if (steps.effects.empty()) return nullptr;
    return std::move(steps.effects.front());
}

}  // namespace clipvane
