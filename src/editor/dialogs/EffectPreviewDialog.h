#pragma once
// The effect dialog shared by the commands with sliders: sliders with value labels, a
// thumbnail of the result, and "Preview", which shows the result live on the
// document. OK applies the effect to the document as one undo step; Cancel
// puts back the image exactly as it was at opening. The values the user sets
// are the image's: only the thumbnail draws sizes scaled down to it.
#include <QDialog>
#include <memory>

#include "editor/dialogs/EffectTemplates.h"
#include "editor/dialogs/PreviewBackup.h"
#include "image/PixelImage.h"

class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;

namespace clipvane {

class EffectDocument;
struct EffectEntry;
class HueStripWidget;
class PreviewFrame;

class EffectPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog of Image or Filter command `command` (its registry entry
    // gives the title, the sliders and the effect).
    EffectPreviewDialog(EffectDocument& document, int command, QWidget* parent = nullptr);
    ~EffectPreviewDialog() override;

    int Command() const { return command_; }
    // Thumbnail size / image size: sizes (Oil Paint, Splash, Mosaic) are
    // scaled by it for the thumbnail only.
    double Scale() const { return values_.scale; }
    const EffectValues& Values() const { return values_; }
    const PixelImage& Thumbnail() const { return thumbnail_; }
    const PixelImage& Preview() const { return preview_; }
    // The band in the thumbnail (empty when the command works on the whole image).
    const Rect& ThumbnailBand() const { return thumbnailBand_; }

    QSlider* Slider(int i) const { return sliders_[i]; }
    QLabel* ValueLabel(int i) const { return valueLabels_[i]; }
    QCheckBox* PreviewCheck() const { return previewCheck_; }
    QRadioButton* ChannelRadio(int i) const { return radios_[i]; }
    HueStripWidget* Strip() const { return strip_; }

    // Picks the tone colour at column x of the hue strip (Color Tone only).
    void PickToneAt(int x);

    void accept() override;
    void reject() override;

private:
    void ReadControls();
    void WriteLabels();
    // The values for the document's image: sizes as set, not scaled.
    EffectValues ImageValues() const;
    // Rebuilds the thumbnail preview and, with "Preview" checked, the document.
    void Recompute();

    EffectDocument& document_;
    int command_;
    const EffectEntry* entry_;  // null for an id without an entry
    EffectValues values_;
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
    PreviewFrame* frame_ = nullptr;
    QSlider* sliders_[3] = {};
    QLabel* valueLabels_[3] = {};
    QRadioButton* radios_[4] = {};
    QCheckBox* previewCheck_ = nullptr;
    HueStripWidget* strip_ = nullptr;
};

}  // namespace clipvane
