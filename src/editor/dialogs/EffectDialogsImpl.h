#pragma once
// The application's effect dialogs, opened by the document's Image and
// Filter commands.
#include "document/EffectDialogs.h"
#include "editor/dialogs/EffectDocument.h"

class QWidget;

namespace cv {

class AppEffectDialogs : public EffectDialogs {
public:
    explicit AppEffectDialogs(QWidget* parent) : parent_(parent) {}
    void RunEffectDialog(CGrabwellDoc& document, int layout) override;
    void RunBrightnessContrastDialog(CGrabwellDoc& document) override;
    bool RunResizeDialog(CGrabwellDoc& document, int& width, int& height, int& quality) override;

private:
    QWidget* parent_;
};

// The document as the effect dialogs see it.
class DocumentEffectTarget : public EffectDocument {
public:
    explicit DocumentEffectTarget(CGrabwellDoc& doc) : doc_(doc) {}
    PixelImage& Image() override;
    void RunEffect(ImageEffect& effect) override;
    void UpdateAllViews() override;

private:
    CGrabwellDoc& doc_;
};

}  // namespace cv
