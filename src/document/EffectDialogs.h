#pragma once
// The dialogs that the Image and Filter commands open. The application's
// effect dialogs implement this; the document only decides when each opens
// and what happens after it closes.

namespace clipvane {

class ImageDocument;

class EffectDialogs {
public:
    virtual ~EffectDialogs() = default;

    // The preview dialog of Image or Filter command `command` (one whose
    // registry entry asks for sliders, colour level or colour tone), shown
    // modally. On OK the dialog applies its effect itself through
    // `document.RunEffect`.
    virtual void RunEffectDialog(ImageDocument& document, int command) = 0;

    // The brightness/contrast dialog, shown modally; it applies its own effects.
    virtual void RunBrightnessContrastDialog(ImageDocument& document) = 0;

    // The resize dialog opened with the image's size. True on OK, with the
    // chosen size and quality (0 "Good", 1 "Better").
    virtual bool RunResizeDialog(ImageDocument& document, int& width, int& height, int& quality) = 0;
};

}  // namespace clipvane
