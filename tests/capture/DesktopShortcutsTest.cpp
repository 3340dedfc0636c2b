// Desktops without global key grabs (Wayland): the Define hotkey dialog
// shows the command for each mode to bind in the desktop's keyboard
// settings, and enabling hotkeys says so once instead of failing six times.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

#include "capture/CaptureDriver.h"
#include "capture/FakeDesktop.h"
#include "capture/HotkeyDialog.h"
#include "settings/ProfileFile.h"

namespace {

namespace fs = std::filesystem;
using namespace clipvane;

TEST(DesktopShortcuts, CommandsNameTheModeAndQuoteOddProgramPaths) {
    EXPECT_EQ(CaptureCommand(QStringLiteral("clipvane"), CaptureMode::FullScreen), "clipvane --capture full");
    EXPECT_EQ(CaptureCommand(QStringLiteral("clipvane"), CaptureMode::WindowObject), "clipvane --capture window");
    EXPECT_EQ(CaptureCommand(QStringLiteral("clipvane"), CaptureMode::ActiveWindow), "clipvane --capture active");
    EXPECT_EQ(CaptureCommand(QStringLiteral("clipvane"), CaptureMode::Region), "clipvane --capture region");
    EXPECT_EQ(CaptureCommand(QStringLiteral("clipvane"), CaptureMode::Scrolling), "clipvane --capture scroll");
    EXPECT_EQ(CaptureCommand(QStringLiteral("/opt/cv-1.0/bin/clipvane"), CaptureMode::FixedRect),
              "/opt/cv-1.0/bin/clipvane --capture fixed");
    // A shell must get the path back exactly: spaces, quotes and $ are quoted.
    EXPECT_EQ(CaptureCommand(QStringLiteral("/home/a b/clipvane"), CaptureMode::Region),
              "'/home/a b/clipvane' --capture region");
    EXPECT_EQ(CaptureCommand(QStringLiteral("/home/o'neil/$x/clipvane"), CaptureMode::Region),
              "'/home/o'\\''neil/$x/clipvane' --capture region");
}

class DesktopShortcutsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("cv_shortcuts_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_.SetPath((dir_ / "config.ini").c_str());
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    ProfileFile file_;
};

TEST_F(DesktopShortcutsDialog, EveryModeHasItsCommandAndCopyButton) {
    HotkeyListDialog dialog(file_);
    EXPECT_EQ(dialog.Command(CaptureMode::FullScreen), nullptr);  // an X11 desktop shows none
    EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("desktopCommands")), nullptr);
    dialog.ShowDesktopCommands(QStringLiteral("clipvane"));
    dialog.ShowDesktopCommands(QStringLiteral("clipvane"));  // once only
    EXPECT_EQ(dialog.findChildren<QGroupBox*>(QStringLiteral("desktopCommands")).size(), 1);
    const char* names[] = {"full", "window", "active", "region", "scroll", "fixed"};
    for (int m = 0; m < kCaptureModeCount; ++m) {
        QLineEdit* line = dialog.Command(CaptureMode(m));
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->isReadOnly());
        EXPECT_EQ(line->text(), QStringLiteral("clipvane --capture ") + QLatin1String(names[m]));
        QApplication::clipboard()->clear();
        dialog.CopyButton(CaptureMode(m))->click();
        EXPECT_EQ(QApplication::clipboard()->text(), line->text());
    }
    // The combinations stay editable for X11 sessions that share the file.
    EXPECT_NE(dialog.Button(CaptureMode::FullScreen), nullptr);
}

TEST_F(DesktopShortcutsDialog, TheDriverShowsThemAndReportsMissingKeyGrabsOnce) {
    test::FakeHost host;
    auto platform = std::make_unique<test::FakePlatform>();
    test::FakePlatform* fake = platform.get();
    fake->grabsKeys = false;
    CaptureDriver driver(host, std::move(platform));
    driver.LoadSettings(QString::fromStdString((dir_ / "config.ini").string()));
    for (int m = 0; m < kCaptureModeCount; ++m) driver.Settings().hotkeys[size_t(m)] = DefaultHotkey(CaptureMode(m));

    driver.RegisterHotkeys();
    driver.UnregisterHotkeys();
    driver.RegisterHotkeys();
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].contains(QStringLiteral("does not let programs set up global hotkeys")));
    EXPECT_TRUE(host.messages[0].contains(QStringLiteral("--capture full")));
    EXPECT_TRUE(fake->grabbed.empty());

    bool shown = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<HotkeyListDialog*>(w); d && d->isVisible()) {
                shown = d->Command(CaptureMode::Region) &&
                        d->Command(CaptureMode::Region)->text().endsWith(QStringLiteral(" --capture region"));
                d->reject();
            }
        }
    });
    driver.DefineHotkeys(nullptr);
    EXPECT_TRUE(shown);
}

}  // namespace
