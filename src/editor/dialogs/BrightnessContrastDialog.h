#pragma once
// Image / Brightness/Contrast: two sliders around 100 %, a thumbnail preview
// and the live "Preview" on the document. OK runs brightness and contrast as
// two undo steps; Cancel restores the image as it was at opening.
#include <QDialog>

#include "editor/dialogs/PreviewBackup.h"
#include "image/PixelImage.h"

class QCheckBox;
class QLabel;
class QSlider;

namespace clipvane {

class EffectDocument;
class PreviewFrame;

class BrightnessContrastDialog : public QDialog {
    Q_OBJECT
public:
    explicit BrightnessContrastDialog(EffectDocument& document, QWidget* parent = nullptr);

    int brightness = 100;
    int contrast = 100;

    double Scale() const { return scale_; }
    const PixelImage& Preview() const { return preview_; }
    const Rect& ThumbnailBand() const { return thumbnailBand_; }
    QSlider* BrightnessSlider() const { return brightnessSlider_; }
    QSlider* ContrastSlider() const { return contrastSlider_; }
    QCheckBox* PreviewCheck() const { return previewCheck_; }

    void accept() override;
    void reject() override;

private:
    void Recompute();

    EffectDocument& document_;
    double scale_ = 1.0;
    PixelImage thumbnail_;
    PixelImage preview_;
    // Puts the document's image back as it was at opening (taking that copy
    // the first time), before a preview is applied to it.
    void RestoreForPreview();
    // The document's image as it was at opening, for OK and Cancel.
    void RestoreDocument();
    PreviewBackup backup_;  // the document's image at opening
    Rect band_;             // the document's band; empty: the whole image
    Rect thumbnailBand_;    // the band in the thumbnail
    PreviewFrame* frame_;
    QSlider* brightnessSlider_;
    QSlider* contrastSlider_;
    QLabel* brightnessLabel_;
    QLabel* contrastLabel_;
    QCheckBox* previewCheck_;
};

}  // namespace clipvane
