#include "editor/dialogs/ResizeDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "image/effects/EffectRegistry.h"

namespace clipvane {

ResizeDialog::ResizeDialog(int w, int h, QWidget* parent)
    : QDialog(parent), width(w), height(h), imageWidth(w), imageHeight(h) {
    const EffectEntry& entry = *FindEffect(kCmdResize);
    setWindowTitle(QCoreApplication::translate(kEffectTextContext, entry.title));
    widthEdit_ = new QSpinBox;
    heightEdit_ = new QSpinBox;
    // The registry's largest side keeps the image within what the core can allocate.
    for (auto [s, param] : {std::pair{widthEdit_, &entry.params[0]}, std::pair{heightEdit_, &entry.params[1]}}) {
        s->setRange(param->minimum, param->maximum);
        s->setSuffix(QStringLiteral(" px"));
    }
    widthEdit_->setObjectName(QStringLiteral("edit1005"));
    heightEdit_->setObjectName(QStringLiteral("edit1006"));
    keep_ = new QCheckBox(QStringLiteral("&Keep Aspect Ratio"));
    good_ = new QRadioButton(QStringLiteral("&Good"));
    better_ = new QRadioButton(QStringLiteral("&Better"));
    auto* qualityBox = new QGroupBox(QStringLiteral("Quality"));
    auto* q = new QHBoxLayout(qualityBox);
    q->addWidget(good_);
    q->addWidget(better_);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Width:"), widthEdit_);
    form->addRow(QStringLiteral("&Height:"), heightEdit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(keep_);
    layout->addWidget(qualityBox);
    layout->addWidget(buttons);

    Write();
    connect(widthEdit_, &QSpinBox::valueChanged, this, &ResizeDialog::WidthChanged);
    connect(heightEdit_, &QSpinBox::valueChanged, this, &ResizeDialog::HeightChanged);
}

int ResizeDialog::ProportionalSide(int typed, int typedImageSide, int otherImageSide) {
    if (typedImageSide <= 0) return 0;
    const double v = double(otherImageSide) * double(typed) / double(typedImageSide);
    return v >= 0 ? int(v + 0.5) : int(v - 0.5);
}

void ResizeDialog::Read() {
    width = widthEdit_->value();
    height = heightEdit_->value();
    keepAspect = keep_->isChecked() ? 1 : 0;
    quality = good_->isChecked() ? 0 : 1;
}

void ResizeDialog::Write() {
    writing_ = true;
    widthEdit_->setValue(width);
    heightEdit_->setValue(height);
    keep_->setChecked(keepAspect != 0);
    (quality == 0 ? good_ : better_)->setChecked(true);
    writing_ = false;
}

void ResizeDialog::WidthChanged() {
    if (writing_) return;
    Read();
    if (keepAspect) height = std::min(heightEdit_->maximum(), ProportionalSide(width, imageWidth, imageHeight));
    Write();
}

void ResizeDialog::HeightChanged() {
    if (writing_) return;
    Read();
    if (keepAspect) width = std::min(widthEdit_->maximum(), ProportionalSide(height, imageHeight, imageWidth));
    Write();
}

void ResizeDialog::accept() {
    Read();
    QDialog::accept();
}

}  // namespace clipvane
