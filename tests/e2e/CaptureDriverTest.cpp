// The capture driver on a real X server with real clients: full screen with
// auto-save and the clipboard, window picking, the active window, region
// and fixed rectangles through the overlay driven by xdotool, hotkeys and
// the remote-control calls.
#include <QClipboard>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <memory>

#include "capture/CaptureDriver.h"
#include "capture/DesktopPlatform.h"
#include "capture/SelectionOverlay.h"
#include "support/AppDriver.h"
#include "support/LiveDesktop.h"
#include "support/OverlayPick.h"
#include "imagefile/ImageFile.h"

namespace {

using namespace clipvane;
using clipvane::test::RecordingHost;
using clipvane::test::SolidWindow;

class CaptureE2E : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        if (!test::CaptureApp(&error)) GTEST_SKIP() << "no X server: " << error;
        ASSERT_TRUE(dir_.isValid());
        main_ = std::make_unique<QMainWindow>();
        main_->setWindowTitle(QStringLiteral("capture test main window"));
        main_->setGeometry(1300, 700, 400, 300);
        host_.window = main_.get();
        driver_ = std::make_unique<CaptureDriver>(host_, CreateDesktopPlatform());
        ASSERT_NE(driver_->Platform(), nullptr);
        driver_->LoadSettings(dir_.filePath(QStringLiteral("config.ini")));
        driver_->Settings().imageSavePath = dir_.filePath(QStringLiteral("shots")).toStdString();
        QObject::connect(driver_.get(), &CaptureDriver::overlayPainted, [this](qint64 ms) { overlayMs_ = ms; });
    }
    void TearDown() override {
        driver_.reset();
        main_.reset();
        // Captures put on the clipboard leave this process its owner; give
        // it up, or a program a later test starts would wait for answers
        // from a test process that is blocked waiting for that program.
        if (QClipboard* clipboard = QApplication::clipboard()) clipboard->clear();
        test::Spin(50);
    }

    void WhenOverlayOpen(std::function<void(SelectionOverlay*)> action) {
        test::WhenOverlayOpen(driver_.get(), std::move(action));
    }

    static void Xdotool(const std::string& args) {
        int status = -1;
        test::RunCommand("xdotool " + args, &status);
        EXPECT_EQ(status, 0) << args;
    }

    QTemporaryDir dir_;
    RecordingHost host_;
    std::unique_ptr<QMainWindow> main_;
    std::unique_ptr<CaptureDriver> driver_;
    qint64 overlayMs_ = -1;
};

TEST_F(CaptureE2E, FullScreenFindsTheWindowInTheSavedFileAndOnTheClipboard) {
    SolidWindow red("E01020", "300x200+400+300", "full-screen target");
    ASSERT_NE(red.Id(), 0u);
    main_->show();
    test::Spin(300);
    CaptureSettings& s = driver_->Settings();
    s.isAutoSave = true;
    s.imageFormat = kFormatPng;
    s.imageSaveTitle = "Full";
    s.copyToClipboard = true;
    s.hideWindowBeforeCapture = true;
    s.restoreWindowAfterCapture = true;
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_TRUE(main_->isVisible());

    const test::ScreenRectI c = red.Client();
    const std::string saved = dir_.filePath(QStringLiteral("shots/Full1.png")).toStdString();
    PixelImage file;
    ASSERT_TRUE(LoadFromFile(saved, file)) << saved;
    EXPECT_EQ(file.Width(), 1920);
    EXPECT_EQ(file.Height(), 1080);
    EXPECT_EQ(test::Rgb(file, c.x, c.y), 0xE01020u);
    EXPECT_EQ(test::Rgb(file, c.x + c.w - 1, c.y + c.h - 1), 0xE01020u);
    EXPECT_NE(test::Rgb(file, c.x + c.w, c.y + c.h / 2), 0xE01020u);
    // The hidden main window is not in the picture.
    EXPECT_NE(test::Rgb(file, 1500, 850), main_->palette().window().color().rgb() & 0xFFFFFF);
    EXPECT_EQ(host_.paths, QStringList{QString::fromStdString(saved)});
    EXPECT_EQ(s.startNum, 2);

    // Another program reads the clipboard while we serve it.
    QProcess targets;
    targets.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "TARGETS", "-o"});
    ASSERT_TRUE(test::SpinUntil([&] { return targets.state() == QProcess::NotRunning; }, 10000));
    const QByteArray list = targets.readAllStandardOutput();
    EXPECT_TRUE(list.contains("image/png")) << list.toStdString();
    EXPECT_TRUE(list.contains("image/bmp")) << list.toStdString();
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "image/png", "-o"});
    ASSERT_TRUE(test::SpinUntil([&] { return xclip.state() == QProcess::NotRunning; }, 20000));
    QImage pasted;
    ASSERT_TRUE(pasted.loadFromData(xclip.readAllStandardOutput(), "PNG"));
    EXPECT_EQ(pasted.size(), QSize(1920, 1080));
    EXPECT_EQ(pasted.pixel(c.x + 10, c.y + 10) & 0xFFFFFF, 0xE01020u);
}

TEST_F(CaptureE2E, WindowObjectPickedWithTheMouseGetsTheClientsFrame) {
    SolidWindow green("20C040", "320x180+700+420", "pick me");
    SolidWindow other("4040F0", "600x500+100+100", "background window");
    ASSERT_NE(green.Id(), 0u);
    Xdotool("windowactivate --sync " + green.IdText());
    test::Spin(200);
    const test::ScreenRectI f = green.Frame();
    const test::ScreenRectI c = green.Client();
    WhenOverlayOpen([&](SelectionOverlay*) {
        Xdotool("mousemove " + std::to_string(c.x + 20) + " " + std::to_string(c.y + 20));
        test::Spin(100);
        Xdotool("click 1");
    });
    ASSERT_TRUE(driver_->CaptureWindowObject());
    ASSERT_EQ(host_.delivered.size(), 1u);
    const PixelImage& img = host_.delivered[0];
    EXPECT_EQ(img.Width(), f.w);
    EXPECT_EQ(img.Height(), f.h);
    EXPECT_EQ(test::Rgb(img, c.x - f.x, c.y - f.y), 0x20C040u);
    EXPECT_EQ(test::Rgb(img, c.x - f.x + c.w - 1, c.y - f.y + c.h - 1), 0x20C040u);
    EXPECT_GE(overlayMs_, 0);
    std::printf("[ figures ] overlay open to first painted frame: %lld ms (target < 50 ms)\n",
                static_cast<long long>(overlayMs_));
}

TEST_F(CaptureE2E, ActiveWindowCapturesTheForegroundFrame) {
    SolidWindow blue("1030D0", "250x150+900+500", "active target");
    Xdotool("windowactivate --sync " + blue.IdText());
    test::Spin(200);
    driver_->Settings().hideWindowBeforeCapture = false;
    const test::ScreenRectI f = blue.Frame();
    const test::ScreenRectI c = blue.Client();
    ASSERT_TRUE(driver_->CaptureActiveWindow());
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), f.w);
    EXPECT_EQ(host_.delivered[0].Height(), f.h);
    EXPECT_EQ(test::Rgb(host_.delivered[0], c.x - f.x + 5, c.y - f.y + 5), 0x1030D0u);
}

TEST_F(CaptureE2E, MaximisedActiveWindowIsClippedToTheScreen) {
    SolidWindow big("808000", "400x300+200+200", "maximised");
    Xdotool("windowactivate --sync " + big.IdText());
    // A frame reaching past every edge.
    Xdotool("windowsize --sync " + big.IdText() + " 1940 1100");
    Xdotool("windowmove --sync " + big.IdText() + " -10 -10");
    test::Spin(300);
    ASSERT_TRUE(driver_->CaptureActiveWindow());
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_LE(host_.delivered[0].Width(), 1920);
    EXPECT_LE(host_.delivered[0].Height(), 1080);
    EXPECT_GT(host_.delivered[0].Width(), 1800);
}

TEST_F(CaptureE2E, RegionDragWithArrowKeyNudgingAndEscape) {
    SolidWindow yellow("F0E010", "600x400+400+300", "region target");
    test::Spin(200);
    const test::ScreenRectI c = yellow.Client();
    const int x0 = c.x + 50, y0 = c.y + 40;
    WhenOverlayOpen([&](SelectionOverlay*) {
        Xdotool("mousemove " + std::to_string(x0) + " " + std::to_string(y0) + " mousedown 1");
        test::Spin(50);
        Xdotool("mousemove " + std::to_string(x0 + 200) + " " + std::to_string(y0 + 150));
        test::Spin(100);
        Xdotool("key Right Right Down");
        test::Spin(150);
        Xdotool("mouseup 1");
    });
    ASSERT_TRUE(driver_->CaptureRegion());
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 202);
    EXPECT_EQ(host_.delivered[0].Height(), 151);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 0, 0), 0xF0E010u);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 201, 150), 0xF0E010u);

    WhenOverlayOpen([&](SelectionOverlay*) {
        Xdotool("mousemove 700 500 mousedown 1 mousemove 800 600");
        test::Spin(50);
        Xdotool("key Escape");
        Xdotool("mouseup 1");
    });
    EXPECT_FALSE(driver_->CaptureRegion());
    EXPECT_EQ(host_.delivered.size(), 1u);
}

TEST_F(CaptureE2E, FixedRectangleAtTheCursorWithAnOddSize) {
    SolidWindow teal("10A0A0", "400x400+700+300", "fixed target");
    test::Spin(200);
    const test::ScreenRectI c = teal.Client();
    driver_->Settings().fixRectWidth = 101;
    driver_->Settings().fixRectHeight = 51;
    WhenOverlayOpen([&](SelectionOverlay*) {
        Xdotool("mousemove " + std::to_string(c.x + 200) + " " + std::to_string(c.y + 200));
        test::Spin(100);
        Xdotool("click 1");
    });
    ASSERT_TRUE(driver_->CaptureFixedRect());
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 100);
    EXPECT_EQ(host_.delivered[0].Height(), 50);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 50, 25), 0x10A0A0u);
}

TEST_F(CaptureE2E, HotkeysStartCapturesAndAConflictIsReported) {
    // Another program holds Ctrl + Alt + Shift + W.
    std::unique_ptr<ScreenPlatform> other = CreateX11Platform();
    ASSERT_NE(other, nullptr);
    std::string why;
    ASSERT_TRUE(other->GrabHotkey('W', kModControl | kModAlt | kModShift, &why)) << why;

    CaptureSettings& s = driver_->Settings();
    for (int m = 0; m < kCaptureModeCount; ++m) s.hotkeys[size_t(m)] = DefaultHotkey(CaptureMode(m));
    driver_->ToggleHotkeys();
    ASSERT_TRUE(driver_->HotkeysEnabled());
    ASSERT_EQ(host_.messages.size(), 1);
    EXPECT_TRUE(host_.messages[0].contains(QStringLiteral("Ctrl + Alt + Shift + W")))
        << host_.messages[0].toStdString();
    EXPECT_FALSE(host_.messages[0].contains(QStringLiteral("Ctrl + Alt + Shift + F")));
    // Registering again does not repeat the report.
    driver_->RegisterHotkeys();
    EXPECT_EQ(host_.messages.size(), 1);

    std::vector<int> finished;
    QObject::connect(driver_.get(), &CaptureDriver::captureFinished, [&](int mode, bool) { finished.push_back(mode); });
    Xdotool("key ctrl+alt+shift+f");
    ASSERT_TRUE(test::SpinUntil([&] { return !finished.empty(); }, 10000));
    EXPECT_EQ(finished[0], int(CaptureMode::FullScreen));
    EXPECT_EQ(host_.delivered.size(), 1u);
    // With Num Lock on the combination still works.
    Xdotool("key Num_Lock");
    Xdotool("key ctrl+alt+shift+f");
    ASSERT_TRUE(test::SpinUntil([&] { return finished.size() == 2; }, 10000));
    Xdotool("key Num_Lock");

    driver_->ToggleHotkeys();
    EXPECT_FALSE(driver_->HotkeysEnabled());
    Xdotool("key ctrl+alt+shift+f");
    test::Spin(1500);
    EXPECT_EQ(finished.size(), 2u);
    other->UngrabHotkey('W', kModControl | kModAlt | kModShift);
}

TEST_F(CaptureE2E, WaitsKeepTheProgramAliveAndLaterCommandsQueue) {
    main_->show();
    std::vector<std::string> events;
    QObject::connect(driver_.get(), &CaptureDriver::captureFinished,
                     [&](int mode, bool) { events.push_back("finished " + std::to_string(mode)); });
    driver_->Request(CaptureMode::FullScreen);
    QTimer::singleShot(300, [&] {  // inside the 800 ms wait
        events.push_back("timer");
        main_->update();
        driver_->RemoteCapture(3);
        events.push_back(driver_->Busy() ? "busy" : "idle");
    });
    ASSERT_TRUE(test::SpinUntil([&] { return events.size() >= 4; }, 10000));
    EXPECT_EQ(events, (std::vector<std::string>{"timer", "busy", "finished 0", "finished 2"}));
}

TEST_F(CaptureE2E, RemoteHighlightAndWindowCapture) {
    SolidWindow target("C05000", "300x200+500+400", "remote target");
    test::Spin(200);
    const test::ScreenRectI f = target.Frame();
    const test::ScreenRectI c = target.Client();
    driver_->Highlight(0x7ffffff0);  // no such window
    driver_->Highlight(target.Id());
    ASSERT_TRUE(test::SpinUntil([&] { return driver_->HighlightedWindow() == target.Id(); }, 2000));
    bool done = false;
    QObject::connect(driver_.get(), &CaptureDriver::captureFinished, [&](int, bool) { done = true; });
    driver_->CaptureWindow(1, target.Id());
    ASSERT_TRUE(test::SpinUntil([&] { return done; }, 5000));
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), f.w);
    EXPECT_EQ(host_.delivered[0].Height(), f.h);
    // The highlight is gone before the grab: the frame's corner is not black.
    EXPECT_EQ(test::Rgb(host_.delivered[0], c.x - f.x, c.y - f.y), 0xC05000u);
    // A vanished window is ignored.
    driver_->CaptureWindow(1, 0x7ffffff0);
    test::Spin(300);
    EXPECT_EQ(host_.delivered.size(), 1u);
}

}  // namespace

namespace {

// While the overlay is open, the running program takes no other capture or
// command: each is refused at once with the reason (not run after the
// overlay closes), and the overlay still answers Esc.
TEST(CaptureBusyE2E, RequestsDuringTheOverlayAreRefusedAndEscStillWorks) {
    std::string error;
    if (!test::CaptureApp(&error)) GTEST_SKIP() << "no X server: " << error;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string shots = dir.filePath(QStringLiteral("shots")).toStdString();
    const std::string config = dir.filePath(QStringLiteral("config.ini")).toStdString();
    std::ofstream(config) << "[CaptureSet]\nCapAppViewMode=2\n[AudoSaveSet]\nIsAudoSave=1\nImageSavePath=" << shots
                          << "\nImageSaveTitle=Busy\nStartNum=1\n";
    test::ClipvaneProcess app(config);
    ASSERT_TRUE(app.WaitForService()) << "the program did not register on the bus";
    // A mode number that names nothing still meets the busy check first.
    auto busy = [&](std::string* reply) {
        return !app.Call("Capture", "int32:99", reply) && reply->find("Error.Busy") != std::string::npos;
    };
    std::string reply;
    ASSERT_TRUE(app.Call("Capture", "int32:2", &reply)) << reply;  // the region overlay
    ASSERT_TRUE(test::WaitFor([&] { return busy(&reply); }, 10000)) << reply;
    EXPECT_NE(reply.find("in progress"), std::string::npos) << reply;

    int status = -1;
    const std::string text =
        test::RunCommand(test::BinaryDir() + "/clipvane --config " + config + " --capture full 2>&1", &status);
    EXPECT_EQ(status, 1) << text;
    EXPECT_NE(text.find("in progress"), std::string::npos) << text;
    EXPECT_FALSE(app.Call("Capture", "int32:0", &reply));
    EXPECT_NE(reply.find("Error.Busy"), std::string::npos) << reply;
    // Commands whose dialogs would wait under the overlay's grab.
    for (unsigned id : {57664u, 32795u}) {  // About, Capture Setting
        EXPECT_FALSE(app.Call("Command", "uint32:" + std::to_string(id), &reply)) << id;
        EXPECT_NE(reply.find("Error.Busy"), std::string::npos) << reply;
    }

    test::RunCommand("xdotool key Escape");
    EXPECT_TRUE(test::WaitFor([&] { return !busy(&reply); }, 5000)) << "the overlay did not close on Esc";
    test::Spin(2000);  // longer than a capture's wait: nothing was queued
    EXPECT_FALSE(QDir(QString::fromStdString(shots)).exists() &&
                 !QDir(QString::fromStdString(shots)).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(app.Call("ActiveDocumentInfo", "", &reply)) << reply;
}

}  // namespace
