// The main window as the capture driver's host: a capture that was
// auto-saved is a saved document.
#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "app/DocumentWindow.h"
#include "app/MainWindow.h"
#include "document/ImageDocument.h"
#include "image/PixelImage.h"
#include "support/AnnotationBuilders.h"

namespace {

using namespace clipvane;
using clipvane::test::FrameFixture;

PixelImage Capture(int w, int h) {
    PixelImage image;
    image.Create(w, h, 24);
    return image;
}

TEST_F(FrameFixture, AnAutoSavedCaptureIsNotModifiedAndTakesTheFilesName) {
    MainWindow& f = Make();
    f.DeliverNew(Capture(40, 30), false);
    ImageDocument* doc = f.ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->IsModified());
    const QString path = dir.filePath(QStringLiteral("Snap1.bmp"));
    f.SetDeliveredPath(path);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->Title(), QStringLiteral("Snap1.bmp"));

    // Replacing the image of a document with objects: the file lacks the
    // objects, so the document still has changes to save.
    doc->objects.push_back(test::MakeLine(1, 1, 20, 20));
    ASSERT_TRUE(f.DeliverReplace(Capture(40, 30)));
    f.SetDeliveredPath(dir.filePath(QStringLiteral("Snap2.bmp")));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->Title(), QStringLiteral("Snap2.bmp"));
}

}  // namespace
