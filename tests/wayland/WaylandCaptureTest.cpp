// Clipvane on a headless sway session: full-screen shots through
// wlr-screencopy and through the screenshot portal, and the running program
// capturing over D-Bus. Run by tests/wayland/wayland-session.sh.
#include <QTemporaryDir>

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

}  // namespace
