#pragma once
// What the effect dialogs need from the document they edit: its image, a way
// to run an effect as one undoable step with progress, and a redraw.
#include <memory>
#include <vector>

#include "image/Bitmap.h"
#include "image/ImageEffect.h"
#include "image/effects/EffectCommands.h"
#include "image/PixelImage.h"

namespace clipvane {

class EffectDocument {
public:
    virtual ~EffectDocument() = default;
    virtual PixelImage& Image() = 0;
    // Applies `effect` to Image() as one undo step, with status-bar progress.
    virtual void RunEffect(ImageEffect& effect) = 0;
    // A dialog's OK: converts Image() to 32 bits, applies `effect` as one
    // undo step and normalises to 24 bits unless Transparent().
    virtual void RunEffectNormalised(ImageEffect& effect) {
        Image().ConvertTo(32);
        RunEffect(effect);
        if (!Transparent()) NormaliseTo24(Image());
    }
    // Applies every effect in order to Image() as one undo step.
    virtual void RunEffects(const std::vector<std::unique_ptr<ImageEffect>>& effects) = 0;
    virtual void UpdateAllViews() = 0;
    // True when the image's alpha is real: the result stays 32 bits.
    virtual bool Transparent() const = 0;
    // The part of Image() the command works on (image pixels, inside the
    // image); empty for the whole image. RunEffect and RunEffects then change
    // only this part, and the dialogs preview it in its surroundings.
    virtual Rect Band() const { return {}; }
};

}  // namespace clipvane
