#pragma once
// The Image and Filter menu commands (ids 20000..20100) as steps on an image,
// built from the entries of EffectRegistry.h.
// The document's dispatcher and `clipvane-image apply` both go through here,
// so the sequence for an id (depth conversion, effects in order, resize,
// 24-bit normalisation) is written once.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/ImageEffect.h"
#include "image/PixelImage.h"

namespace clipvane {

enum EffectCommandId : int {
    kCmdRotate = 20002,
    kCmdRotate90 = 20004,
    kCmdFlipHorizontal = 20005,
    kCmdFlipVertical = 20006,
    kCmdRotate270 = 20007,
    kCmdResize = 20009,
    kCmdBrightnessContrast = 20010,
    kCmdHueSaturation = 20012,
    kCmdColorTone = 20014,
    kCmdRgbValue = 20016,
    kCmdColorLevel = 20017,
    kCmdGreyImage = 20019,
    kCmdInvert = 20020,
    kCmdNoisy = 20033,
    kCmdBlot = 20034,
    kCmdEmboss = 20035,
    kCmdOilPaint = 20036,
    kCmdSplash = 20037,
    kCmdPosterize = 20038,
    kCmdMosaic = 20040,
    kCmdHalftone = 20041,
    kCmdBlur = 20042,
    kCmdRedact = 20043,
    kCmdGrid = 20050,
    kCmdAutoColorLevel = 20051,
    kCmdFirstEffect = 20000,
    kCmdLastEffect = 20100,
};

// Up to three numeric parameters of a command, in the order the dialogs
// present them. Missing ones (index >= count) take the dialog's start value
// (EffectRegistry.h lists each command's parameters).
struct EffectParams {
    int32_t values[3] = {0, 0, 0};
    int count = 0;
    int32_t Get(int index, int32_t fallback) const { return index < count ? values[index] : fallback; }
};

// What a command does to the document image, in this order:
//   1. convert to 32 bits per pixel when `convertTo32`;
//   2. apply each of `effects` in turn (the document records one undo step each);
//   3. resize to `width` x `height` when `resize` (quality 0 nearest, 1 smooth);
//   4. normalise to 24 bits per pixel when `normaliseTo24`.
struct EffectCommandSteps {
    bool known = false;  // the id lies in 20000..20100
    bool convertTo32 = false;
    std::vector<std::unique_ptr<ImageEffect>> effects;
    bool resize = false;
    int width = 0;
    int height = 0;
    int quality = 1;
    bool normaliseTo24 = false;
};

// Builds the steps of command `id`. `seed`, when given, seeds the random
// effects (noise, blot, splash); otherwise they are seeded from the clock.
EffectCommandSteps PlanEffectCommand(int id, const EffectParams& params, const uint32_t* seed = nullptr);

// Runs command `id` on `image` as the document does, without undo steps.
// False (image untouched) for ids outside 20000..20100.
bool RunEffectCommand(int id, const EffectParams& params, PixelImage& image, ProgressReporter* progress = nullptr,
                      const uint32_t* seed = nullptr);

// Empty when every given parameter of command `id` lies in its range; else a
// message that names the first one outside and its range.
std::string CheckEffectParams(int id, const EffectParams& params);

// True for the commands that keep the image's size (colour adjustments and
// filters, Redact): they can work on part of the image. Rotations, flips and
// resize are false, as is any id without a command.
bool EffectCommandKeepsSize(int id);

// The document's depth normalisation: any non-empty image that is not 24 bits
// per pixel becomes 24 bits (palette, 16-bit layouts and alpha resolved).
void NormaliseTo24(PixelImage& image);

}  // namespace clipvane
