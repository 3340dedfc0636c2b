// Captures delivered into the main window's documents, on a scripted screen.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "app/CommandIds.h"
#include "capture/CaptureDriver.h"
#include "capture/FakeDesktop.h"
#include "settings/CaptureSettings.h"

namespace clipvane {
namespace {

struct CaptureFrameFixture : test::FrameFixture {
    MainWindow& MakeWithCapture() {
        MainWindow::Options o;
        o.configPath = Config();
        o.prompts = &prompts;
        o.platform = [] { return std::make_unique<test::FakePlatform>(); };
        frame = std::make_unique<MainWindow>(o);
        CaptureSettings& s = frame->Capture()->Settings();
        s.capAppViewMode = kViewReplace;
        s.hideWindowBeforeCapture = false;
        s.restoreWindowAfterCapture = false;
        s.copyToClipboard = false;
        s.playSoundOnCapture = false;
        s.isAutoSave = false;
        QObject::connect(frame->Capture(), &CaptureDriver::captureFinished, [this] { ++finished; });
        return *frame;
    }
    bool WaitForCaptures(int count) {
        for (int i = 0; i < 200 && finished < count; ++i) QCoreApplication::processEvents();
        return finished == count;
    }
    int finished = 0;
};

// A replacing capture goes into the document that was active when it
// started, even when the wait before the grab lets File / New (or another
// tab) take the front.
TEST_F(CaptureFrameFixture, ReplacingCaptureLandsInTheDocumentActiveWhenItStarted) {
    MainWindow& f = MakeWithCapture();
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    ImageDocument* target = f.ActiveDocument();
    ASSERT_NE(target, nullptr);
    bool asked = false;
    f.Capture()->SetWaitFunction([&](int) {
        if (!asked) {
            asked = true;
            f.Dispatch(kCmdFileNew);
        }
        QCoreApplication::processEvents();
    });
    ASSERT_TRUE(f.Dispatch(kCmdCaptureFullScreen));
    ASSERT_TRUE(WaitForCaptures(1));
    ASSERT_TRUE(asked);
    ASSERT_EQ(f.Documents().Frames().size(), 2);
    ImageDocument* added = f.Documents().Frames().back()->Document();
    ASSERT_NE(added, target);
    EXPECT_EQ(target->image.Width(), 320);
    EXPECT_EQ(target->image.Height(), 240);
    EXPECT_EQ(target->UndoCount(), 1);
    EXPECT_EQ(added->image.Width(), 640);
    EXPECT_EQ(added->UndoCount(), 0);

    // The next capture follows the tab now in front.
    f.Capture()->SetWaitFunction([](int) { QCoreApplication::processEvents(); });
    ASSERT_EQ(f.ActiveDocument(), added);
    ASSERT_TRUE(f.Dispatch(kCmdCaptureFullScreen));
    ASSERT_TRUE(WaitForCaptures(2));
    EXPECT_EQ(added->image.Width(), 320);
    EXPECT_EQ(added->UndoCount(), 1);
    EXPECT_EQ(target->UndoCount(), 1);
}

// The document a capture was meant for is closed during the wait: the
// capture opens a new document instead of replacing another one.
TEST_F(CaptureFrameFixture, ReplacingCaptureWhoseDocumentClosedOpensANewOne) {
    MainWindow& f = MakeWithCapture();
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    ImageDocument* other = f.Documents().Frames().front()->Document();
    DocumentWindow* closing = f.ActiveFrame();
    bool asked = false;
    f.Capture()->SetWaitFunction([&](int) {
        if (!asked) {
            asked = true;
            closing->Document()->SetModified(false);
            closing->close();
            test::Settle();
        }
        QCoreApplication::processEvents();
    });
    ASSERT_TRUE(f.Dispatch(kCmdCaptureFullScreen));
    ASSERT_TRUE(WaitForCaptures(1));
    test::Settle();
    ASSERT_EQ(f.Documents().Frames().size(), 2);
    EXPECT_EQ(other->image.Width(), 640);
    EXPECT_EQ(other->UndoCount(), 0);
    EXPECT_EQ(f.Documents().Frames().back()->Document()->image.Width(), 320);
}

}  // namespace
}  // namespace clipvane
