// The capture settings as the driver uses them: numbered files that never
// replace a file, the counter against the Capture Setting dialog, first-run
// defaults and refused configuration files, the active window remembered
// from the command, the check boxes bound to their settings and the hotkey
// defaults.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <set>
#include <fstream>
#include <sstream>

#include "FakeDesktop.h"
#include "capture/CaptureDriver.h"
#include "capture/CaptureSettingsDialog.h"
#include "capture/HotkeyDialog.h"

namespace {

namespace fs = std::filesystem;
using namespace clipvane;
using clipvane::test::FakeHost;
using clipvane::test::FakePlatform;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs `action` on the first visible top-level widget of type T once the
// event loop runs (inside a modal dialog's exec).
template <typename T>
void WhenShown(std::function<void(T*)> action) {
    QTimer::singleShot(0, [action] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<T*>(w); d && d->isVisible()) {
                action(d);
                return;
            }
        }
        ADD_FAILURE() << "no dialog open";
    });
}

class SettingsFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("cv_flow_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        config_ = dir_ / "config.ini";
        auto platform = std::make_unique<FakePlatform>();
        fake_ = platform.get();
        driver_ = std::make_unique<CaptureDriver>(host_, std::move(platform));
        driver_->SetWaitFunction([](int) {});
    }
    void TearDown() override {
        driver_.reset();
        fs::remove_all(dir_);
    }
    void Load(bool firstRun = false) {
        driver_->LoadSettings(QString::fromStdString(config_.string()), firstRun);
        Settings().imageSavePath = (dir_ / "shots").string();
    }
    CaptureSettings& Settings() { return driver_->Settings(); }

    FakeHost host_;
    FakePlatform* fake_ = nullptr;
    std::unique_ptr<CaptureDriver> driver_;
    fs::path dir_, config_;
};

TEST_F(SettingsFlowTest, AutoSaveTakesTheNextFreeNumberAndNeverReplacesAFile) {
    Load();
    Settings().isAutoSave = true;
    fs::create_directories(dir_ / "shots");
    std::ofstream(dir_ / "shots" / "Snap1.bmp") << "earlier capture";
    std::ofstream(dir_ / "shots" / "Snap2.bmp") << "another one";
    fs::create_directory(dir_ / "shots" / "Snap4.bmp");  // not even a file: skipped too
    ASSERT_TRUE(driver_->CaptureFullScreen());
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_EQ(ReadFile(dir_ / "shots" / "Snap1.bmp"), "earlier capture");
    EXPECT_EQ(ReadFile(dir_ / "shots" / "Snap2.bmp"), "another one");
    EXPECT_GT(fs::file_size(dir_ / "shots" / "Snap3.bmp"), 320u * 240u * 3u);
    EXPECT_GT(fs::file_size(dir_ / "shots" / "Snap5.bmp"), 320u * 240u * 3u);
    EXPECT_EQ(Settings().startNum, 6);
    EXPECT_EQ(driver_->Profile().GetInt("AudoSaveSet", "StartNum", 0), 6);
    EXPECT_EQ(host_.events,
              (QStringList{"new", "path:" + QString::fromStdString((dir_ / "shots" / "Snap3.bmp").string()), "new",
                           "path:" + QString::fromStdString((dir_ / "shots" / "Snap5.bmp").string())}));
    EXPECT_TRUE(host_.messages.isEmpty());
}

TEST_F(SettingsFlowTest, TheCounterStopsAtItsLimitInsteadOfOverflowing) {
    Load();
    Settings().isAutoSave = true;
    Settings().startNum = kMaxStartNum;
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_TRUE(fs::exists(dir_ / "shots" / ("Snap" + std::to_string(kMaxStartNum) + ".bmp")));
    EXPECT_EQ(Settings().startNum, kMaxStartNum);
    ASSERT_TRUE(driver_->CaptureFullScreen());  // delivered, but there is no number left
    ASSERT_EQ(host_.messages.size(), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "shots"), fs::directory_iterator()), 1);
}

TEST_F(SettingsFlowTest, SettingsOkKeepsTheCounterThatCapturesAdvancedMeanwhile) {
    Load();
    Settings().isAutoSave = true;
    Settings().startNum = 5;
    WhenShown<CaptureSettingsDialog>([this](CaptureSettingsDialog* dialog) {
        // A hotkey capture runs while the dialog is open.
        ASSERT_TRUE(driver_->CaptureFullScreen());
        ASSERT_TRUE(driver_->CaptureFullScreen());
        dialog->accept();
    });
    driver_->EditSettings(nullptr);
    EXPECT_EQ(Settings().startNum, 7);
    EXPECT_EQ(driver_->Profile().GetInt("AudoSaveSet", "StartNum", 0), 7);
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_TRUE(fs::exists(dir_ / "shots" / "Snap7.bmp"));

    // A number the user types is taken, and files already there are skipped.
    WhenShown<CaptureSettingsDialog>([](CaptureSettingsDialog* dialog) {
        dialog->SavePage()->startAt->setValue(5);
        dialog->accept();
    });
    driver_->EditSettings(nullptr);
    EXPECT_EQ(Settings().startNum, 5);
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_TRUE(fs::exists(dir_ / "shots" / "Snap8.bmp"));
    EXPECT_EQ(Settings().startNum, 9);
}

TEST_F(SettingsFlowTest, NumbersTypedIntoTheDialogAreKeptInTheirRanges) {
    Load();
    WhenShown<CaptureSettingsDialog>([](CaptureSettingsDialog* dialog) {
        dialog->SavePage()->startAt->setValue(2147483647);
        EXPECT_EQ(dialog->SavePage()->startAt->value(), kMaxStartNum);
        dialog->BasicPage()->delay->setValue(2147483647);
        dialog->accept();
    });
    driver_->EditSettings(nullptr);
    EXPECT_EQ(Settings().startNum, kMaxStartNum);
    EXPECT_EQ(Settings().capDelayTime, kMaxCaptureDelay);
    EXPECT_EQ(driver_->DelayMs(), kMaxCaptureDelay);
}

TEST_F(SettingsFlowTest, AFirstStartWritesTheFirstRunDefaultsAndAnExistingFileIsReadAsItIs) {
    Load(true);
    EXPECT_TRUE(Settings().hideWindowBeforeCapture);
    EXPECT_TRUE(Settings().restoreWindowAfterCapture);
    EXPECT_TRUE(Settings().copyToClipboard);
    EXPECT_EQ(Settings().capAppViewMode, kViewNewWindow);
    const std::string written = ReadFile(config_);
    EXPECT_NE(written.find("HideWndBeforCap=1\nRestoreWndAftCap=1\n"), std::string::npos) << written;
    EXPECT_NE(written.find("CopyToClipboard=1\n"), std::string::npos) << written;

    std::ofstream(config_) << "[CaptureSet]\nRestoreWndAftCap=1\n";
    Load(true);
    EXPECT_FALSE(Settings().hideWindowBeforeCapture);
    EXPECT_TRUE(Settings().restoreWindowAfterCapture);
    EXPECT_FALSE(Settings().copyToClipboard);
    EXPECT_EQ(ReadFile(config_), "[CaptureSet]\nRestoreWndAftCap=1\n");
}

TEST_F(SettingsFlowTest, ARefusedConfigurationIsSaidAndLeftAlone) {
    ASSERT_EQ(::mkfifo(config_.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    Load(true);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
    EXPECT_FALSE(Settings().hideWindowBeforeCapture);  // defaults, not first-run ones: the file exists
    Settings().isAutoSave = true;
    ASSERT_TRUE(driver_->CaptureFullScreen());
    driver_->SaveOnClose();
    struct stat st {};
    ASSERT_EQ(::lstat(config_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SettingsFlowTest, AHotkeyCapturesTheWindowThatWasActiveWhenItWasPressed) {
    Load();
    QWidget main;
    host_.window = &main;
    main.show();
    const WindowId mainId = WindowId(main.effectiveWinId());
    // Another program's window 42 has the focus; Clipvane's window lies below it.
    fake_->windows = {TopWindow{42, Rect{10, 10, 100, 100}}, TopWindow{mainId, Rect{0, 0, 320, 240}},
                      TopWindow{43, Rect{0, 0, 320, 240}}};
    fake_->active = 42;
    Settings().hideWindowBeforeCapture = true;
    bool done = false;
    QObject::connect(driver_.get(), &CaptureDriver::captureFinished, [&](int, bool) { done = true; });
    driver_->Request(CaptureMode::ActiveWindow);
    fake_->active = 43;  // hiding the main window moved the focus before the capture ran
    for (int i = 0; i < 50 && !done; ++i) QCoreApplication::processEvents();
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 90);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 0, 0), FakePlatform::PixelAt(10, 10));

    // Asked from Clipvane itself (a menu): the window below the main window.
    main.show();
    fake_->windows = {TopWindow{mainId, Rect{0, 0, 320, 240}}, TopWindow{42, Rect{10, 10, 100, 100}},
                      TopWindow{43, Rect{0, 0, 320, 240}}};
    fake_->active = mainId;
    done = false;
    driver_->Request(CaptureMode::ActiveWindow);
    for (int i = 0; i < 50 && !done; ++i) QCoreApplication::processEvents();
    ASSERT_EQ(host_.delivered.size(), 2u);
    EXPECT_EQ(host_.delivered[1].Width(), 90);
}

TEST_F(SettingsFlowTest, TheClipboardBoxesOfBothPagesAreOneSetting) {
    Load();
    Settings().copyToClipboard = false;
    CaptureSettingsDialog dialog(Settings(), nullptr);
    EXPECT_FALSE(dialog.BasicPage()->everyCapture->isChecked());
    dialog.BasicPage()->everyCapture->click();
    EXPECT_TRUE(dialog.SavePage()->toClipboard->isChecked());
    dialog.accept();
    EXPECT_TRUE(dialog.Values().copyToClipboard);

    Settings().copyToClipboard = true;
    CaptureSettingsDialog again(Settings(), nullptr);
    EXPECT_TRUE(again.BasicPage()->everyCapture->isChecked());
    again.SavePage()->toClipboard->click();
    EXPECT_FALSE(again.BasicPage()->everyCapture->isChecked());
}

TEST_F(SettingsFlowTest, AFixedRectangleUnderOnePixelIsRefusedWithAMessage) {
    static QStringList shown;
    shown.clear();
    SetSettingsMessageForTesting([](QWidget*, const QString& text) { shown << text; });
    Load();
    ProfileFile& file = driver_->Profile();
    CaptureSettingsDialog dialog(Settings(), &file);
    dialog.BasicPage()->width->setValue(-50);
    dialog.BasicPage()->height->setValue(0);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("fixed rectangle"))) << shown[0].toStdString();
    EXPECT_EQ(dialog.Sheet()->currentWidget(), dialog.BasicPage());
    EXPECT_FALSE(fs::exists(config_));  // nothing written

    dialog.BasicPage()->width->setValue(1);
    dialog.BasicPage()->height->setValue(1);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(file.GetInt("CaptureSet", "FixRectWidth", 0), 1);
    SetSettingsMessageForTesting(nullptr);
}

TEST_F(SettingsFlowTest, EnableHotKeyInTheDefineDialogSwitchesTheHotkeys) {
    Load();
    for (int m = 0; m < kCaptureModeCount; ++m) Settings().hotkeys[size_t(m)] = DefaultHotkey(CaptureMode(m));
    Settings().SaveHotkeys(driver_->Profile());
    std::vector<bool> changes;
    QObject::connect(driver_.get(), &CaptureDriver::hotkeysEnabledChanged, [&](bool on) { changes.push_back(on); });
    WhenShown<HotkeyListDialog>([](HotkeyListDialog* dialog) {
        EXPECT_FALSE(dialog->EnableBox()->isChecked());
        dialog->EnableBox()->click();
        dialog->accept();
    });
    driver_->DefineHotkeys(nullptr);
    EXPECT_TRUE(driver_->HotkeysEnabled());
    EXPECT_EQ(changes, std::vector<bool>{true});
    EXPECT_EQ(fake_->grabbed.size(), 6u);

    WhenShown<HotkeyListDialog>([](HotkeyListDialog* dialog) {
        EXPECT_TRUE(dialog->EnableBox()->isChecked());
        dialog->EnableBox()->click();
        dialog->reject();  // Cancel changes nothing
    });
    driver_->DefineHotkeys(nullptr);
    EXPECT_TRUE(driver_->HotkeysEnabled());
    WhenShown<HotkeyListDialog>([](HotkeyListDialog* dialog) {
        dialog->EnableBox()->click();
        dialog->accept();
    });
    driver_->DefineHotkeys(nullptr);
    EXPECT_FALSE(driver_->HotkeysEnabled());
    EXPECT_TRUE(fake_->grabbed.empty());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST(HotkeyDefaults, CollideWithNoStandardShortcutNorCommonDesktopKeys) {
    std::vector<QKeySequence> taken;
    for (int k = QKeySequence::HelpContents; k <= QKeySequence::Cancel; ++k) {
        for (const QKeySequence& s : QKeySequence::keyBindings(QKeySequence::StandardKey(k))) taken.push_back(s);
    }
    // The program's own that are no standard key, and well-known desktop ones.
    for (const char* s :
         {"Ctrl+Shift+S", "Ctrl+Shift+Z", "Ctrl+Y", "Ctrl+Alt+T", "Ctrl+Alt+L", "Ctrl+Alt+D", "Ctrl+Alt+Delete",
          "Ctrl+Shift+Alt+R", "Ctrl+Shift+Escape", "Alt+F4", "Print", "Alt+Print", "Shift+Print", "Ctrl+Print"})
        taken.push_back(QKeySequence(QString::fromLatin1(s)));
    std::set<std::pair<int, int>> seen;
    for (int m = 0; m < kCaptureModeCount; ++m) {
        const HotkeyDef h = DefaultHotkey(CaptureMode(m));
        const QKeySequence sequence = SequenceFromHotkey(h);
        ASSERT_FALSE(sequence.isEmpty()) << m;
        for (const QKeySequence& t : taken) EXPECT_NE(sequence, t) << sequence.toString().toStdString();
        EXPECT_TRUE(seen.insert({h.key, h.mask}).second) << "two modes share " << HotkeyText(h);
        EXPECT_NE(h.mask & 2, 0) << "a bare key would be taken from every program";
    }
}

}  // namespace
