// Clipvane on a headless sway session: full-screen shots through
// wlr-screencopy and through the screenshot portal, and the running program
// capturing over D-Bus. Run by tests/wayland/wayland-session.sh.
#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <memory>

#include "wayland/WaylandSession.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;

class WaylandCapture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InWaylandSession()) GTEST_SKIP() << "not inside tests/wayland/wayland-session.sh";
        ASSERT_TRUE(dir_.isValid());
    }
    std::string Path(const char* name) const { return dir_.filePath(QLatin1String(name)).toStdString(); }
    QTemporaryDir dir_;
};

TEST_F(WaylandCapture, ShotFullFindsTheNativeClientThroughScreencopyAndPortal) {
    ColourClient client("c03870");
    ASSERT_TRUE(client.Ready());
    unsetenv("CLIPVANE_PLATFORM");
    for (const char* platform : {"wayland", "portal"}) {
        SCOPED_TRACE(platform);
        setenv("CLIPVANE_PLATFORM", platform, 1);
        const std::string out = Path((std::string(platform) + ".png").c_str());
        int status = -1;
        const std::string text = RunCommand(Binary("clipvane") + " --shot full --output " + out + " 2>&1", &status);
        ASSERT_EQ(status, 0) << text;
        PixelImage image;
        ASSERT_TRUE(LoadFromFile(out, image));
        EXPECT_EQ(image.Width(), 1920);
        EXPECT_EQ(image.Height(), 1080);
        ExpectClientAt(image, 0xC03870);
    }
    unsetenv("CLIPVANE_PLATFORM");
    // The portal's file was a temporary one: read and removed.
    EXPECT_FALSE(std::filesystem::exists("/tmp/out.png"));
}

TEST_F(WaylandCapture, ShotActiveIsRefusedWithAReason) {
    int status = -1;
    const std::string text =
        RunCommand(Binary("clipvane") + " --shot active --output " + Path("active.png") + " 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("does not tell other programs which window is active"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(Path("active.png")));
}

// The running program, asked over D-Bus with auto-save on: hides its
// window, grabs the desktop and writes the numbered file.
TEST_F(WaylandCapture, RunningProgramCapturesTheScreenOverDBus) {
    ColourClient client("2090e0");
    ASSERT_TRUE(client.Ready());
    const std::string shots = Path("shots");
    WaylandApp app(Path("config.ini"),
                   "[CaptureSet]\nHideWndBeforCap=1\nCapAppViewMode=2\n[AudoSaveSet]\n"
                   "IsAudoSave=1\nImageFormat=0\nImageSavePath=" +
                       shots + "\nImageSaveTitle=Wl\nStartNum=1\n");
    ASSERT_TRUE(app.WaitForService()) << "the program did not register on the bus";
    ASSERT_TRUE(app.Call("Capture", "int32:0"));
    ASSERT_TRUE(WaitForFile(shots + "/Wl1.bmp", 15000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the rename is done
    PixelImage image;
    ASSERT_TRUE(LoadFromFile(shots + "/Wl1.bmp", image));
    EXPECT_EQ(image.Width(), 1920);
    EXPECT_EQ(image.Height(), 1080);
    ExpectClientAt(image, 0x2090E0);
}

// Region and fixed rectangle: the frozen grab in the program's own overlay,
// full screen over the output, driven by a pointer on the desktop.
class WaylandOverlay : public WaylandCapture {
protected:
    void SetUp() override {
        WaylandCapture::SetUp();
        if (IsSkipped()) return;
        shots_ = Path("shots");
        app_ = std::make_unique<WaylandApp>(Path("config.ini"),
                                            "[CaptureSet]\nHideWndBeforCap=1\nCapAppViewMode=2\nFixRectWidth=60\n"
                                            "FixRectHeight=40\n[AudoSaveSet]\nIsAudoSave=1\nImageFormat=0\n"
                                            "ImageSavePath=" +
                                                shots_ + "\nImageSaveTitle=Wl\nStartNum=1\n",
                                            nullptr,  // as a user starts it: no QT_QPA_PLATFORM
                                            Path("stderr.txt"));
        ASSERT_TRUE(app_->WaitForService()) << "the program did not register on the bus";
        ASSERT_TRUE(pointer_.Ready());
    }
    // Waits for the overlay: Clipvane's only visible window, full screen on the output.
    void ExpectOverlayShown() {
        std::string where;
        EXPECT_TRUE(PollFor(
            [&] {
                where = SwayWindows("clipvane");
                return where == "0,0,1920,1080 fullscreen=1\n";
            },
            8000))
            << where;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // its first frame is painted
    }
    PixelImage Saved(const std::string& name) {
        PixelImage image;
        EXPECT_TRUE(WaitForFile(shots_ + "/" + name, 10000));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_TRUE(LoadFromFile(shots_ + "/" + name, image));
        return image;
    }
    std::string shots_;
    std::unique_ptr<WaylandApp> app_;
    Pointer pointer_;
};

TEST_F(WaylandOverlay, RegionDraggedOverTheClientsCorner) {
    ColourClient client("30a050");
    ASSERT_TRUE(client.Ready());
    ASSERT_TRUE(app_->Call("Capture", "int32:2"));
    ExpectOverlayShown();
    ASSERT_TRUE(pointer_.Drag(250, 150, 350, 250));
    const PixelImage image = Saved("Wl1.bmp");
    ASSERT_EQ(image.Width(), 100);
    ASSERT_EQ(image.Height(), 100);
    ExpectClientAt(image, 0x30A050, 250, 150);
    EXPECT_EQ(RgbAt(image, 0, 0), kBackground);
    EXPECT_EQ(RgbAt(image, 99, 99), 0x30A050u);
    // The overlay is gone again (the main window comes back, not full screen).
    EXPECT_TRUE(PollFor([] { return SwayWindows("clipvane").find("fullscreen=1") == std::string::npos; }, 5000))
        << SwayWindows("clipvane");
    // The overlay asks for no grabs Wayland grants to popups only.
    std::ifstream errors(Path("stderr.txt"));
    const std::string text((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("grabbing the mouse"), std::string::npos) << text;
}

TEST_F(WaylandOverlay, FixedRectangleAroundAClick) {
    ColourClient client("d0d020");
    ASSERT_TRUE(client.Ready());
    ASSERT_TRUE(app_->Call("Command", "uint32:32929"));  // Capture / Fixed Rectangle
    ExpectOverlayShown();
    ASSERT_TRUE(pointer_.Send("move 300 200"));
    ASSERT_TRUE(pointer_.Send("press"));
    ASSERT_TRUE(pointer_.Send("release"));
    const PixelImage image = Saved("Wl1.bmp");
    ASSERT_EQ(image.Width(), 60);
    ASSERT_EQ(image.Height(), 40);
    EXPECT_EQ(RgbAt(image, 30, 20), 0xD0D020u);  // the client's top-left pixel
    EXPECT_EQ(RgbAt(image, 59, 39), 0xD0D020u);
    EXPECT_EQ(RgbAt(image, 29, 20), kBackground);
    EXPECT_EQ(RgbAt(image, 30, 19), kBackground);
}

// Window, active-window and scrolling capture cannot work on Wayland: D-Bus
// answers with the reason, a second instance's --capture says it and fails,
// and no file is written.
TEST_F(WaylandOverlay, WindowModesAnswerWithTheReasonAndCaptureNothing) {
    std::string reply;
    EXPECT_FALSE(app_->Call("Capture", "int32:1", &reply));
    EXPECT_NE(reply.find("org.clipvane.Clipvane.Error.NotAvailable"), std::string::npos) << reply;
    EXPECT_NE(reply.find("Window / object capture is not possible on this desktop"), std::string::npos) << reply;
    EXPECT_NE(reply.find("Rectangle Region"), std::string::npos) << reply;
    EXPECT_FALSE(app_->Call("Capture", "int32:3", &reply));
    EXPECT_NE(reply.find("Active window capture is not possible"), std::string::npos) << reply;
    EXPECT_FALSE(app_->Call("CaptureWindow", "int32:1 uint64:1234", &reply));
    EXPECT_NE(reply.find("not possible on this desktop"), std::string::npos) << reply;
    EXPECT_TRUE(app_->Call("Command", "uint32:32921", &reply)) << reply;  // Scrolling Window: reported in the window

    int status = -1;
    const std::string text = RunCommand(Binary("clipvane") + " --capture window 2>&1", &status);
    EXPECT_EQ(status, 1) << text;
    EXPECT_NE(text.find("Window / object capture is not possible"), std::string::npos) << text;
    const std::string scroll = RunCommand(Binary("clipvane") + " --capture scroll 2>&1", &status);
    EXPECT_EQ(status, 1) << scroll;
    EXPECT_NE(scroll.find("Scrolling window capture is not possible"), std::string::npos) << scroll;

    // Still alive and answering; nothing was captured.
    EXPECT_TRUE(app_->Call("ActiveDocumentInfo"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // longer than a capture's wait
    EXPECT_FALSE(std::filesystem::exists(shots_ + "/Wl1.bmp"));
    EXPECT_TRUE(SwayWindows("clipvane").find("fullscreen=1") == std::string::npos) << "no overlay opened";
}

// No global hotkeys on Wayland: the desktop's own shortcut runs the command
// the Define hotkey dialog shows, which captures in the running instance.
TEST_F(WaylandOverlay, TheDesktopShortcutsCommandCaptures) {
    ColourClient client("8040c0");
    ASSERT_TRUE(client.Ready());
    // Enabling hotkeys says it cannot (in the status bar) and breaks nothing.
    ASSERT_TRUE(app_->Call("Command", "uint32:32900"));
    // What a keyboard shortcut of the desktop runs (the build's program is
    // not on the search path, so the dialog shows its full path).
    int status = -1;
    const std::string text = RunCommand(Binary("clipvane") + " --capture full 2>&1", &status);
    EXPECT_EQ(status, 0) << text;
    const PixelImage image = Saved("Wl1.bmp");
    ASSERT_EQ(image.Width(), 1920);
    ExpectClientAt(image, 0x8040C0);
    // The dialog that lists the commands opens.
    ASSERT_TRUE(app_->Call("Command", "uint32:32899"));
    EXPECT_TRUE(PollFor([] { return SwayWindows("clipvane", true).find("Define hot key") != std::string::npos; }, 5000))
        << SwayWindows("clipvane", true);
}

}  // namespace
