// Copy, Cut and Paste of the editor: which region goes to the clipboard, the
// white that Cut leaves, the three answers to the expand question, and the
// undo steps of Cut and Paste.
#include "editor/view/ClipboardCommands.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include "document/Clipboard.h"
#include "document/ImageDocument.h"
#include "editor/view/EditorView.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

using test::At;
using test::Gradient;
using test::SamePixels;
using test::Solid;

PixelImage Clipboard() {
    PixelImage image;
    ReadClipboardImage(image);
    return image;
}

PixelImage Region(const PixelImage& image, const Rect& r) {
    PixelImage out;
    out.Create(r.Width(), r.Height(), image.Depth());
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            std::memcpy(out.PixelAddress(x, y), image.PixelAddress(r.left + x, r.top + y), size_t(image.Depth() / 8));
    return out;
}

TEST(ClipboardRegion, BandWhenItCoversAPixelElseTheWholeImage) {
    const PixelImage image = Solid(20, 10, 32, 1, 2, 3);
    EXPECT_EQ(ClipboardRegion(image, Rect{}), (Rect{0, 0, 20, 10}));
    EXPECT_EQ(ClipboardRegion(image, Rect{5, 5, 5, 8}), (Rect{0, 0, 20, 10}));      // no width
    EXPECT_EQ(ClipboardRegion(image, Rect{25, 0, 30, 5}), (Rect{0, 0, 20, 10}));    // outside
    EXPECT_EQ(ClipboardRegion(image, Rect{3, 4, 4, 5}), (Rect{3, 4, 4, 5}));        // one pixel
    EXPECT_EQ(ClipboardRegion(image, Rect{15, 8, 40, 30}), (Rect{15, 8, 20, 10}));  // clipped
}

TEST(ClipboardCommands, CopyTakesTheBandOrTheImageWithoutObjects) {
    ImageDocument doc;
    doc.image = Gradient(30, 20);
    doc.objects.push_back(test::MakeShape(0, 0, 29, 19));
    ASSERT_TRUE(CopyImageRegion(doc.image, Rect{}));
    EXPECT_TRUE(SamePixels(Clipboard(), doc.image));
    ASSERT_TRUE(CopyImageRegion(doc.image, Rect{4, 5, 14, 15}));
    EXPECT_TRUE(SamePixels(Clipboard(), Region(doc.image, Rect{4, 5, 14, 15})));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.CanUndo());
}

TEST(ClipboardCommands, CutPaintsTheBandWhiteAsOneUndoStep) {
    ImageDocument doc;
    doc.image = Gradient(30, 20);
    const PixelImage before = doc.image;
    const Rect band{4, 5, 14, 15};
    ASSERT_TRUE(CutImageRegion(doc, band));
    EXPECT_TRUE(SamePixels(Clipboard(), Region(before, band)));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inside = x >= 4 && x < 14 && y >= 5 && y < 15;
            ASSERT_EQ(At(doc.image, x, y), inside ? 0xFFFFFFFFu : At(before, x, y)) << x << "," << y;
        }
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.UndoCount(), 1);
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, before));

    // Without a band Cut only copies: no step, nothing changed.
    ImageDocument plain;
    plain.image = Gradient(8, 6);
    ASSERT_TRUE(CutImageRegion(plain, Rect{}));
    EXPECT_TRUE(SamePixels(Clipboard(), plain.image));
    EXPECT_FALSE(plain.CanUndo());
    EXPECT_FALSE(plain.IsModified());
}

struct PasteFixture : ::testing::Test {
    PasteFixture() {
        doc.image = Solid(200, 300, 32, 10, 20, 30, 255);
        picture = Solid(300, 200, 24, 200, 100, 50);
    }
    PasteResult Paste(ExpandAnswer answer) {
        return PasteImage(doc, picture, [this, answer] {
            ++asked;
            return answer;
        });
    }
    ImageDocument doc;
    PixelImage picture;
    int asked = 0;
};

TEST_F(PasteFixture, SmallerPictureGoesToTheTopLeftWithoutAQuestion) {
    picture = Solid(50, 40, 24, 200, 100, 50);
    const PixelImage before = doc.image;
    ASSERT_EQ(Paste(ExpandAnswer::Cancel), PasteResult::Pasted);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(At(doc.image, 49, 39), 0xFF3264C8u);  // opaque picture pixel
    EXPECT_EQ(At(doc.image, 50, 39), At(before, 50, 39));
    EXPECT_EQ(At(doc.image, 49, 40), At(before, 49, 40));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.UndoCount(), 1);
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, before));
}

TEST_F(PasteFixture, YesGrowsTheImageWithWhiteWhereNeitherPictureReaches) {
    const PixelImage before = doc.image;
    ASSERT_EQ(Paste(ExpandAnswer::Yes), PasteResult::Expanded);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(doc.image.Width(), 300);
    ASSERT_EQ(doc.image.Height(), 300);
    EXPECT_EQ(At(doc.image, 299, 199), 0xFF3264C8u);  // the picture
    EXPECT_EQ(At(doc.image, 199, 299), 0xFF1E140Au);  // the old image below it
    // Opaque white: a transparent document shows it white, not clear, and
    // objects drawn there blend with it at their strength.
    EXPECT_EQ(At(doc.image, 200, 200), 0xFFFFFFFFu);
    EXPECT_EQ(At(doc.image, 299, 299), 0xFFFFFFFFu);
    EXPECT_TRUE(doc.IsModified());
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, before));
}

TEST_F(PasteFixture, NoClipsThePictureAndCancelChangesNothing) {
    const PixelImage before = doc.image;
    ASSERT_EQ(Paste(ExpandAnswer::Cancel), PasteResult::Nothing);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(SamePixels(doc.image, before));
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.IsModified());

    ASSERT_EQ(Paste(ExpandAnswer::No), PasteResult::Pasted);
    ASSERT_EQ(doc.image.Width(), 200);
    ASSERT_EQ(doc.image.Height(), 300);
    EXPECT_EQ(At(doc.image, 199, 199), 0xFF3264C8u);
    EXPECT_EQ(At(doc.image, 199, 200), 0xFF1E140Au);
    ASSERT_EQ(doc.UndoCount(), 1);

    // An empty picture: nothing at all.
    EXPECT_EQ(PasteImage(doc, PixelImage(), nullptr), PasteResult::Nothing);
    EXPECT_EQ(doc.UndoCount(), 1);
}

ExpandAnswer AnswerNo() { return ExpandAnswer::No; }

TEST(EditorViewClipboard, CropBandCopyReplaceableQuestionAndShiftDelete) {
    ImageDocument doc;
    doc.image = Gradient(200, 150);
    EditorView view(&doc);
    view.resize(400, 300);
    doc.UpdateAllViews();

    // The crop band is the region; without it the whole image.
    view.Tools().SetTool(EditorTool::Crop);
    view.Tools().Press(20, 30);
    view.Tools().Move(60, 50);
    view.Tools().Release(60, 50);
    const Rect band = view.ClipboardBand();
    ASSERT_FALSE(band.IsEmpty());
    ASSERT_TRUE(view.Copy());
    EXPECT_TRUE(SamePixels(Clipboard(), Region(doc.image, band)));

    // A larger picture asks the replaceable question; No clips it.
    EditorView::SetExpandQuestionForTesting(&AnswerNo);
    ASSERT_TRUE(CopyImageToClipboard(Solid(250, 20, 24, 1, 2, 3)));
    EXPECT_EQ(view.Paste(), PasteResult::Pasted);
    EditorView::SetExpandQuestionForTesting(nullptr);
    EXPECT_EQ(doc.image.Width(), 200);
    EXPECT_EQ(At(doc.image, 199, 19), 0xFF030201u);

    // Shift+Delete deletes the selected object before Cut runs.
    doc.objects.push_back(test::MakeShape(10, 10, 50, 50));
    view.Tools().SetTool(EditorTool::Select);
    view.Tools().Press(20, 20);
    view.Tools().Release(20, 20);
    ASSERT_NE(view.Selection().selected, nullptr);
    QKeyEvent shiftDelete(QEvent::ShortcutOverride, Qt::Key_Delete, Qt::ShiftModifier);
    QApplication::sendEvent(&view, &shiftDelete);
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_EQ(view.Selection().selected, nullptr);
}

}  // namespace
}  // namespace clipvane
