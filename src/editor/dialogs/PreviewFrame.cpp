#include "editor/dialogs/PreviewFrame.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPainter>
#include <algorithm>

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
