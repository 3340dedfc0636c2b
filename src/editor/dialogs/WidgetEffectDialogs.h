#pragma once
// The application's effect dialogs, opened by the document's Image and
// Filter commands.
#include "document/EffectDialogs.h"
#include "editor/dialogs/EffectDocument.h"

class QWidget;

namespace clipvane {

class WidgetEffectDialogs : public EffectDialogs {
public:
    explicit WidgetEffectDialogs(QWidget* parent) : parent_(parent) {}
    void RunEffectDialog(ImageDocument& document, int command) override;
    void RunBrightnessContrastDialog(ImageDocument& document) override;
    bool RunResizeDialog(ImageDocument& document, int& width, int& height, int& quality) override;

private:
    QWidget* parent_;
};

// The document as the effect dialogs see it.
class DocumentEffectTarget : public EffectDocument {
public:
    explicit DocumentEffectTarget(ImageDocument& doc) : doc_(doc) {}
    PixelImage& Image() override;
    void RunEffect(ImageEffect& effect) override;
    void RunEffectNormalised(ImageEffect& effect) override;
    void RunEffects(const std::vector<std::unique_ptr<ImageEffect>>& effects) override;
    void UpdateAllViews() override;
    bool Transparent() const override;
    Rect Band() const override;

private:
    ImageDocument& doc_;
};

}  // namespace clipvane
