// What a document keeps at rest: one image per undo step (before the step
// while it can be undone, after it while it can be redone), and no
// composite once there are no objects to draw over the image.
#include <gtest/gtest.h>

#include <cstring>

#include "document/ImageDocument.h"
#include "image/effects/EffectCommands.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"

namespace clipvane {
namespace {

using namespace test;

bool SameBytes(const PixelImage& a, const PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * size_t(a.Depth() / 8)) != 0) return false;
    return true;
}

int ImagesHeld(const UndoRecord& r) { return int(!r.beforeImage.IsEmpty()) + int(!r.afterImage.IsEmpty()); }

TEST(DocumentMemory, EachStepHoldsOneImageThroughUndoAndRedo) {
    ImageDocument doc;
    doc.image = Gradient(13, 9, 24);
    std::vector<PixelImage> states{doc.image};
    for (int id : {kCmdInvert, kCmdRotate90, kCmdBlur}) {
        doc.ApplyEffectCommand(id, EffectParams{});
        states.push_back(doc.image);
    }
    ASSERT_EQ(doc.UndoCount(), 3);
    auto check = [&](int at) {
        EXPECT_TRUE(SameBytes(doc.image, states[size_t(at)])) << "state " << at;
        for (const auto& r : doc.UndoSteps()) EXPECT_EQ(ImagesHeld(*r), 1);
        for (const auto& r : doc.RedoSteps()) EXPECT_EQ(ImagesHeld(*r), 1);
    };
    check(3);
    doc.OnUndo();
    check(2);
    doc.OnUndo();
    check(1);
    doc.OnRedo();
    check(2);
    doc.OnUndo();
    doc.OnUndo();
    check(0);
    doc.OnRedo();
    doc.OnRedo();
    doc.OnRedo();
    check(3);
}

TEST(DocumentMemory, AReplacingCaptureKeepsTheOldImageAsItsOnlySnapshot) {
    ImageDocument doc;
    doc.image = Gradient(13, 9, 32);
    const PixelImage before = doc.image;
    doc.ApplyCapture(Solid(4, 3, 24, 9, 8, 7), true);
    ASSERT_EQ(doc.UndoCount(), 1);
    EXPECT_TRUE(SameBytes(doc.UndoSteps().back()->beforeImage, before));
    EXPECT_EQ(doc.image.Width(), 4);
    doc.OnUndo();
    EXPECT_TRUE(SameBytes(doc.image, before));
}

TEST(DocumentMemory, NoCompositeIsKeptOnceTheObjectsAreGone) {
    ImageDocument doc;
    doc.image = Gradient(400, 300, 24);
    const AnnotationObject* line = doc.AddObject(MakeLine(10, 10, 150, 80));
    doc.Composite();
    const size_t withObjects = doc.RenderCacheBytes();
    EXPECT_GE(withObjects, size_t(400) * 300 * 4);  // the composite, for repaints
    doc.DeleteObject(line);
    EXPECT_LT(doc.RenderCacheBytes(), size_t(400) * 300 * 4);
    // A query of the composite without objects (the D-Bus pixel digest)
    // leaves none behind after the next change.
    doc.Composite();
    doc.ImageEdited();
    EXPECT_LT(doc.RenderCacheBytes(), size_t(400) * 300 * 4);
}

}  // namespace
}  // namespace clipvane
