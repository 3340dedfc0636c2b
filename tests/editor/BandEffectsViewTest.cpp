// Image and Filter commands with the Crop tool's band shown: the view hands
// the band to the commands that keep the size and drops it for the others,
// Redact needs a band, and the effect dialogs preview the band in its
// surroundings and change only the band, live and on OK.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QSlider>
#include <gtest/gtest.h>

#include <functional>

#include "document/BandEffects.h"
#include "document/EffectDialogs.h"
#include "document/ImageDocument.h"
#include "editor/dialogs/BrightnessContrastDialog.h"
#include "editor/dialogs/EffectPreviewDialog.h"
#include "editor/dialogs/EffectTemplates.h"
#include "editor/dialogs/WidgetEffectDialogs.h"
#include "editor/tools/CropTool.h"
#include "editor/view/EditorView.h"
#include "image/effects/EffectCommands.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

using test::At;
using test::SamePixels;

bool Inside(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// True when the pixels outside `band` have the same blue, green and red bytes.
bool SameOutside(const PixelImage& a, const PixelImage& b, const Rect& band) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!Inside(band, x, y) && std::memcmp(a.PixelAddress(x, y), b.PixelAddress(x, y), 3) != 0) return false;
    return true;
}

struct BandViewFixture : ::testing::Test {
    BandViewFixture() {
        doc.image = test::Gradient(200, 150);
        original = doc.image;
        view = std::make_unique<EditorView>(&doc);
        view->resize(400, 300);
        doc.UpdateAllViews();
    }
    CropTool& Crop() { return static_cast<CropTool&>(view->Tools().Get(EditorTool::Crop)); }
    void DragCrop(int x0, int y0, int x1, int y1) {
        view->Tools().SetTool(EditorTool::Crop);
        view->Tools().Press(x0, y0);
        view->Tools().Move(x1, y1);
        view->Tools().Release(x1, y1);
    }
    ImageDocument doc;
    PixelImage original;
    std::unique_ptr<EditorView> view;
};

TEST_F(BandViewFixture, SizeKeepingCommandChangesTheBandAndKeepsIt) {
    DragCrop(40, 30, 100, 70);
    const Rect band = view->EffectBand();
    ASSERT_FALSE(band.IsEmpty());
    ASSERT_TRUE(view->RunEffectCommand(kCmdInvert, nullptr));
    EXPECT_TRUE(SameOutside(doc.image, original, band));
    EXPECT_EQ(At(doc.image, band.left, band.top) & 0xFFFFFF, (At(original, band.left, band.top) ^ 0xFFFFFF) & 0xFFFFFF);
    EXPECT_EQ(doc.UndoCount(), 1);
    // The band stays for the next command, and the darkened surround follows.
    EXPECT_TRUE(Crop().BandValid());
    EXPECT_EQ(view->EffectBand(), band);
    EXPECT_EQ(Crop().Preview().PixelAddress(band.left, band.top)[0],
              doc.image.PixelAddress(band.left, band.top)[0] >> 1);
    doc.OnUndo();
    EXPECT_TRUE(SameOutside(doc.image, original, Rect{}));
}

TEST_F(BandViewFixture, FlipWorksOnTheWholeImageAndDropsTheBand) {
    DragCrop(40, 30, 100, 70);
    ASSERT_TRUE(view->RunEffectCommand(kCmdFlipHorizontal, nullptr));
    EXPECT_FALSE(Crop().BandValid());
    EXPECT_TRUE(view->EffectBand().IsEmpty());
    EXPECT_EQ(At(doc.image, 0, 0) & 0xFFFFFF, At(original, 199, 0) & 0xFFFFFF);
}

TEST_F(BandViewFixture, WithoutACropBandCommandsWorkOnTheWholeImage) {
    view->Tools().SetTool(EditorTool::Crop);
    EXPECT_TRUE(view->EffectBand().IsEmpty());
    ASSERT_TRUE(view->RunEffectCommand(kCmdInvert, nullptr));
    EXPECT_EQ(At(doc.image, 199, 149) & 0xFFFFFF, (At(original, 199, 149) ^ 0xFFFFFF) & 0xFFFFFF);
}

TEST_F(BandViewFixture, RedactNeedsACropBand) {
    // Another tool's band is not a redaction band.
    view->Tools().SetTool(EditorTool::Shape);
    EXPECT_FALSE(view->RunEffectCommand(kCmdRedact, nullptr));
    view->Tools().SetTool(EditorTool::Crop);
    EXPECT_FALSE(view->RunEffectCommand(kCmdRedact, nullptr));
    EXPECT_EQ(doc.UndoCount(), 0);
    EXPECT_TRUE(SamePixels(doc.image, original));

    DragCrop(40, 30, 140, 50);
    ASSERT_TRUE(view->RunEffectCommand(kCmdRedact, nullptr));
    EXPECT_EQ(doc.UndoCount(), 1);
    const Rect band{40, 30, 140, 50};
    const int cell = RedactCell(band.Height());
    ASSERT_EQ(cell, 20);
    for (int y = band.top; y < band.bottom; ++y)
        for (int x = band.left; x < band.right; ++x)
            ASSERT_EQ(At(doc.image, x, y), At(doc.image, band.left + (x - band.left) / cell * cell, band.top)) << x;
    EXPECT_TRUE(SameOutside(doc.image, original, band));
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, original));
}

// The press that burned objects in, the redaction and the crop after it are
// three steps: the crop must not swallow the redaction into the burn's step.
TEST_F(BandViewFixture, RedactBetweenABurningPressAndEnterIsAStepOfItsOwn) {
    doc.AddObject(test::MakeHighlight(0, 0, 200, 150, 50));
    const int before = doc.UndoCount();
    DragCrop(40, 30, 140, 50);
    ASSERT_EQ(doc.UndoCount(), before + 1);
    const PixelImage burned = doc.image;
    ASSERT_TRUE(view->RunEffectCommand(kCmdRedact, nullptr));
    const PixelImage redacted = doc.image;
    EXPECT_FALSE(SamePixels(redacted, burned));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &enter);
    EXPECT_EQ(doc.image.Width(), 100);
    EXPECT_EQ(doc.UndoCount(), before + 3);
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, redacted));
    doc.OnUndo();
    EXPECT_TRUE(SameOutside(doc.image, burned, Rect{}));
    doc.OnUndo();
    EXPECT_EQ(doc.objects.size(), 1u);
}

// Opens the effect dialogs without a modal loop and lets the test drive them.
class ScriptedDialogs : public EffectDialogs {
public:
    std::function<void(EffectPreviewDialog&)> effect;
    std::function<void(BrightnessContrastDialog&)> brightness;
    void RunEffectDialog(ImageDocument& doc, int layout) override {
        DocumentEffectTarget target(doc);
        EffectPreviewDialog dialog(target, layout);
        effect(dialog);
    }
    void RunBrightnessContrastDialog(ImageDocument& doc) override {
        DocumentEffectTarget target(doc);
        BrightnessContrastDialog dialog(target);
        brightness(dialog);
    }
    bool RunResizeDialog(ImageDocument&, int&, int&, int&) override { return false; }
};

TEST_F(BandViewFixture, EffectDialogPreviewsTheBandInItsSurroundingsAndChangesOnlyIt) {
    DragCrop(40, 30, 100, 70);
    const Rect band{40, 30, 100, 70};
    ScriptedDialogs dialogs;
    PixelImage livePreview;
    dialogs.effect = [&](EffectPreviewDialog& d) {
        // The thumbnail shows the band with 16 pixels around it, at full size.
        EXPECT_EQ(d.Thumbnail().Width(), 92);
        EXPECT_EQ(d.Thumbnail().Height(), 72);
        EXPECT_EQ(d.ThumbnailBand(), (Rect{16, 16, 76, 56}));
        d.Slider(0)->setValue(50);  // red + 50
        const PixelImage& p = d.Preview();
        EXPECT_EQ(p.PixelAddress(16, 16)[2], uint8_t(d.Thumbnail().PixelAddress(16, 16)[2] + 50));
        EXPECT_EQ(At(p, 15, 16) & 0xFFFFFF, At(d.Thumbnail(), 15, 16) & 0xFFFFFF);
        EXPECT_EQ(At(p, 76, 40) & 0xFFFFFF, At(d.Thumbnail(), 76, 40) & 0xFFFFFF);
        // "Preview" shows the result on the document, in the band only.
        d.PreviewCheck()->setChecked(true);
        livePreview = doc.image;
        d.accept();
    };
    view->RunEffectCommand(kCmdRgbValue, &dialogs);
    EXPECT_TRUE(SameOutside(livePreview, original, band));
    EXPECT_EQ(livePreview.PixelAddress(40, 30)[2], uint8_t(original.PixelAddress(40, 30)[2] + 50));
    EXPECT_TRUE(SameOutside(doc.image, original, band));
    EXPECT_EQ(doc.image.PixelAddress(99, 69)[2], uint8_t(original.PixelAddress(99, 69)[2] + 50));
    EXPECT_EQ(doc.UndoCount(), 1);
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, original));
}

TEST_F(BandViewFixture, CancelledDialogPutsTheBandBack) {
    DragCrop(40, 30, 100, 70);
    ScriptedDialogs dialogs;
    dialogs.effect = [&](EffectPreviewDialog& d) {
        d.PreviewCheck()->setChecked(true);
        d.Slider(0)->setValue(30);
        d.reject();
    };
    view->RunEffectCommand(kCmdMosaic, &dialogs);
    EXPECT_TRUE(SameOutside(doc.image, original, Rect{}));
    EXPECT_EQ(doc.UndoCount(), 0);
}

TEST_F(BandViewFixture, BrightnessContrastOnTheBandIsOneStep) {
    DragCrop(40, 30, 100, 70);
    const Rect band{40, 30, 100, 70};
    ScriptedDialogs dialogs;
    dialogs.brightness = [&](BrightnessContrastDialog& d) {
        EXPECT_FALSE(d.ThumbnailBand().IsEmpty());
        d.BrightnessSlider()->setValue(150);
        d.ContrastSlider()->setValue(130);
        d.accept();
    };
    view->RunEffectCommand(kCmdBrightnessContrast, &dialogs);
    EXPECT_TRUE(SameOutside(doc.image, original, band));
    PixelImage expected = CopyBand(original, band);
    EffectParams params;
    params.values[0] = 150;
    params.values[1] = 130;
    params.count = 2;
    RunEffectCommand(kCmdBrightnessContrast, params, expected);
    EXPECT_TRUE(SamePixels(CopyBand(doc.image, band), expected));
    EXPECT_EQ(doc.UndoCount(), 1);
}

}  // namespace
}  // namespace clipvane
