#include "editor/dialogs/PreviewFrame.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPainter>
#include <algorithm>

#include "document/BandEffects.h"
#include "document/PixelImagePainter.h"

namespace clipvane {

namespace {
const QColor kBackground(191, 203, 251);
const QColor kOutline(192, 192, 192);
constexpr int kBorder = 1;
}  // namespace

double FitScale(int w, int h, int frameWidth, int frameHeight) {
    if (w <= 0 || h <= 0) return 1.0;
    if (w <= frameWidth && h <= frameHeight) return 1.0;
    return std::min(double(frameWidth) / w, double(frameHeight) / h);
}

EffectThumbnail MakeEffectThumbnail(const PixelImage& image, const Rect& band, bool to24) {
    EffectThumbnail t;
    const Rect inside = band.Intersected(Rect{0, 0, image.Width(), image.Height()});
    Rect around;
    if (!image.IsEmpty() && !inside.IsEmpty()) {
        around = BandSurroundings(inside, image.Width(), image.Height());
        t.image = CopyBand(image, around);
    } else {
        t.image = image;
    }
    if (to24) t.image.ConvertTo(24);
    t.scale = FitScale(t.image.Width(), t.image.Height(), PreviewFrame::kWidth, PreviewFrame::kHeight);
    if (t.scale != 1.0 && !t.image.IsEmpty())
        t.image.ResizeSmooth(std::max(1, int(t.image.Width() * t.scale)), std::max(1, int(t.scale * t.image.Height())));
    if (!t.image.IsEmpty() && !around.IsEmpty()) {
        // The band scaled like the thumbnail, at least one pixel each way.
        auto at = [&](int v) { return int(v * t.scale); };
        Rect b{at(inside.left - around.left), at(inside.top - around.top), at(inside.right - around.left),
               at(inside.bottom - around.top)};
        b.right = std::max(b.right, b.left + 1);
        b.bottom = std::max(b.bottom, b.top + 1);
        t.band = b.Intersected(Rect{0, 0, t.image.Width(), t.image.Height()});
    }
    return t;
}

PreviewFrame::PreviewFrame(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth + 2 * kBorder, kHeight + 2 * kBorder);
}

void PreviewFrame::SetImage(const PixelImage* image, bool fit, bool outline) {
    image_ = image;
    fit_ = fit;
    outline_ = outline;
    update();
}

void PreviewFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect inner(kBorder, kBorder, kWidth, kHeight);
    if (outline_) p.fillRect(rect(), kOutline);
    p.fillRect(inner, kBackground);
    if (!image_ || image_->IsEmpty()) return;
    const int w = image_->Width(), h = image_->Height();
    if (fit_) {
        const double s = FitScale(w, h, kWidth, kHeight);
        const int sw = int(w * s), sh = int(s * h);
        const int dx = (kWidth - sw) / 2, dy = (kHeight - sh) / 2;
        StretchDrawAll(p, *image_,
                       Rect{inner.left() + dx, inner.top() + dy, inner.left() + dx + sw, inner.top() + dy + sh});
    } else {
        p.setClipRect(inner);
        Draw(p, *image_, inner.left() + (kWidth - w) / 2, inner.top() + (kHeight - h) / 2);
    }
}

void LayOutEffectDialog(QDialog* dialog, PreviewFrame* frame, QLayout* controls) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* top = new QHBoxLayout;
    top->addWidget(frame, 0, Qt::AlignTop);
    top->addLayout(controls);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

}  // namespace clipvane
