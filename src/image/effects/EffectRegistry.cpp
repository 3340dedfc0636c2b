#include "image/effects/EffectRegistry.h"

#include "image/effects/Effects.h"

namespace clipvane {

namespace {

#define TR(text) CLIPVANE_TR_NOOP("Effects", text)

uint32_t SeedOrClock(const uint32_t* seed) { return seed ? *seed : TimeSeed(); }

// A colour given as 0xBBGGRR (red in the low byte) as the effects take it:
// blue in the low byte.
uint32_t ColorRefToPixel(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

template <typename Effect, typename... Args>
void Add(EffectCommandSteps& steps, Args&&... args) {
    steps.effects.push_back(std::make_unique<Effect>(std::forward<Args>(args)...));
}

// The plan of a command whose effect takes no parameters.
template <typename Effect>
void PlanPlain(const int32_t*, const uint32_t*, EffectCommandSteps& steps) {
    Add<Effect>(steps);
}

// The plan of a command whose effect takes its one parameter.
template <typename Effect>
void PlanOne(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) {
    Add<Effect>(steps, v[0]);
}

// The plan of a random effect: its one parameter and the seed.
template <typename Effect>
void PlanRandom(const int32_t* v, const uint32_t* seed, EffectCommandSteps& steps) {
    Add<Effect>(steps, v[0], SeedOrClock(seed));
}

void PlanResize(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) {
    // A resize record of its own: no depth conversion either way.
    steps.convertTo32 = steps.normaliseTo24 = false;
    steps.resize = true;
    steps.width = v[0];
    steps.height = v[1];
    steps.quality = v[2];
}

void PlanBrightnessContrast(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) {
    // Two steps on the image as it is, brightness first.
    steps.convertTo32 = steps.normaliseTo24 = false;
    Add<BrightnessEffect>(steps, v[0]);
    Add<ContrastEffect>(steps, v[1]);
}

const EffectParam kAngle{"angle", TR("Angle"), 0, 360, 45, "degrees"};
const EffectParam kPercent[2] = {{"brightness", TR("&Brightness"), 0, 200, 100, "%"},
                                 {"contrast", TR("&Contrast"), 0, 200, 100, "%"}};
const EffectParam kSide[2] = {{"width", nullptr, 0, 30000, 0, "px"}, {"height", nullptr, 0, 30000, 0, "px"}};
const EffectParam kQuality{"quality", nullptr, 0, 1, 1};  // 0 nearest, 1 smooth
const EffectParam kOffset[3] = {
    {"red", TR("R"), -128, 128, 0}, {"green", TR("G"), -128, 128, 0}, {"blue", TR("B"), -128, 128, 0}};

void PlanHueSaturation(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) {
    Add<HueSaturationEffect>(steps, v[0], v[1]);
}

void PlanColorTone(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) {
    Add<ColorToneEffect>(steps, ColorRefToPixel(uint32_t(v[0])));
}

void PlanRgbValue(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) {
    Add<RgbValueEffect>(steps, v[0], v[1], v[2]);
}

void PlanColorLevel(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) {
    Add<ColorLevelEffect>(steps, false, v[0], v[1], v[2]);
}

void PlanAutoColorLevel(const int32_t*, const uint32_t*, EffectCommandSteps& steps) {
    Add<ColorLevelEffect>(steps, true, 0, 255, 7);
}

void PlanInvert(const int32_t*, const uint32_t*, EffectCommandSteps& steps) { Add<InvertEffect>(steps, 7); }

void PlanBlur(const int32_t*, const uint32_t*, EffectCommandSteps& steps) {
    Add<ConvolutionEffect>(steps, MakeBlurEffect());
}

void PlanGrid(const int32_t* v, const uint32_t*, EffectCommandSteps& steps) { Add<GridEffect>(steps, v[0], v[1]); }

using D = EffectDialog;
constexpr bool kKeepsSize = true, kChangesSize = false;
constexpr bool kKeepsDepth = true, kNormalises = false;

// Each entry: id, short name, menu text, tip, dialog title, dialog, size,
// depth after the dialog, parameters, plan.
// clang-format off
const EffectEntry kEntries[] = {
    {kCmdRotate, "rotate", TR("Rotate..."), TR("Rotate by any angle"), TR("Rotate"), D::Sliders, kChangesSize,
     kNormalises, {kAngle}, PlanOne<RotateEffect>},
    {kCmdRotate90, "rotate-90", TR("&Rotate 90"), TR("Rotate 90 degrees clockwise"), nullptr, D::None, kChangesSize,
     kNormalises, {}, PlanPlain<Rotate90Effect>},
    {kCmdRotate270, "rotate-270", TR("Rotate 270"), TR("Rotate 90 degrees counter-clockwise"), nullptr, D::None,
     kChangesSize, kNormalises, {}, PlanPlain<Rotate270Effect>},
    {kCmdFlipHorizontal, "flip-horizontal", TR("Flip Horizontally"), TR("Mirror left to right"), nullptr, D::None,
     kChangesSize, kNormalises, {}, PlanPlain<FlipHorizontalEffect>},
    {kCmdFlipVertical, "flip-vertical", TR("Flip Vertically"), TR("Mirror top to bottom"), nullptr, D::None,
     kChangesSize, kNormalises, {}, PlanPlain<FlipVerticalEffect>},
    {kCmdResize, "resize", TR("Resize..."), TR("Change the image size"), TR("Resize"), D::Resize, kChangesSize,
     kNormalises, {kSide[0], kSide[1], kQuality}, PlanResize},
    {kCmdBrightnessContrast, "brightness-contrast", TR("Brightness/Contrast"), TR("Adjust brightness and contrast"),
     TR("Brightness/Contrast"), D::BrightnessContrast, kKeepsSize, kKeepsDepth, {kPercent[0], kPercent[1]},
     PlanBrightnessContrast},
    {kCmdHueSaturation, "hue-saturation", TR("Hue/Saturation"), TR("Adjust hue and saturation"),
     TR("Hue/Saturation"), D::Sliders, kKeepsSize, kKeepsDepth,
     {{"hue", TR("Hue"), 0, 200, 100}, {"saturation", TR("Saturation"), 0, 200, 100, "%"}}, PlanHueSaturation},
    // The tone's start colour: red 254, green 168, blue 33.
    {kCmdColorTone, "color-tone", TR("Color Tone"), TR("Tint the image with one colour"), TR("Color Tone"),
     D::ColorTone, kKeepsSize, kNormalises, {{"colour", nullptr, 0, 0xFFFFFF, 0x21A8FE, "0xBBGGRR"}}, PlanColorTone},
    {kCmdRgbValue, "rgb-value", TR("&RGB Value"), TR("Shift the red, green and blue values"), TR("RGB Value"),
     D::Sliders, kKeepsSize, kNormalises, {kOffset[0], kOffset[1], kOffset[2]}, PlanRgbValue},
    // Channels: a set of 1 red, 2 green, 4 blue.
    {kCmdColorLevel, "color-level", TR("&Color Level"), TR("Stretch the colour levels"), TR("Color level"),
     D::ColorLevel, kKeepsSize, kNormalises,
     {{"low", TR("Down"), 0, 255, 0}, {"high", TR("Up"), 0, 255, 255},
      {"channels", nullptr, 1, 7, 7}}, PlanColorLevel},
    {kCmdAutoColorLevel, "auto-color-level", TR("Auto Color Level"), TR("Stretch the colour levels automatically"),
     nullptr, D::None, kKeepsSize, kNormalises, {}, PlanAutoColorLevel},
    {kCmdGreyImage, "grey", TR("&Gray Image"), TR("Convert to grey"), nullptr, D::None, kKeepsSize, kNormalises, {},
     PlanPlain<GreyEffect>},
    {kCmdInvert, "invert", TR("&Invert"), TR("Invert the colours"), nullptr, D::None, kKeepsSize, kNormalises, {},
     PlanInvert},
    {kCmdNoisy, "noisy", TR("Noisy"), TR("Add colour noise"), TR("Noisy"), D::Sliders, kKeepsSize, kNormalises,
     {{"amount", TR("Amount"), 1, 200, 100}}, PlanRandom<ColorNoiseEffect>},
    {kCmdBlot, "blot", TR("Blot"), TR("Add grey noise"), TR("Blot"), D::Sliders, kKeepsSize, kNormalises,
     {{"amount", TR("Amount"), 1, 100, 50}}, PlanRandom<GreyNoiseEffect>},
    {kCmdEmboss, "emboss", TR("Emboss"), TR("Emboss"), TR("Emboss"), D::Sliders, kKeepsSize, kNormalises,
     {{"strength", TR("Strength"), 1, 10, 2}}, PlanOne<EmbossEffect>},
    {kCmdOilPaint, "oil-paint", TR("Oil Paint"), TR("Oil paint"), TR("Oil Paint"), D::Sliders, kKeepsSize,
     kNormalises, {{"radius", TR("Radius"), 1, 15, 2, "px", true}}, PlanOne<OilPaintEffect>},
    {kCmdSplash, "splash", TR("Splash"), TR("Splash"), TR("Splash"), D::Sliders, kKeepsSize, kNormalises,
     {{"spread", TR("Spread"), 3, 64, 5, "px", true}}, PlanRandom<SplashEffect>},
    {kCmdPosterize, "posterize", TR("Posterize"), TR("Posterize"), TR("Posterize"), D::Sliders, kKeepsSize,
     kNormalises, {{"levels", TR("Levels"), 2, 20, 3}}, PlanOne<PosterizeEffect>},
    {kCmdMosaic, "mosaic", TR("Mosaic"), TR("Mosaic"), TR("Mosaic"), D::Sliders, kKeepsSize, kNormalises,
     {{"block-size", TR("Block size"), 2, 200, 10, "px", true}}, PlanOne<MosaicEffect>},
    {kCmdHalftone, "halftone", TR("Halftone"), TR("Halftone"), nullptr, D::None, kKeepsSize, kNormalises, {},
     PlanPlain<HalftoneEffect>},
    {kCmdBlur, "blur", TR("Blur"), TR("Blur"), nullptr, D::None, kKeepsSize, kNormalises, {}, PlanBlur},
    {kCmdGrid, "3d-grid", TR("3D Grid"), TR("3D grid"), TR("3D Grid"), D::Sliders, kKeepsSize, kNormalises,
     {{"cell-size", TR("Cell size"), 0, 100, 64, "px"}, {"depth", TR("Depth"), 0, 100, 50}}, PlanGrid},
    // Redact runs Mosaic's steps with a cell from the band's height.
    {kCmdRedact, "redact", TR("Redact"), TR("Pixelate the Crop tool's band so that its text cannot be read"), nullptr,
     D::Band, kKeepsSize, kNormalises, {}, nullptr},
};
// clang-format on

#undef TR

}  // namespace

std::span<const EffectEntry> EffectRegistry() { return kEntries; }

const EffectEntry* FindEffect(int id) {
    for (const EffectEntry& e : kEntries)
        if (e.id == id) return &e;
    return nullptr;
}

}  // namespace clipvane
