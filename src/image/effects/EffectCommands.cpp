#include "image/effects/EffectCommands.h"

#include "image/effects/EffectRegistry.h"

namespace clipvane {

EffectCommandSteps PlanEffectCommand(int id, const EffectParams& params, const uint32_t* seed) {
    EffectCommandSteps steps;
    if (id < kCmdFirstEffect || id > kCmdLastEffect) return steps;
    steps.known = true;
    steps.convertTo32 = true;
    steps.normaliseTo24 = true;
    const EffectEntry* entry = FindEffect(id);
    if (!entry || !entry->plan) return steps;  // only the depth normalisation
    // Missing parameters take the start values of the command's dialog.
    int32_t values[3];
    for (int i = 0; i < 3; ++i) values[i] = params.Get(i, entry->params[i].start);
    entry->plan(values, seed, steps);
    return steps;
}

std::string CheckEffectParams(int id, const EffectParams& params) {
    const EffectEntry* entry = FindEffect(id);
    const int takes = entry ? entry->ParamCount() : 0;
    if (params.count > takes)
        return "command " + std::to_string(id) + " takes " + std::to_string(takes) + " parameter" +
               (takes == 1 ? "" : "s") + ", not " + std::to_string(params.count);
    for (int i = 0; i < params.count; ++i) {
        const EffectParam& p = entry->params[i];
        const int32_t v = params.values[i];
        if (v < p.minimum || v > p.maximum)
            return std::string(p.name) + " " + std::to_string(v) + " of command " + std::to_string(id) +
                   " is outside " + std::to_string(p.minimum) + ".." + std::to_string(p.maximum);
    }
    return {};
}

bool EffectCommandKeepsSize(int id) {
    const EffectEntry* entry = FindEffect(id);
    return entry && entry->keepsSize;
}

void NormaliseTo24(PixelImage& image) {
    if (!image.IsEmpty() && image.Depth() != 24) image.ConvertTo(24);
}

bool RunEffectCommand(int id, const EffectParams& params, PixelImage& image, ProgressReporter* progress,
                      const uint32_t* seed) {
    EffectCommandSteps steps = PlanEffectCommand(id, params, seed);
    if (!steps.known) return false;
    if (steps.convertTo32) image.ConvertTo(32);
    for (auto& effect : steps.effects) image.ApplyEffect(*effect, progress);
    if (steps.resize) {
        if (steps.quality == 0)
            image.Resize(steps.width, steps.height);
        else if (steps.quality == 1)
            image.ResizeSmooth(steps.width, steps.height, progress);
    }
    if (steps.normaliseTo24) NormaliseTo24(image);
    return true;
}

}  // namespace clipvane
