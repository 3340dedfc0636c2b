#include "editor/dialogs/BrightnessContrastDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include "document/BandEffects.h"
#include "editor/dialogs/EffectDocument.h"
#include "editor/dialogs/PreviewFrame.h"
#include "image/effects/EffectRegistry.h"

namespace clipvane {

namespace {

EffectCommandSteps BrightnessContrastSteps(int brightness, int contrast) {
    EffectParams params;
    params.values[0] = brightness;
    params.values[1] = contrast;
    params.count = 2;
    return PlanEffectCommand(kCmdBrightnessContrast, params);
}

QString Tr(const char* text) { return QCoreApplication::translate(kEffectTextContext, text); }

}  // namespace

BrightnessContrastDialog::BrightnessContrastDialog(EffectDocument& document, QWidget* parent)
    : QDialog(parent), document_(document) {
    const EffectEntry& entry = *FindEffect(kCmdBrightnessContrast);
    setWindowTitle(Tr(entry.title));
    band_ = document_.Band();
    EffectThumbnail thumb = MakeEffectThumbnail(document_.Image(), band_, false);
    thumbnail_ = std::move(thumb.image);
    thumbnailBand_ = thumb.band;
    scale_ = thumb.scale;
    preview_ = thumbnail_;

    frame_ = new PreviewFrame;
    brightnessSlider_ = new QSlider(Qt::Horizontal);
    contrastSlider_ = new QSlider(Qt::Horizontal);
    brightnessLabel_ = new QLabel;
    contrastLabel_ = new QLabel;
    auto* grid = new QGridLayout;
    int row = 0;
    for (auto [param, slider, label] : {std::tuple{&entry.params[0], brightnessSlider_, brightnessLabel_},
                                        std::tuple{&entry.params[1], contrastSlider_, contrastLabel_}}) {
        slider->setRange(param->minimum, param->maximum);
        slider->setValue(param->start);
        label->setText(QString::number(param->start));
        slider->setMinimumWidth(180);
        label->setMinimumWidth(32);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* caption = new QLabel(Tr(param->label) + QStringLiteral(":"));
        caption->setBuddy(slider);
        grid->addWidget(caption, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(label, row, 2);
        ++row;
        connect(slider, &QSlider::valueChanged, this, [this] { Recompute(); });
    }
    previewCheck_ = new QCheckBox(QStringLiteral("&Preview"));
    // Ticking shows the result on the document at once; unticking keeps the
    // last live result until OK or Cancel.
    connect(previewCheck_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Recompute();
    });
    auto* controls = new QVBoxLayout;
    controls->addLayout(grid);
    controls->addWidget(previewCheck_);
    controls->addStretch();
    LayOutEffectDialog(this, frame_, controls);
    // No preview is computed at opening: the frame shows the unchanged thumbnail.
    frame_->SetImage(&preview_, false, false);
}

void BrightnessContrastDialog::Recompute() {
    brightness = brightnessSlider_->value();
    contrast = contrastSlider_->value();
    preview_ = thumbnail_;
    preview_.ConvertTo(32);
    EffectCommandSteps steps = BrightnessContrastSteps(brightness, contrast);
    std::vector<ImageEffect*> effects;
    for (auto& effect : steps.effects) effects.push_back(effect.get());
    // With a band only the band changes, in the thumbnail and on the document.
    auto apply = [&effects](PixelImage& image, const Rect& band) {
        if (band.IsEmpty())
            for (ImageEffect* effect : effects) image.ApplyEffect(*effect);
        else
            ApplyEffectsInBand(image, band, effects);
    };
    apply(preview_, thumbnailBand_);
    NormaliseTo24(preview_);
    if (previewCheck_->isChecked()) {
        RestoreForPreview();
        apply(document_.Image(), band_);
        document_.UpdateAllViews();
    }
    brightnessLabel_->setText(QString::number(brightness));
    contrastLabel_->setText(QString::number(contrast));
    frame_->update();
}

void BrightnessContrastDialog::RestoreForPreview() { backup_.RestoreForPreview(document_.Image()); }

void BrightnessContrastDialog::RestoreDocument() { backup_.Restore(document_.Image()); }

void BrightnessContrastDialog::accept() {
    RestoreDocument();
    EffectCommandSteps steps = BrightnessContrastSteps(brightness, contrast);
    document_.RunEffects(steps.effects);
    document_.UpdateAllViews();
    QDialog::accept();
}

void BrightnessContrastDialog::reject() {
    RestoreDocument();
    document_.UpdateAllViews();
    QDialog::reject();
}

}  // namespace clipvane
