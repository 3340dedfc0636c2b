#include "image/effects/EffectCommands.h"

#include "image/effects/Effects.h"

namespace clipvane {

namespace {

uint32_t SeedOrClock(const uint32_t* seed) { return seed ? *seed : TimeSeed(); }

// A colour given as 0xBBGGRR (red in the low byte) as the effects take it:
// blue in the low byte.
uint32_t ColorRefToPixel(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

}  // namespace

EffectCommandSteps PlanEffectCommand(int id, const EffectParams& params, const uint32_t* seed) {
    EffectCommandSteps steps;
    if (id < kCmdFirstEffect || id > kCmdLastEffect) return steps;
    steps.known = true;
    steps.convertTo32 = true;
    steps.normaliseTo24 = true;
    auto add = [&steps](std::unique_ptr<ImageEffect> e) { steps.effects.push_back(std::move(e)); };
    // Missing parameters take the start values of the command's dialog.
    switch (id) {
    case kCmdRotate: add(std::make_unique<RotateEffect>(params.Get(0, 45))); break;
    case kCmdRotate90: add(std::make_unique<Rotate90Effect>()); break;
    case kCmdFlipHorizontal: add(std::make_unique<FlipHorizontalEffect>()); break;
    case kCmdFlipVertical: add(std::make_unique<FlipVerticalEffect>()); break;
    case kCmdRotate270: add(std::make_unique<Rotate270Effect>()); break;
    case kCmdResize:
        // A resize record of its own: no depth conversion either way.
        steps.convertTo32 = steps.normaliseTo24 = false;
        steps.resize = true;
        steps.width = params.Get(0, 0);
        steps.height = params.Get(1, 0);
        steps.quality = params.Get(2, 1);
        break;
    case kCmdBrightnessContrast:
        // Two steps on the image as it is, brightness first.
        steps.convertTo32 = steps.normaliseTo24 = false;
        add(std::make_unique<BrightnessEffect>(params.Get(0, 100)));
        add(std::make_unique<ContrastEffect>(params.Get(1, 100)));
        break;
    case kCmdHueSaturation: add(std::make_unique<HueSaturationEffect>(params.Get(0, 100), params.Get(1, 100))); break;
    case kCmdColorTone:
        // Default: the tone dialog's start colour, red 254, green 168, blue 33.
        add(std::make_unique<ColorToneEffect>(ColorRefToPixel(uint32_t(params.Get(0, 0x21A8FE)))));
        break;
    case kCmdRgbValue:
        add(std::make_unique<RgbValueEffect>(params.Get(0, 0), params.Get(1, 0), params.Get(2, 0)));
        break;
    case kCmdColorLevel:
        add(std::make_unique<ColorLevelEffect>(false, params.Get(0, 0), params.Get(1, 255), params.Get(2, 7)));
        break;
    case kCmdGreyImage: add(std::make_unique<GreyEffect>()); break;
    case kCmdInvert: add(std::make_unique<InvertEffect>(7)); break;
    case kCmdNoisy: add(std::make_unique<ColorNoiseEffect>(params.Get(0, 100), SeedOrClock(seed))); break;
    case kCmdBlot: add(std::make_unique<GreyNoiseEffect>(params.Get(0, 50), SeedOrClock(seed))); break;
    case kCmdEmboss: add(std::make_unique<EmbossEffect>(params.Get(0, 2))); break;
    case kCmdOilPaint: add(std::make_unique<OilPaintEffect>(params.Get(0, 2))); break;
    case kCmdSplash: add(std::make_unique<SplashEffect>(params.Get(0, 5), SeedOrClock(seed))); break;
    case kCmdPosterize: add(std::make_unique<PosterizeEffect>(params.Get(0, 3))); break;
    case kCmdMosaic: add(std::make_unique<MosaicEffect>(params.Get(0, 10))); break;
    case kCmdHalftone: add(std::make_unique<HalftoneEffect>()); break;
    case kCmdBlur: add(std::make_unique<ConvolutionEffect>(MakeBlurEffect())); break;
    case kCmdGrid: add(std::make_unique<GridEffect>(params.Get(0, 64), params.Get(1, 50))); break;
    case kCmdAutoColorLevel: add(std::make_unique<ColorLevelEffect>(true, 0, 255, 7)); break;
    default: break;  // only the depth normalisation
    }
    return steps;
}

EffectParamRanges EffectCommandParamRanges(int id) {
    // The resize dialog's sides stop at 30000; its quality is Good (0) or Better (1).
    switch (id) {
    case kCmdRotate: return {{{"angle", 0, 360}, {}, {}}};
    case kCmdResize: return {{{"width", 0, 30000}, {"height", 0, 30000}, {"quality", 0, 1}}};
    case kCmdBrightnessContrast: return {{{"brightness", 0, 200}, {"contrast", 0, 200}, {}}};
    case kCmdHueSaturation: return {{{"hue", 0, 200}, {"saturation", 0, 200}, {}}};
    case kCmdColorTone: return {{{"colour", 0, 0xFFFFFF}, {}, {}}};
    case kCmdRgbValue: return {{{"red", -128, 128}, {"green", -128, 128}, {"blue", -128, 128}}};
    case kCmdColorLevel: return {{{"low", 0, 255}, {"high", 0, 255}, {"channels", 1, 7}}};
    case kCmdNoisy: return {{{"amount", 1, 200}, {}, {}}};
    case kCmdBlot: return {{{"amount", 1, 100}, {}, {}}};
    case kCmdEmboss: return {{{"strength", 1, 10}, {}, {}}};
    case kCmdOilPaint: return {{{"radius", 1, 15}, {}, {}}};
    case kCmdSplash: return {{{"spread", 3, 64}, {}, {}}};
    case kCmdPosterize: return {{{"levels", 2, 20}, {}, {}}};
    case kCmdMosaic: return {{{"block size", 2, 200}, {}, {}}};
    case kCmdGrid: return {{{"cell size", 0, 100}, {"depth", 0, 100}, {}}};
    default: return {};
    }
}

std::string CheckEffectParams(int id, const EffectParams& params) {
    const EffectParamRanges ranges = EffectCommandParamRanges(id);
    const int takes = ranges.Count();
    if (params.count > takes)
        return "command " + std::to_string(id) + " takes " + std::to_string(takes) + " parameter" +
               (takes == 1 ? "" : "s") + ", not " + std::to_string(params.count);
    for (int i = 0; i < params.count; ++i) {
        const EffectParamRange& r = ranges.params[i];
        const int32_t v = params.values[i];
        if (v < r.minimum || v > r.maximum)
            return std::string(r.name) + " " + std::to_string(v) + " of command " + std::to_string(id) +
                   " is outside " + std::to_string(r.minimum) + ".." + std::to_string(r.maximum);
    }
    return {};
}

bool EffectCommandKeepsSize(int id) {
    switch (id) {
    case kCmdBrightnessContrast:
    case kCmdHueSaturation:
    case kCmdColorTone:
    case kCmdRgbValue:
    case kCmdColorLevel:
    case kCmdGreyImage:
    case kCmdInvert:
    case kCmdNoisy:
    case kCmdBlot:
    case kCmdEmboss:
    case kCmdOilPaint:
    case kCmdSplash:
    case kCmdPosterize:
    case kCmdMosaic:
    case kCmdHalftone:
    case kCmdBlur:
    case kCmdRedact:
    case kCmdGrid:
    case kCmdAutoColorLevel: return true;
    default: return false;
    }
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
