#include "editor/dialogs/EffectTemplates.h"

#include "image/effects/EffectRegistry.h"

namespace clipvane {

int ChannelSetForRadio(int channel) {
    switch (channel) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    default: return 7;
    }
}

uint32_t ToneStartColor() {
    // The command takes 0xBBGGRR; the dialog holds blue, green, red, alpha.
    const uint32_t c = uint32_t(FindEffect(kCmdColorTone)->params[0].start);
    return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

std::unique_ptr<ImageEffect> BuildDialogEffect(int command, const EffectValues& v) {
    const EffectEntry* entry = FindEffect(command);
    if (!entry) return nullptr;
    EffectParams params;
    switch (entry->dialog) {
    case EffectDialog::Sliders:
        for (int i = 0; i < entry->ParamCount(); ++i) {
            const bool scaled = entry->params[i].scalesWithImage;
            params.values[params.count++] = scaled ? int32_t(v.value[i] * v.scale) : v.value[i];
        }
        break;
    case EffectDialog::ColorLevel:
        params = EffectParams{{v.value[0], v.value[1], ChannelSetForRadio(v.channel)}, 3};
        break;
    case EffectDialog::ColorTone: {
        // Held as blue, green, red bytes; the command takes 0xBBGGRR.
        const uint32_t b = v.toneColor & 0xFF, g = (v.toneColor >> 8) & 0xFF, r = (v.toneColor >> 16) & 0xFF;
        params = EffectParams{{int32_t((b << 16) | (g << 8) | r)}, 1};
        break;
    }
    default: return nullptr;
    }
    EffectCommandSteps steps = PlanEffectCommand(command, params);
    if (steps.effects.empty()) return nullptr;
    return std::move(steps.effects.front());
}

}  // namespace clipvane
