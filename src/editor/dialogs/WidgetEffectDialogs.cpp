#include "editor/dialogs/WidgetEffectDialogs.h"

#include "document/ImageDocument.h"
#include "editor/dialogs/BrightnessContrastDialog.h"
#include "editor/dialogs/EffectPreviewDialog.h"
#include "editor/dialogs/ResizeDialog.h"

namespace clipvane {

PixelImage& DocumentEffectTarget::Image() { return doc_.image; }
void DocumentEffectTarget::RunEffect(ImageEffect& effect) { doc_.RunEffect(&effect); }
void DocumentEffectTarget::RunEffectNormalised(ImageEffect& effect) { doc_.RunEffectNormalised(&effect); }
void DocumentEffectTarget::RunEffects(const std::vector<std::unique_ptr<ImageEffect>>& effects) {
    doc_.RunEffects(effects);
}
void DocumentEffectTarget::UpdateAllViews() { doc_.UpdateAllViews(); }
bool DocumentEffectTarget::Transparent() const { return doc_.Transparent(); }
Rect DocumentEffectTarget::Band() const { return doc_.EffectBand(); }

void WidgetEffectDialogs::RunEffectDialog(ImageDocument& document, int command) {
    DocumentEffectTarget target(document);
    EffectPreviewDialog dialog(target, command, parent_);
    dialog.exec();
}

void WidgetEffectDialogs::RunBrightnessContrastDialog(ImageDocument& document) {
    DocumentEffectTarget target(document);
    BrightnessContrastDialog dialog(target, parent_);
    dialog.exec();
}

bool WidgetEffectDialogs::RunResizeDialog(ImageDocument& document, int& width, int& height, int& quality) {
    ResizeDialog dialog(document.image.Width(), document.image.Height(), parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    width = dialog.width;
    height = dialog.height;
    quality = dialog.quality;
    return true;
}

}  // namespace clipvane
