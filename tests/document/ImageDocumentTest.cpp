#include "document/ImageDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "support/TestEffects.h"
#include "document/EffectDialogs.h"
#include "imagefile/ImageFile.h"

namespace clipvane {
namespace {

using test::At;
using test::MakeHighlight;
using test::MakeShape;
using test::SamePixels;
using test::Solid;

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

// A stand-in for the application's dialogs: records what was opened and,
// when told to, applies an effect or accepts the resize.
class FakeDialogs : public EffectDialogs {
public:
    std::vector<int> layouts;  // the command of each preview dialog opened
    int brightnessRuns = 0;
    bool acceptResize = false;
    int applyBlue = 0;  // on OK, add this to blue through RunEffect

    void RunEffectDialog(ImageDocument& doc, int layout) override {
        layouts.push_back(layout);
        if (applyBlue) {
            test::AddBlueEffect effect(applyBlue);
            doc.RunEffect(&effect);
        }
    }
    void RunBrightnessContrastDialog(ImageDocument&) override { ++brightnessRuns; }
    bool RunResizeDialog(ImageDocument&, int& w, int& h, int& q) override {
        layouts.push_back(-1);
        if (!acceptResize) return false;
        w /= 2;
        h /= 2;
        q = 0;
        return true;
    }
};

TEST(ImageDocument, ConstructionState) {
    ImageDocument doc;
    EXPECT_TRUE(doc.image.IsEmpty());
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_EQ(doc.modified, 0);
    EXPECT_EQ(doc.Limit(), 10);
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.CanRedo());
}

TEST(ImageDocument, EffectUndoRedoUndo) {
    ImageDocument doc;
    doc.image = Solid(3, 2, 32, 10, 20, 30);
    doc.AddObject(MakeShape(0, 0, 5, 5));
    const PixelImage before = doc.image;
    test::AddBlueEffect effect(5);
    doc.RunEffect(&effect);
    ASSERT_EQ(At(doc.image, 0, 0), 0xFF1E140Fu);
    const PixelImage after = doc.image;
    // Objects added after the effect are part of the "after" state.
    doc.objects.push_back(MakeShape(1, 1, 9, 9));

    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, before));
    EXPECT_EQ(doc.objects.size(), 1u);
    doc.OnRedo();
    EXPECT_TRUE(SamePixels(doc.image, after));
    ASSERT_EQ(doc.objects.size(), 2u);
    EXPECT_EQ(ObjectRect(*doc.objects[1]), (Rect{1, 1, 9, 9}));
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, before));
    EXPECT_EQ(doc.objects.size(), 1u);
    // Undoing the object's creation empties the list.
    doc.OnUndo();
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.RedoCount(), 2);
}

// Creating and deleting objects record the objects only: no copy of the
// pixels, and undo and redo stay exact when image steps come in between.
TEST(ImageDocument, ObjectStepsCopyNoPixelsAndUndoExactlyAroundImageSteps) {
    ImageDocument doc;
    doc.image = Solid(4, 3, 32, 10, 20, 30);
    const PixelImage original = doc.image;
    doc.AddObject(MakeShape(0, 0, 2, 2));
    ASSERT_EQ(doc.UndoCount(), 1);
    EXPECT_TRUE(doc.UndoSteps().back()->beforeImage.IsEmpty());  // nothing of the image kept
    test::AddBlueEffect effect(5);
    doc.RunEffect(&effect);
    const PixelImage blued = doc.image;
    ASSERT_TRUE(doc.DeleteObject(doc.objects[0].get()));
    EXPECT_TRUE(doc.UndoSteps().back()->beforeImage.IsEmpty());
    EXPECT_TRUE(doc.objects.empty());

    doc.OnUndo();  // the deletion: the shape is back, the effect stays
    ASSERT_EQ(doc.objects.size(), 1u);
    EXPECT_TRUE(SamePixels(doc.image, blued));
    doc.OnUndo();  // the effect
    EXPECT_TRUE(SamePixels(doc.image, original));
    EXPECT_EQ(doc.objects.size(), 1u);
    doc.OnUndo();  // the creation
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_TRUE(SamePixels(doc.image, original));

    doc.OnRedo();
    ASSERT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(ObjectRect(*doc.objects[0]), (Rect{0, 0, 2, 2}));
    doc.OnRedo();
    EXPECT_TRUE(SamePixels(doc.image, blued));
    doc.OnRedo();
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_TRUE(SamePixels(doc.image, blued));
}

TEST(ImageDocument, NullEffectRecordsNothingRefusedEffectRecordsAStep) {
    ImageDocument doc;
    doc.RunEffect(nullptr);
    EXPECT_EQ(doc.UndoCount(), 0);
    doc.image = Solid(2, 2, 8, 0, 0, 0);  // the effect declines 8-bit images
    test::AddBlueEffect effect(1);
    doc.RunEffect(&effect);
    EXPECT_EQ(doc.UndoCount(), 1);
    doc.OnUndo();
    EXPECT_EQ(doc.image.Depth(), 8);
}

TEST(ImageDocument, RecordingAfterUndoClearsRedo) {
    ImageDocument doc;
    doc.image = Solid(2, 2, 32, 0, 0, 0);
    test::AddBlueEffect effect(1);
    doc.RunEffect(&effect);
    doc.RunEffect(&effect);
    doc.OnUndo();
    ASSERT_TRUE(doc.CanRedo());
    doc.RecordUndo(doc.image);
    EXPECT_FALSE(doc.CanRedo());
    for (int i = 0; i < 12; ++i) doc.RunEffect(&effect);
    EXPECT_EQ(doc.UndoCount(), 10);
}

TEST(ImageDocument, ResizeUndoKeepsObjects) {
    ImageDocument doc;
    doc.image = Solid(8, 6, 32, 1, 2, 3);
    doc.objects.push_back(MakeShape(2, 2, 30, 30));
    doc.RunRecord(std::make_unique<ResizeUndoRecord>(4, 3, 0));
    EXPECT_EQ(doc.image.Width(), 4);
    EXPECT_EQ(doc.image.Height(), 3);
    EXPECT_EQ(ObjectRect(*doc.objects[0]), (Rect{2, 2, 30, 30}));  // neither moved nor scaled
    doc.OnUndo();
    EXPECT_EQ(doc.image.Width(), 8);
    EXPECT_EQ(doc.image.Height(), 6);
    ASSERT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(ObjectRect(*doc.objects[0]), (Rect{2, 2, 30, 30}));
    doc.OnRedo();
    EXPECT_EQ(doc.image.Width(), 4);
}

TEST(ImageDocument, CaptureInReplaceModeUndoes) {
    ImageDocument doc;
    doc.image = Solid(4, 4, 32, 7, 7, 7);
    doc.objects.push_back(MakeShape(0, 0, 2, 2));
    doc.ApplyCapture(Solid(6, 5, 24, 1, 2, 3), true);
    EXPECT_EQ(doc.image.Width(), 6);
    EXPECT_EQ(doc.image.Depth(), 32);
    EXPECT_EQ(At(doc.image, 5, 4), 0xFF030201u);  // 24 to 32 bits: alpha 255
    EXPECT_EQ(doc.modified, 1);
    EXPECT_EQ(doc.objects.size(), 1u);
    doc.OnUndo();
    EXPECT_EQ(doc.image.Width(), 4);
    EXPECT_EQ(At(doc.image, 0, 0), 0xFF070707u);
    EXPECT_EQ(doc.objects.size(), 1u);

    ImageDocument fresh;
    fresh.ApplyCapture(Solid(2, 2, 24, 1, 1, 1), false);
    EXPECT_EQ(fresh.UndoCount(), 0);
    EXPECT_EQ(fresh.modified, 1);
}

TEST(ImageDocument, UndoBackToAnEmptyImage) {
    // A capture into a document without an image, undone: empty again.
    ImageDocument doc;
    doc.ApplyCapture(Solid(3, 3, 24, 1, 2, 3), true);
    ASSERT_FALSE(doc.image.IsEmpty());
    doc.OnUndo();
    EXPECT_TRUE(doc.image.IsEmpty());
    doc.OnRedo();
    EXPECT_EQ(doc.image.Width(), 3);
    doc.OnUndo();
    EXPECT_TRUE(doc.image.IsEmpty());
    // An empty capture changes nothing and records nothing.
    const int steps = doc.UndoCount();
    doc.ApplyCapture(PixelImage(), true);
    EXPECT_EQ(doc.UndoCount(), steps);
}

TEST(ImageDocument, ViewsAreToldBeforeObjectsAreReplaced) {
    ImageDocument doc;
    doc.image = Solid(4, 4, 32, 0, 0, 0);
    int replaced = 0, changed = 0;
    QObject::connect(&doc, &ImageDocument::objectsAboutToBeReplaced, [&] { ++replaced; });
    QObject::connect(&doc, &ImageDocument::changed, [&] { ++changed; });
    doc.AddObject(MakeShape(0, 0, 2, 2));
    EXPECT_EQ(replaced, 0);
    EXPECT_GE(changed, 1);
    doc.OnUndo();
    doc.OnRedo();
    EXPECT_EQ(replaced, 2);
    doc.OnRedo();  // nothing to redo: no signal
    EXPECT_EQ(replaced, 2);
}

TEST(ImageDocument, CompositeFollowsTheDocument) {
    ImageDocument doc;
    doc.image = Solid(20, 20, 24, 255, 255, 255);
    doc.AddObject(MakeHighlight(0, 0, 10, 10, 0));
    EXPECT_EQ(At(doc.Composite(), 5, 5), 0xFF000080u);
    EXPECT_EQ(At(doc.Composite(), 15, 15), kOpaqueWhite);
    test::AddBlueEffect effect(1);  // 255 + 1 wraps to 0 in blue
    doc.RunEffect(&effect);
    EXPECT_EQ(At(doc.Composite(), 15, 15), 0xFFFFFF00u);
    doc.OnUndo();
    EXPECT_EQ(At(doc.Composite(), 15, 15), kOpaqueWhite);
    doc.objects.clear();
    doc.ObjectsEdited();
    EXPECT_EQ(At(doc.Composite(), 5, 5), kOpaqueWhite);
    // The document image itself never holds the objects.
    EXPECT_EQ(doc.image.Depth(), 24);
}

TEST(ImageDocument, FlattenBurnsIntoTwentyFourBitImages) {
    ImageDocument doc;
    doc.image = Solid(10, 10, 24, 255, 255, 255);
    doc.objects.push_back(MakeHighlight(0, 0, 5, 5, 0));
    doc.Flatten();
    ASSERT_EQ(doc.image.Depth(), 32);
    EXPECT_EQ(At(doc.image, 2, 2), 0xFF000080u);
    EXPECT_EQ(At(doc.image, 7, 7), kOpaqueWhite);
}

TEST(ImageDocument, NewImageIsOpaqueWhiteAndHighlightsBlendAtTheirStrength) {
    ImageDocument doc;
    doc.NewImage();
    ASSERT_EQ(doc.image.Width(), 640);
    ASSERT_EQ(doc.image.Height(), 480);
    ASSERT_EQ(doc.image.Depth(), 32);
    EXPECT_EQ(At(doc.image, 0, 0), kOpaqueWhite);
    EXPECT_EQ(At(doc.image, 639, 479), kOpaqueWhite);
    EXPECT_FALSE(doc.Transparent());
    EXPECT_EQ(doc.modified, 1);
    EXPECT_EQ(doc.UndoCount(), 0);
    // A highlight at half strength paints half way between white and its
    // colour (red 0, green 0, blue 128), not its full colour.
    doc.objects.push_back(MakeHighlight(0, 0, 10, 10, 50));
    doc.Flatten();
    EXPECT_EQ(At(doc.image, 5, 5), 0xFF8080BFu);
}

TEST(ImageDocument, EveryChangeRaisesModified) {
    ImageDocument doc;
    doc.image = Solid(2, 2, 32, 0, 0, 0);
    test::AddBlueEffect effect(1);
    doc.RunEffect(&effect);
    EXPECT_EQ(doc.modified, 1);
    doc.SetModified(false);
    doc.OnUndo();
    EXPECT_EQ(doc.modified, 1);
    doc.SetModified(false);
    doc.OnRedo();
    EXPECT_EQ(doc.modified, 1);
    doc.SetModified(false);
    doc.AddObject(MakeShape(0, 0, 1, 1));
    EXPECT_EQ(doc.modified, 1);
    doc.SetModified(false);
    doc.BringToFront(doc.objects[0].get());
    EXPECT_EQ(doc.modified, 1);
    doc.SetModified(false);
    doc.ObjectsEdited();
    EXPECT_EQ(doc.modified, 1);
}

TEST(ImageDocument, FlattenAndDelete) {
    ImageDocument doc;
    doc.image = Solid(20, 20, 32, 255, 255, 255);
    doc.Flatten();  // no objects: a step all the same, image unchanged
    EXPECT_EQ(doc.UndoCount(), 1);
    EXPECT_EQ(At(doc.image, 5, 5), 0xFFFFFFFFu);

    doc.objects.push_back(MakeHighlight(2, 2, 10, 10, 0));
    doc.Flatten();
    EXPECT_TRUE(doc.objects.empty());
    // Default highlight colour blue 128, opaque at transparency 0.
    EXPECT_EQ(At(doc.image, 5, 5), 0xFF000080u);
    EXPECT_EQ(At(doc.image, 15, 15), 0xFFFFFFFFu);
    doc.OnUndo();
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(At(doc.image, 5, 5), 0xFFFFFFFFu);

    AnnotationObject* target = doc.objects[0].get();
    EXPECT_TRUE(doc.DeleteObject(target));
    EXPECT_TRUE(doc.objects.empty());
    EXPECT_FALSE(doc.DeleteObject(nullptr));
    doc.OnUndo();
    EXPECT_EQ(doc.objects.size(), 1u);
}

TEST(ImageDocument, WithdrawTakesBackOnlyTheLastAddedObjectAndItsStep) {
    ImageDocument doc;
    doc.image = Solid(20, 20, 32, 255, 255, 255);
    doc.AddObject(MakeShape(0, 0, 5, 5));
    AnnotationObject* added = doc.AddObject(MakeShape(1, 1, 6, 6));
    ASSERT_EQ(doc.UndoCount(), 2);
    EXPECT_FALSE(doc.WithdrawObject(doc.objects[0].get()));  // not the last added
    EXPECT_FALSE(doc.WithdrawObject(nullptr));
    ASSERT_TRUE(doc.WithdrawObject(added));
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(doc.UndoCount(), 1);
    EXPECT_FALSE(doc.WithdrawObject(added));  // once only
    // Undo takes back the first creation, not a no-op step.
    doc.OnUndo();
    EXPECT_TRUE(doc.objects.empty());

    // A step recorded after the creation stays: the object goes, the steps stay.
    added = doc.AddObject(MakeShape(0, 0, 5, 5));
    doc.RecordUndo(doc.image);
    EXPECT_FALSE(doc.WithdrawObject(added));
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(doc.UndoCount(), 2);
}

TEST(ImageDocument, ReorderIsNotRecorded) {
    ImageDocument doc;
    doc.image = Solid(4, 4, 32, 0, 0, 0);
    doc.objects.push_back(MakeShape(0, 0, 1, 1));
    doc.objects.push_back(MakeShape(1, 1, 2, 2));
    AnnotationObject* first = doc.objects[0].get();
    doc.RecordUndo(doc.image);
    doc.BringToFront(first);
    EXPECT_EQ(doc.UndoCount(), 1);
    doc.OnUndo();
    // The step was taken before the reorder, so the list comes back in the
    // recorded order, which is the old one.
    EXPECT_EQ(ObjectRect(*doc.objects[0]), (Rect{0, 0, 1, 1}));
}

TEST(ImageDocumentCommands, CancelledDialogsStillNormaliseToTwentyFourBits) {
    for (int id : {20002, 20014, 20016, 20017, 20033, 20034, 20035, 20036, 20037, 20038, 20040, 20050, 20009}) {
        SCOPED_TRACE(id);
        ImageDocument doc;
        doc.image = Solid(3, 3, 32, 1, 2, 3);
        FakeDialogs dialogs;
        doc.OnEffectCommand(id, &dialogs);
        EXPECT_EQ(dialogs.layouts.size(), 1u);
        EXPECT_EQ(doc.image.Depth(), 24);
        EXPECT_EQ(At(doc.image, 2, 2), 0x030201u);
        EXPECT_EQ(doc.UndoCount(), 0);  // the normalisation alone is no step
    }
}

TEST(ImageDocumentCommands, DialogLayouts) {
    const int table[] = {kCmdRotate, kCmdColorTone, kCmdRgbValue,     kCmdColorLevel, kCmdNoisy,
                         kCmdBlot,   kCmdEmboss,    kCmdOilPaint,     kCmdSplash,     kCmdPosterize,
                         kCmdMosaic, kCmdGrid,      kCmdHueSaturation};
    for (const int id : table) {
        ImageDocument doc;
        doc.image = Solid(2, 2, 24, 0, 0, 0);
        FakeDialogs dialogs;
        doc.OnEffectCommand(id, &dialogs);
        ASSERT_EQ(dialogs.layouts.size(), 1u) << id;
        EXPECT_EQ(dialogs.layouts[0], id) << id;
    }
}

TEST(ImageDocumentCommands, AcceptedDialogAppliesThenNormalises) {
    ImageDocument doc;
    doc.image = Solid(2, 2, 24, 1, 2, 3);
    FakeDialogs dialogs;
    dialogs.applyBlue = 10;
    doc.OnEffectCommand(20033, &dialogs);
    EXPECT_EQ(doc.image.Depth(), 24);
    EXPECT_EQ(At(doc.image, 0, 0), 0x03020Bu);
    EXPECT_EQ(doc.UndoCount(), 1);
}

TEST(ImageDocumentCommands, OwnBranchesKeepTheDepth) {
    ImageDocument doc;
    doc.image = Solid(8, 4, 32, 1, 2, 3);
    FakeDialogs dialogs;
    doc.OnEffectCommand(20010, &dialogs);
    EXPECT_EQ(dialogs.brightnessRuns, 1);
    doc.OnEffectCommand(20012, &dialogs);
    EXPECT_EQ(doc.image.Depth(), 32);
    dialogs.acceptResize = true;
    doc.OnEffectCommand(20009, &dialogs);
    EXPECT_EQ(doc.image.Width(), 4);
    EXPECT_EQ(doc.image.Height(), 2);
    EXPECT_EQ(doc.image.Depth(), 32);
    EXPECT_EQ(doc.UndoCount(), 1);
}

TEST(ImageDocumentCommands, DirectCommandsAndUnlistedIds) {
    ImageDocument doc;
    doc.image = Solid(2, 1, 24, 10, 20, 30);
    doc.OnEffectCommand(20020, nullptr);  // invert on red, green, blue
    EXPECT_EQ(doc.image.Depth(), 24);
    EXPECT_EQ(At(doc.image, 1, 0), 0xE1EBF5u);  // 255-30, 255-20, 255-10
    EXPECT_EQ(doc.UndoCount(), 1);
    doc.OnUndo();
    // The step holds the image exactly as it was before the command: the
    // 32-bit conversion is part of the command's work.
    EXPECT_EQ(doc.image.Depth(), 24);
    EXPECT_EQ(At(doc.image, 1, 0), 0x1E140Au);
    doc.image.ConvertTo(32);

    doc.OnEffectCommand(20099, nullptr);  // unlisted: only the normalisation
    EXPECT_EQ(doc.image.Depth(), 24);
    EXPECT_EQ(At(doc.image, 0, 0), 0x1E140Au);
    doc.image.ConvertTo(32);
    doc.OnEffectCommand(19999, nullptr);  // not an effect command at all
    EXPECT_EQ(doc.image.Depth(), 32);

    // Rotate 90 turns the image: 2 x 1 becomes 1 x 2.
    doc.OnEffectCommand(20004, nullptr);
    EXPECT_EQ(doc.image.Width(), 1);
    EXPECT_EQ(doc.image.Height(), 2);
    EXPECT_EQ(doc.image.Depth(), 24);
}

TEST(ImageDocumentCommands, ScriptedCommandsMatchTheImageOnlyPath) {
    // The document's steps (one undo step per effect, resize as a record)
    // must give the same pixels as running the command on a bare image.
    const uint32_t seed = 12345;
    PixelImage source;
    ASSERT_TRUE(source.Create(9, 7, 32));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            uint8_t* p = source.PixelAddress(x, y);
            p[0] = uint8_t(x * 28);
            p[1] = uint8_t(y * 36);
            p[2] = uint8_t((x * y * 5) & 0xFF);
            p[3] = 255;
        }
    for (int id : {20002, 20004, 20005, 20006, 20007, 20009, 20010, 20012, 20014, 20016, 20017, 20019, 20020,
                   20033, 20034, 20035, 20036, 20037, 20038, 20040, 20041, 20042, 20050, 20051, 20077}) {
        SCOPED_TRACE(id);
        EffectParams params;
        if (id == 20009) params = EffectParams{{5, 4, 1}, 3};
        PixelImage expected(source);
        ASSERT_TRUE(RunEffectCommand(id, params, expected, nullptr, &seed));
        ImageDocument doc;
        doc.image = source;
        doc.ApplyEffectCommand(id, params, &seed);
        EXPECT_TRUE(SamePixels(doc.image, expected));
    }
}

TEST(ImageDocumentFiles, SavedFileHoldsObjectsDocumentKeepsThem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ImageDocument doc;
    doc.image = Solid(20, 20, 24, 255, 255, 255);
    doc.objects.push_back(MakeHighlight(5, 5, 15, 15, 50));
    doc.SetModified(true);
    const QString path = QDir(dir.path()).filePath("out.bmp");
    ASSERT_TRUE(doc.SaveDocument(path));
    EXPECT_EQ(doc.modified, 0);
    EXPECT_EQ(doc.objects.size(), 1u);
    EXPECT_EQ(doc.image.Depth(), 24);
    EXPECT_EQ(At(doc.image, 10, 10), 0xFFFFFFu);

    PixelImage saved;
    ASSERT_TRUE(LoadFromFile(path.toStdString(), saved));
    // Highlight blue 128 at strength 50: a = 127. Over white:
    // blue (128*127 + 255*128)/255 = 48896/255 = 191; green and red
    // (0 + 255*128)/255 = 128.
    EXPECT_EQ(At(saved, 10, 10) & 0xFFFFFF, 0x8080BFu);
    EXPECT_EQ(At(saved, 4, 4) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(At(saved, 15, 15) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(ImageDocumentFiles, TwentyFourBitDocumentSavesTwentyFourBitFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (bool withObject : {false, true}) {
        ImageDocument doc;
        doc.image = Solid(5, 3, 24, 255, 255, 255);
        if (withObject) doc.objects.push_back(MakeHighlight(1, 1, 3, 2, 0));
        const QString path = QDir(dir.path()).filePath(withObject ? "with.bmp" : "without.bmp");
        ASSERT_TRUE(doc.SaveDocument(path));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        // 54 header bytes, then 3 rows of 5 * 3 = 15 bytes padded to 16.
        ASSERT_EQ(bytes.size(), 54 + 3 * 16) << withObject;
        EXPECT_EQ(uint8_t(bytes[28]), 24) << withObject;  // bits per pixel
        EXPECT_EQ(uint8_t(bytes[29]), 0) << withObject;
        // Stored rows are bottom-up: the highlight's row 1 is the middle one,
        // its pixel (1, 1) at 54 + 16 + 3. Opaque blue 128, green and red 0.
        const int at = 54 + 16 + 3;
        const uint32_t pixel =
            uint8_t(bytes[at]) | uint32_t(uint8_t(bytes[at + 1])) << 8 | uint32_t(uint8_t(bytes[at + 2])) << 16;
        EXPECT_EQ(pixel, withObject ? 0x000080u : 0xFFFFFFu) << withObject;
    }
}

TEST(ImageDocumentFiles, FailedSaveKeepsModified) {
    QTemporaryDir dir;
    ImageDocument doc;
    doc.image = Solid(4, 4, 32, 1, 1, 1);
    doc.SetModified(true);
    EXPECT_FALSE(doc.SaveDocument(QDir(dir.path()).filePath("out.ico")));
    EXPECT_EQ(doc.modified, 1);
}

TEST(ImageDocumentFiles, OpenConvertsToThirtyTwoBitsAndToleratesUndecodable) {
    QTemporaryDir dir;
    const QString good = QDir(dir.path()).filePath("in.bmp");
    ASSERT_NE(SaveImageFile(Solid(3, 2, 24, 9, 8, 7), good.toStdString()), 0);
    ImageDocument doc;
    ASSERT_TRUE(doc.OpenDocument(good));
    EXPECT_EQ(doc.image.Depth(), 32);
    EXPECT_EQ(At(doc.image, 2, 1), 0xFF070809u);
    EXPECT_EQ(doc.Title(), QStringLiteral("in.bmp"));
    EXPECT_EQ(doc.modified, 0);

    const QString junk = QDir(dir.path()).filePath("junk.png");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    ImageDocument other;
    EXPECT_TRUE(other.OpenDocument(junk));
    EXPECT_TRUE(other.image.IsEmpty());
    EXPECT_FALSE(other.OpenDocument(QDir(dir.path()).filePath("missing.png")));
}

}  // namespace
}  // namespace clipvane
