// The effect dialogs against a document: start values, preview, OK as undo
// steps, Cancel restoring the image exactly; the resize arithmetic and the hue
// strip.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "editor/dialogs/BrightnessContrastDialog.h"
#include "editor/dialogs/WidgetEffectDialogs.h"
#include "editor/dialogs/EffectPreviewDialog.h"
#include "editor/dialogs/HueStrip.h"
#include "editor/dialogs/PreviewFrame.h"
#include "editor/dialogs/ResizeDialog.h"
#include "image/effects/EffectCommands.h"
#include "imagefile/ImageHandler.h"
#include "support/ImageBuilders.h"
#include "support/MagickFiles.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

struct DialogFixture : ::testing::Test {
    DialogFixture() : target(doc) {
        doc.image = test::Gradient(120, 90);
        original = doc.image;
    }
    ImageDocument doc;
    DocumentEffectTarget target;
    PixelImage original;
};

struct SliderExpectation {
    int command;
    const char* title;
    int sliders;
    int min1, max1, start1;
};

TEST_F(DialogFixture, EveryLayoutStartsWithItsRangesAndValues) {
    const SliderExpectation cases[] = {
        {kCmdColorLevel, "Color level", 2, 0, 255, 0},
        {kCmdRgbValue, "RGB Value", 3, -128, 128, 0},
        {kCmdHueSaturation, "Hue/Saturation", 2, 0, 200, 100},
        {kCmdNoisy, "Noisy", 1, 1, 200, 100},
        {kCmdBlot, "Blot", 1, 1, 100, 50},
        {kCmdEmboss, "Emboss", 1, 1, 10, 2},
        {kCmdOilPaint, "Oil Paint", 1, 1, 15, 2},
        {kCmdSplash, "Splash", 1, 3, 64, 5},
        {kCmdPosterize, "Posterize", 1, 2, 20, 3},
        {kCmdMosaic, "Mosaic", 1, 2, 200, 10},
        {kCmdGrid, "3D Grid", 2, 0, 100, 64},
        {kCmdRotate, "Rotate", 1, 0, 360, 45},
    };
    for (const SliderExpectation& c : cases) {
        SCOPED_TRACE(c.command);
        EffectPreviewDialog dlg(target, c.command);
        EXPECT_EQ(dlg.windowTitle(), QString::fromLatin1(c.title));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(dlg.Slider(i) != nullptr, i < c.sliders);
        EXPECT_EQ(dlg.Slider(0)->minimum(), c.min1);
        EXPECT_EQ(dlg.Slider(0)->maximum(), c.max1);
        EXPECT_EQ(dlg.Slider(0)->value(), c.start1);
        EXPECT_EQ(dlg.ValueLabel(0)->text(), QString::number(c.start1));
        EXPECT_FALSE(dlg.PreviewCheck()->isChecked());
        // Opening alone never touches the document.
        EXPECT_TRUE(test::SamePixels(doc.image, original));
    }
    EffectPreviewDialog level(target, kCmdColorLevel);
    EXPECT_EQ(level.Slider(1)->value(), 255);
    EXPECT_TRUE(level.ChannelRadio(0)->isChecked());
    EffectPreviewDialog grid(target, kCmdGrid);
    EXPECT_EQ(grid.Slider(1)->value(), 50);
    EffectPreviewDialog tone(target, kCmdColorTone);
    EXPECT_EQ(tone.windowTitle(), QStringLiteral("Color Tone"));
    EXPECT_EQ(tone.Values().toneColor, 0xFFFEA821u);  // red 254, green 168, blue 33
    EXPECT_NE(tone.Strip(), nullptr);
}

TEST_F(DialogFixture, SmallImagesPreviewAtFullSizeLargeOnesScaled) {
    EffectPreviewDialog small(target, kCmdMosaic);
    EXPECT_EQ(small.Scale(), 1.0);
    EXPECT_EQ(small.Thumbnail().Width(), 120);
    EXPECT_EQ(small.Thumbnail().Depth(), 24);
    doc.image = test::Gradient(880, 330);
    EffectPreviewDialog large(target, kCmdMosaic);
    EXPECT_DOUBLE_EQ(large.Scale(), 0.25);  // 220 / 880 beats 165 / 330
    EXPECT_EQ(large.Thumbnail().Width(), 220);
    EXPECT_EQ(large.Thumbnail().Height(), 82);
}

// The size sliders of Mosaic, Oil Paint and Splash are the image's pixels: the
// thumbnail alone is drawn with them scaled down.
TEST_F(DialogFixture, SizeSlidersApplyTheChosenValueToALargeImage) {
    doc.image = test::PhotoLike(880, 330, 32, 7);
    original = doc.image;
    for (auto [command, value] : {std::pair{kCmdMosaic, 10}, std::pair{kCmdOilPaint, 3}}) {
        SCOPED_TRACE(command);
        ImageDocument scripted;
        scripted.image = original;
        EffectParams params;
        params.values[0] = value;
        params.count = 1;
        scripted.ApplyEffectCommand(command, params);

        doc.image = original;
        EffectPreviewDialog dlg(target, command);
        ASSERT_DOUBLE_EQ(dlg.Scale(), 0.25);
        dlg.Slider(0)->setValue(value);
        dlg.PreviewCheck()->setChecked(true);
        PixelImage live = doc.image;
        NormaliseTo24(live);
        EXPECT_TRUE(test::SamePixels(live, scripted.image));
        dlg.accept();
        EXPECT_TRUE(test::SamePixels(doc.image, scripted.image));
        if (command == kCmdMosaic) {  // blocks of 10 x 10 pixels, not 2 x 2
            EXPECT_EQ(test::At(doc.image, 0, 0), test::At(doc.image, 9, 9));
            EXPECT_NE(test::At(doc.image, 9, 0), test::At(doc.image, 10, 0));
        }
    }

    // Splash 40 moves pixels up to 20 columns (10 would have moved them 5 at most).
    doc.image = test::Gradient(880, 330);
    EffectPreviewDialog splash(target, kCmdSplash);
    splash.Slider(0)->setValue(40);
    splash.accept();
    int farthest = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 32; x < 220; ++x) farthest = std::max(farthest, std::abs(doc.image.PixelAddress(x, y)[0] - x));
    EXPECT_GE(farthest, 15);
    EXPECT_LE(farthest, 20);
}

TEST_F(DialogFixture, OkAppliesOneUndoStepWithTheSliderValues) {
    EffectPreviewDialog dlg(target, kCmdRgbValue);
    dlg.Slider(0)->setValue(20);
    dlg.Slider(2)->setValue(-30);
    EXPECT_EQ(dlg.ValueLabel(0)->text(), QStringLiteral("20"));
    const int steps = doc.UndoCount();
    dlg.accept();
    EXPECT_EQ(doc.UndoCount(), steps + 1);
    EXPECT_EQ(doc.image.Depth(), 24);
    const uint8_t* p = doc.image.PixelAddress(50, 40);
    EXPECT_EQ(p[2], (50 + 40) + 20);             // red offset
    EXPECT_EQ(p[0], 50 - 30 < 0 ? 0 : 50 - 30);  // blue offset
    EXPECT_EQ(p[1], 40);
    doc.OnUndo();
    EXPECT_TRUE(test::SamePixels(doc.image, original));
}

TEST_F(DialogFixture, CancelAfterLivePreviewsRestoresTheImageExactly) {
    EffectPreviewDialog dlg(target, kCmdHueSaturation);
    dlg.PreviewCheck()->setChecked(true);
    dlg.Slider(0)->setValue(150);
    EXPECT_FALSE(test::SamePixels(doc.image, original));  // live preview on the document
    dlg.Slider(1)->setValue(30);
    // Unchecking keeps the last live result until OK or Cancel.
    dlg.PreviewCheck()->setChecked(false);
    dlg.Slider(1)->setValue(40);
    EXPECT_FALSE(test::SamePixels(doc.image, original));
    const int steps = doc.UndoCount();
    dlg.reject();
    EXPECT_TRUE(test::SamePixels(doc.image, original));
    EXPECT_EQ(doc.UndoCount(), steps);
}

TEST_F(DialogFixture, PreviewsNeverAccumulate) {
    EffectPreviewDialog dlg(target, kCmdRgbValue);
    dlg.Slider(0)->setValue(10);
    dlg.Slider(0)->setValue(20);
    dlg.Slider(0)->setValue(10);
    const uint8_t* p = dlg.Preview().PixelAddress(5, 5);
    EXPECT_EQ(p[2], 10 + 10);
}

TEST_F(DialogFixture, ColourLevelRadiosPickTheChannelSet) {
    EffectPreviewDialog dlg(target, kCmdColorLevel);
    dlg.Slider(0)->setValue(100);
    dlg.ChannelRadio(1)->click();  // R only
    EXPECT_EQ(dlg.Values().channel, 1);
    EXPECT_EQ(ChannelSetForRadio(1), 1);
    EXPECT_EQ(ChannelSetForRadio(3), 4);
    EXPECT_EQ(ChannelSetForRadio(0), 7);
    EXPECT_EQ(ChannelSetForRadio(9), 7);
    dlg.accept();
    const uint8_t* p = doc.image.PixelAddress(50, 40);
    EXPECT_EQ(p[0], 50);  // blue untouched
    EXPECT_EQ(p[1], 40);  // green untouched
}

TEST_F(DialogFixture, ToneStripPicksColoursAndRetintsThePreview) {
    EffectPreviewDialog dlg(target, kCmdColorTone);
    const PixelImage first = dlg.Preview();
    dlg.PickToneAt(40);
    const QRgb picked = HueStripColor(40);
    EXPECT_EQ(dlg.Values().toneColor & 0xFFFFFF,
              uint32_t(qRed(picked)) << 16 | uint32_t(qGreen(picked)) << 8 | uint32_t(qBlue(picked)));
    EXPECT_FALSE(test::SamePixels(first, dlg.Preview()));
}

TEST_F(DialogFixture, BrightnessContrastOkIsOneStepThatUndoesBoth) {
    BrightnessContrastDialog dlg(target);
    EXPECT_EQ(dlg.BrightnessSlider()->value(), 100);
    EXPECT_EQ(dlg.ContrastSlider()->value(), 100);
    EXPECT_EQ(dlg.BrightnessSlider()->maximum(), 200);
    dlg.BrightnessSlider()->setValue(150);
    dlg.ContrastSlider()->setValue(60);
    const int steps = doc.UndoCount();
    dlg.accept();
    EXPECT_EQ(doc.UndoCount(), steps + 1);
    EXPECT_FALSE(test::SamePixels(doc.image, original));
    // The same as the command run with those values.
    ImageDocument scripted;
    scripted.image = original;
    EffectParams params;
    params.values[0] = 150;
    params.values[1] = 60;
    params.count = 2;
    scripted.ApplyEffectCommand(kCmdBrightnessContrast, params);
    EXPECT_TRUE(test::SamePixels(doc.image, scripted.image));
    doc.OnUndo();
    EXPECT_TRUE(test::SamePixels(doc.image, original));
    doc.OnRedo();
    EXPECT_TRUE(test::SamePixels(doc.image, scripted.image));
}

TEST_F(DialogFixture, TickingPreviewShowsTheResultAtOnce) {
    EffectPreviewDialog mosaic(target, kCmdMosaic);
    mosaic.PreviewCheck()->setChecked(true);  // no slider moved
    EXPECT_FALSE(test::SamePixels(doc.image, original));
    mosaic.reject();
    EXPECT_TRUE(test::SamePixels(doc.image, original));

    BrightnessContrastDialog bc(target);
    bc.BrightnessSlider()->setValue(150);
    EXPECT_TRUE(test::SamePixels(doc.image, original));
    bc.PreviewCheck()->setChecked(true);
    EXPECT_FALSE(test::SamePixels(doc.image, original));
    bc.reject();
    EXPECT_TRUE(test::SamePixels(doc.image, original));
}

TEST_F(DialogFixture, BrightnessContrastCancelRestoresAfterPreview) {
    BrightnessContrastDialog dlg(target);
    dlg.PreviewCheck()->setChecked(true);
    dlg.BrightnessSlider()->setValue(30);
    EXPECT_FALSE(test::SamePixels(doc.image, original));
    dlg.reject();
    EXPECT_TRUE(test::SamePixels(doc.image, original));
}

// A document with real alpha keeps it through a dialog's OK: no 24-bit
// normalisation, clear pixels stay clear.
TEST(EffectDialogsTransparency, OkKeepsTheAlphaOfATransparentDocument) {
    test::ScratchDir dir;
    InstallHandlerFactory(new StandardHandlerFactory);
    ASSERT_TRUE(test::Magick("-size 40x30 xc:red -alpha set -region 20x30+0+0 -alpha transparent +region " +
                             test::Quote(dir / "half.png")));
    ImageDocument doc;
    ASSERT_TRUE(doc.OpenDocument(QString::fromStdString(dir / "half.png")));
    ASSERT_TRUE(doc.Transparent());
    DocumentEffectTarget target(doc);
    EffectPreviewDialog mosaic(target, kCmdMosaic);
    mosaic.accept();
    ASSERT_EQ(doc.image.Depth(), 32);
    EXPECT_EQ(doc.image.PixelAddress(2, 2)[3], 0);
    EXPECT_EQ(doc.image.PixelAddress(35, 2)[3], 255);
    BrightnessContrastDialog bc(target);
    bc.BrightnessSlider()->setValue(50);
    bc.accept();
    EXPECT_EQ(doc.image.PixelAddress(2, 2)[3], 0);
    EXPECT_EQ(doc.UndoCount(), 2);
}

TEST(PreviewFrame, FitScaleKeepsTheSmallerRatio) {
    EXPECT_EQ(FitScale(100, 100, 220, 165), 1.0);
    EXPECT_DOUBLE_EQ(FitScale(440, 165, 220, 165), 0.5);
    EXPECT_DOUBLE_EQ(FitScale(220, 330, 220, 165), 0.5);
    EXPECT_EQ(FitScale(0, 10, 220, 165), 1.0);
}

TEST(ResizeDialog, KeepsTheAspectFromTheSizeAtOpening) {
    ResizeDialog dlg(640, 480);
    EXPECT_EQ(dlg.WidthEdit()->value(), 640);
    EXPECT_TRUE(dlg.KeepAspectCheck()->isChecked());
    EXPECT_TRUE(dlg.BetterRadio()->isChecked());
    EXPECT_EQ(dlg.KeepAspectCheck()->text(), QStringLiteral("&Keep Aspect Ratio"));
    dlg.WidthEdit()->setValue(320);
    EXPECT_EQ(dlg.HeightEdit()->value(), 240);
    dlg.HeightEdit()->setValue(100);
    EXPECT_EQ(dlg.WidthEdit()->value(), 133);  // 640 x 100 / 480 = 133.3
    dlg.WidthEdit()->setValue(0);
    EXPECT_EQ(dlg.HeightEdit()->value(), 0);
    dlg.KeepAspectCheck()->setChecked(false);
    dlg.WidthEdit()->setValue(50);
    EXPECT_EQ(dlg.HeightEdit()->value(), 0);
    dlg.GoodRadio()->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.width, 50);
    EXPECT_EQ(dlg.quality, 0);
}

TEST(ResizeDialog, ProportionalSideRoundsHalfAwayFromZero) {
    EXPECT_EQ(ResizeDialog::ProportionalSide(3, 2, 1), 2);  // 1.5
    EXPECT_EQ(ResizeDialog::ProportionalSide(5, 4, 1), 1);  // 1.25
    EXPECT_EQ(ResizeDialog::ProportionalSide(7, 0, 10), 0);
}

TEST(HueStrip, SaturatedHuesFromCyanAroundTheCircle) {
    const QImage strip = HueStrip();
    EXPECT_EQ(strip.size(), QSize(260, 28));
    for (int x = 0; x < 260; ++x) {
        const QRgb c = strip.pixel(x, 0);
        const int channels[3] = {qRed(c), qGreen(c), qBlue(c)};
        EXPECT_EQ(*std::min_element(channels, channels + 3), 33) << x;
        EXPECT_EQ(*std::max_element(channels, channels + 3), 254) << x;
        EXPECT_EQ(strip.pixel(x, 27), c);
    }
    EXPECT_EQ(HueStripColor(0), qRgb(33, 254, 254));   // cyan
    EXPECT_EQ(HueStripColor(130), qRgb(254, 33, 33));  // red half way
    EXPECT_EQ(qBlue(HueStripColor(43)), 254);          // blue side first
    EXPECT_EQ(qGreen(HueStripColor(217)), 254);        // green side last
}

}  // namespace
}  // namespace clipvane
