#pragma once
// The thumbnail area of the effect dialogs: a light background with the
// preview image centred on it, unscaled, or fitted when `fit` is set (the
// rotation grows the image).
#include <QWidget>

class QDialog;
class QLayout;

#include "image/Bitmap.h"
#include "image/PixelImage.h"

namespace clipvane {

class PreviewFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 220;
    static constexpr int kHeight = 165;

    explicit PreviewFrame(QWidget* parent = nullptr);
    void SetImage(const PixelImage* image, bool fit, bool outline);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PixelImage* image_ = nullptr;
    bool fit_ = false;
    bool outline_ = true;
};

// Lays out an effect dialog: the preview frame at the top left, its controls
// beside it, OK and Cancel below (wired to accept and reject).
void LayOutEffectDialog(QDialog* dialog, PreviewFrame* frame, QLayout* controls);

// Fits an image of w x h into the frame: the scale (1 when it already fits).
double FitScale(int w, int h, int frameWidth, int frameHeight);

// What an effect dialog previews: the whole image, or a band with its
// surroundings, fitted into the frame.
struct EffectThumbnail {
    PixelImage image;
    double scale = 1.0;  // thumbnail size / image size
    Rect band;           // the band in thumbnail pixels; empty: the whole thumbnail
};
// The thumbnail of `image` (converted to 24 bits when `to24`); with a
// non-empty `band` (image pixels), of the band and its surroundings only.
EffectThumbnail MakeEffectThumbnail(const PixelImage& image, const Rect& band, bool to24);

}  // namespace clipvane
