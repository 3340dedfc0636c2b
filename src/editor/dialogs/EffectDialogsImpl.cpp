#include "editor/dialogs/EffectDialogsImpl.h"

#include "document/GrabwellDoc.h"
#include "editor/dialogs/BrightConDlg.h"
#include "editor/dialogs/EffectDlg.h"
#include "editor/dialogs/ResizeDlg.h"

namespace cv {

PixelImage& DocumentEffectTarget::Image() { return doc_.image; }
void DocumentEffectTarget::RunEffect(ImageEffect& effect) { doc_.RunEffect(&effect); }
void DocumentEffectTarget::UpdateAllViews() { doc_.UpdateAllViews(); }

void AppEffectDialogs::RunEffectDialog(CGrabwellDoc& document, int layout) {
    DocumentEffectTarget target(document);
    CEffectDlg dialog(target, layout, parent_);
    dialog.exec();
}

void AppEffectDialogs::RunBrightnessContrastDialog(CGrabwellDoc& document) {
    DocumentEffectTarget target(document);
    CBrightConDlg dialog(target, parent_);
    dialog.exec();
}

bool AppEffectDialogs::RunResizeDialog(CGrabwellDoc& document, int& width, int& height, int& quality) {
    CResizeDlg dialog(document.image.Width(), document.image.Height(), parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    width = dialog.width;
    height = dialog.height;
    quality = dialog.quality;
    return true;
}

}  // namespace cv
