#pragma once
// The dialogs that the Image and Filter commands open. The application's
// effect dialogs implement this; the document only decides when each opens
// and what happens after it closes.

namespace clipvane {

class ImageDocument;

class EffectDialogs {
public:
    virtual ~EffectDialogs() = default;

    // The preview dialog of `layout` (201 rotate, 200 colour tone, 173 RGB
    // value, 172 colour level, 174 hue/saturation, 190..197 the filters),
    // shown modally. On OK the dialog applies its effect itself through
    // `document.RunEffect`.
    virtual void RunEffectDialog(ImageDocument& document, int layout) = 0;

    // The brightness/contrast dialog, shown modally; it applies its own effects.
    virtual void RunBrightnessContrastDialog(ImageDocument& document) = 0;

    // The resize dialog opened with the image's size. True on OK, with the
    // chosen size and quality (0 "Good", 1 "Better").
    virtual bool RunResizeDialog(ImageDocument& document, int& width, int& height, int& quality) = 0;
};

// Dialog layouts of the Image and Filter commands.
enum EffectDialogLayout : int {
    kLayoutColorLevel = 172,
    kLayoutRgbValue = 173,
    kLayoutHueSaturation = 174,
    kLayoutNoise = 190,
    kLayoutBlot = 191,
    kLayoutEmboss = 192,
    kLayoutOilPaint = 193,
    kLayoutSplash = 194,
    kLayoutPosterize = 195,
    kLayoutMosaic = 196,
    kLayoutGrid = 197,
    kLayoutColorTone = 200,
    kLayoutRotate = 201,
};

}  // namespace clipvane
