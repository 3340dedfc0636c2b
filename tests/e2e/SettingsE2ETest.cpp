// config.ini and the capture settings with the real program: a FIFO or
// /dev/zero named by --config neither hangs nor grows the program, a first
// start writes the first-run defaults, and an active-window capture asked
// while another program's window is active captures that window even when
// hiding Clipvane moves the focus.
#include <QMainWindow>
#include <QTemporaryDir>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "capture/CaptureDriver.h"
#include "capture/DesktopPlatform.h"
#include "app/CommandIds.h"
#include "support/AppDriver.h"
#include "support/LiveDesktop.h"

namespace {

namespace fs = std::filesystem;
using namespace clipvane;
using clipvane::test::RecordingHost;
using clipvane::test::SolidWindow;
using Clock = std::chrono::steady_clock;

bool ServiceAnswers() {
    int status = -1;
    test::RunCommand(
        "dbus-send --session --print-reply --reply-timeout=2000 --dest=org.clipvane.Clipvane /Clipvane "
        "org.clipvane.Clipvane.ActiveDocumentInfo >/dev/null 2>&1",
        &status);
    return status == 0;
}

long ResidentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// Starts clipvane with `--config path`, its standard error on `*err`.
pid_t StartWithConfig(const std::string& path, const std::string& stateDir, int* err) {
    unsetenv("QT_QPA_PLATFORM");
    setenv("XDG_STATE_HOME", stateDir.c_str(), 1);
    return test::Spawn({"/bin/sh", "-c", "exec '" + test::BinaryDir() + "/clipvane' --config '" + path + "' 2>&1"},
                       err);
}

class SettingsE2E : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        if (!test::XServerHarness::Get(&error)) GTEST_SKIP() << "no X server: " << error;
        ASSERT_TRUE(dir_.isValid());
    }
    std::string Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)).toStdString(); }
    // Starts the program on `config`, checks that it answers within a few
    // seconds and says why the file is not used, then quits it.
    void StartsAndAnswers(const std::string& config, long maxKb) {
        int err = -1;
        const auto start = Clock::now();
        const pid_t pid = StartWithConfig(config, Path("state"), &err);
        ASSERT_GT(pid, 0);
        const bool answers = test::WaitFor(ServiceAnswers, 15000);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const long kb = ResidentKb(pid);
        test::RunCommand(
            "dbus-send --session --print-reply --dest=org.clipvane.Clipvane /Clipvane org.clipvane.Clipvane.Command "
            "uint32:" +
            std::to_string(kCmdAppExit) + " >/dev/null 2>&1");
        int status = 0;
        const bool ended = test::WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 10000);
        if (!ended) test::Terminate(pid);
        std::string said, line;
        while (err >= 0 && test::ReadLine(err, &line, 500)) said += line + "\n";
        if (err >= 0) close(err);
        ASSERT_TRUE(answers) << config << " kept the program from starting";
        EXPECT_LT(ms, 10000.0);
        EXPECT_GT(kb, 0);
        EXPECT_LT(kb, maxKb) << "resident memory grew with " << config;
        EXPECT_TRUE(ended);
        EXPECT_NE(said.find(config), std::string::npos) << said;
        EXPECT_NE(said.find("default settings"), std::string::npos) << said;
        std::printf("[ figures  ] --config %s: answering after %.0f ms, %ld kB resident\n", config.c_str(), ms, kb);
    }
    QTemporaryDir dir_;
};

TEST_F(SettingsE2E, AFifoAsConfigDoesNotBlockStartUpAndIsLeftAFifo) {
    const std::string fifo = Path("config.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    StartsAndAnswers(fifo, 200 * 1024);
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // not replaced on exit
}

TEST_F(SettingsE2E, DevZeroAsConfigDoesNotGrowMemory) { StartsAndAnswers("/dev/zero", 200 * 1024); }

TEST_F(SettingsE2E, AFirstStartWritesTheFirstRunDefaults) {
    const std::string config = Path("first/config.ini");
    {
        test::ClipvaneProcess app(config);
        ASSERT_TRUE(app.WaitForService());
        std::stringstream text;
        text << std::ifstream(config).rdbuf();
        EXPECT_NE(text.str().find("HideWndBeforCap=1\nRestoreWndAftCap=1\n"), std::string::npos) << text.str();
        EXPECT_NE(text.str().find("CapAppViewMode=0\nCopyToClipboard=1\n"), std::string::npos) << text.str();
        ASSERT_TRUE(app.Command(kCmdAppExit));
        EXPECT_EQ(app.WaitExit(10000), 0);
    }
    // A file that exists is read as it is: nothing is added to it at start.
    std::ofstream(config) << "[CaptureSet]\nHideWndBeforCap=0\n";
    test::ClipvaneProcess app(config);
    ASSERT_TRUE(app.WaitForService());
    std::stringstream text;
    text << std::ifstream(config).rdbuf();
    EXPECT_EQ(text.str().substr(0, 32), "[CaptureSet]\nHideWndBeforCap=0\n");
    EXPECT_EQ(text.str().find("CopyToClipboard"), std::string::npos);
}

// Another program's window is active and Clipvane's main window lies below
// it; hiding the main window hands the focus to the window below that.
TEST_F(SettingsE2E, ActiveWindowFromAHotkeyCapturesTheWindowActiveWhenAsked) {
    std::string error;
    if (!test::CaptureApp(&error)) GTEST_SKIP() << error;
    RecordingHost host;
    SolidWindow below("20C040", "300x200+200+200", "window below Clipvane");
    QMainWindow main;
    main.setWindowTitle(QStringLiteral("settings test main window"));
    main.setGeometry(150, 150, 500, 400);
    host.window = &main;
    main.show();
    ASSERT_TRUE(test::SpinUntil([&] { return main.isVisible(); }, 5000));
    test::Spin(300);
    SolidWindow target("D02030", "240x160+1200+600", "window the user works in");
    test::RunCommand("xdotool windowactivate --sync " + target.IdText() + " >/dev/null 2>&1");
    test::Spin(300);

    CaptureDriver driver(host, CreateDesktopPlatform());
    driver.LoadSettings(dir_.filePath(QStringLiteral("active.ini")));
    driver.Settings().hideWindowBeforeCapture = true;
    driver.Settings().restoreWindowAfterCapture = true;
    driver.Settings().copyToClipboard = false;
    bool done = false;
    QObject::connect(&driver, &CaptureDriver::captureFinished, [&](int, bool) { done = true; });
    driver.Request(CaptureMode::ActiveWindow);  // as a hotkey does
    ASSERT_TRUE(test::SpinUntil([&] { return done; }, 10000));
    ASSERT_EQ(host.delivered.size(), 1u);
    const test::ScreenRectI f = target.Frame();
    const test::ScreenRectI c = target.Client();
    EXPECT_EQ(host.delivered[0].Width(), f.w);
    EXPECT_EQ(host.delivered[0].Height(), f.h);
    EXPECT_EQ(test::Rgb(host.delivered[0], c.x - f.x + 5, c.y - f.y + 5), 0xD02030u);
}

}  // namespace
