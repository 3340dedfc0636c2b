#include "editor/dialogs/EffectPreviewDialog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "document/BandEffects.h"
#include "editor/dialogs/EffectDocument.h"
#include "editor/dialogs/HueStrip.h"
#include "editor/dialogs/HueStripWidget.h"
#include "editor/dialogs/PreviewFrame.h"
#include "image/effects/EffectRegistry.h"

namespace clipvane {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate(kEffectTextContext, text); }

}  // namespace

EffectPreviewDialog::EffectPreviewDialog(EffectDocument& document, int command, QWidget* parent)
    : QDialog(parent), document_(document), command_(command), entry_(FindEffect(command)) {
    setWindowTitle(entry_ && entry_->title ? Tr(entry_->title) : tr("Effect"));

    // The thumbnail: the image at opening (or the band and its surroundings),
    // 24 bits, shrunk to the frame.
    band_ = document_.Band();
    EffectThumbnail thumb = MakeEffectThumbnail(document_.Image(), band_, true);
    thumbnail_ = std::move(thumb.image);
    thumbnailBand_ = thumb.band;
    values_.scale = thumb.scale;
    preview_ = thumbnail_;

    frame_ = new PreviewFrame;
    auto* controls = new QVBoxLayout;
    auto* grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        const EffectParam spec = entry_ ? entry_->params[i] : EffectParam{};
        if (!spec.label) continue;
        auto* name = new QLabel(Tr(spec.label) + QStringLiteral(":"));
        auto* slider = new QSlider(Qt::Horizontal);
        slider->setObjectName(QStringLiteral("slider%1").arg(i + 1));
        slider->setRange(spec.minimum, spec.maximum);
        slider->setValue(spec.start);
        slider->setMinimumWidth(180);
        auto* value = new QLabel;
        value->setMinimumWidth(32);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        name->setBuddy(slider);
        grid->addWidget(name, i, 0);
        grid->addWidget(slider, i, 1);
        grid->addWidget(value, i, 2);
        sliders_[i] = slider;
        valueLabels_[i] = value;
        values_.value[i] = spec.start;
        connect(slider, &QSlider::valueChanged, this, [this] { Recompute(); });
    }
    controls->addLayout(grid);

    const EffectDialog kind = entry_ ? entry_->dialog : EffectDialog::None;
    if (kind == EffectDialog::ColorLevel) {
        auto* box = new QGroupBox(QStringLiteral("Channel"));
        auto* row = new QHBoxLayout(box);
        auto* group = new QButtonGroup(this);
        const char* names[4] = {"RGB", "R", "G", "B"};
        for (int i = 0; i < 4; ++i) {
            radios_[i] = new QRadioButton(QString::fromLatin1(names[i]));
            group->addButton(radios_[i], i);
            row->addWidget(radios_[i]);
        }
        radios_[0]->setChecked(true);
        connect(group, &QButtonGroup::idClicked, this, [this] { Recompute(); });
        controls->addWidget(box);
    }
    if (kind == EffectDialog::ColorTone) {
        values_.toneColor = ToneStartColor();
        strip_ = new HueStripWidget;
        strip_->onPick = [this](int x) { PickToneAt(x); };
        controls->addWidget(new QLabel(QStringLiteral("Tone colour:")));
        controls->addWidget(strip_);
    }
    previewCheck_ = new QCheckBox(QStringLiteral("&Preview"));
    previewCheck_->setObjectName(QStringLiteral("check1004"));
    controls->addWidget(previewCheck_);
    // Ticking shows the result on the document at once; unticking keeps the
    // last live result until OK or Cancel.
    connect(previewCheck_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Recompute();
    });
    controls->addStretch();

    LayOutEffectDialog(this, frame_, controls);

    Recompute();
}

EffectPreviewDialog::~EffectPreviewDialog() = default;

void EffectPreviewDialog::ReadControls() {
    for (int i = 0; i < 3; ++i)
        if (sliders_[i]) values_.value[i] = sliders_[i]->value();
    if (radios_[0])
        for (int i = 0; i < 4; ++i)
            if (radios_[i]->isChecked()) values_.channel = i;
}

EffectValues EffectPreviewDialog::ImageValues() const {
    EffectValues v = values_;
    v.scale = 1.0;
    return v;
}

void EffectPreviewDialog::WriteLabels() {
    for (int i = 0; i < 3; ++i)
        if (valueLabels_[i]) valueLabels_[i]->setText(QString::number(values_.value[i]));
}

void EffectPreviewDialog::PickToneAt(int x) {
    const QRgb c = HueStripColor(x);
    values_.toneColor = (0xFFu << 24) | (uint32_t(qRed(c)) << 16) | (uint32_t(qGreen(c)) << 8) | uint32_t(qBlue(c));
    Recompute();
}

void EffectPreviewDialog::Recompute() {
    ReadControls();
    preview_ = thumbnail_;
    preview_.ConvertTo(32);
    // The thumbnail takes sizes scaled to it; the document the values as set.
    std::unique_ptr<ImageEffect> effect = BuildDialogEffect(command_, values_);
    if (effect) {
        // With a band only the band changes, in the thumbnail and on the document.
        if (thumbnailBand_.IsEmpty())
            preview_.ApplyEffect(*effect);
        else
            ApplyEffectsInBand(preview_, thumbnailBand_, {effect.get()});
        NormaliseTo24(preview_);
        if (previewCheck_->isChecked()) {
            if (std::unique_ptr<ImageEffect> full = BuildDialogEffect(command_, ImageValues())) {
                RestoreForPreview();
                if (band_.IsEmpty())
                    document_.Image().ApplyEffect(*full);
                else
                    ApplyEffectsInBand(document_.Image(), band_, {full.get()});
                document_.UpdateAllViews();
            }
        }
    }
    WriteLabels();
    // A preview that changes the size (Rotate) is fitted to the frame anew.
    frame_->SetImage(&preview_, entry_ && !entry_->keepsSize, true);
}

void EffectPreviewDialog::RestoreForPreview() { backup_.RestoreForPreview(document_.Image()); }

void EffectPreviewDialog::RestoreDocument() { backup_.Restore(document_.Image()); }

void EffectPreviewDialog::accept() {
    RestoreDocument();
    if (std::unique_ptr<ImageEffect> effect = BuildDialogEffect(command_, ImageValues()))
        document_.RunEffectNormalised(*effect);
    document_.UpdateAllViews();
    QDialog::accept();
}

void EffectPreviewDialog::reject() {
    RestoreDocument();
    document_.UpdateAllViews();
    QDialog::reject();
}

}  // namespace clipvane
