// The Capture Setting dialog, the hotkey dialogs and the hotkey manager.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeDesktop.h"
#include "capture/HotkeyManager.h"
#include "settings/ProfileFile.h"
#include "capture/CaptureSettingsDialog.h"
#include "capture/HotkeyDialog.h"

namespace {

namespace fs = std::filesystem;
using namespace clipvane;

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (fs::temp_directory_path() / ("cv_dialogs_" + std::to_string(::getpid()) + ".ini")).string();
        fs::remove(path_);
        file_.SetPath(path_.c_str());
    }
    void TearDown() override { fs::remove(path_); }
    std::string Read() {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string path_;
    ProfileFile file_;
};

TEST_F(DialogTest, SettingPagesAreFilledFromMemoryAndEnableByTheirChecks) {
    CaptureSettings s;
    s.capAppViewMode = kViewNone;
    s.isAutoSave = false;
    s.startNum = 42;
    s.imageFormat = kFormatPng;
    s.capDelayTime = 1200;
    CaptureSettingsDialog dlg(s, &file_);
    SaveSettingsPage* save = dlg.SavePage();
    EXPECT_EQ(dlg.Sheet()->count(), 2);
    EXPECT_EQ(dlg.Sheet()->tabText(0), QStringLiteral("Capture to"));
    EXPECT_EQ(dlg.Sheet()->tabText(1), QStringLiteral("Other"));
    EXPECT_EQ(save->toClipboard->text(), QStringLiteral("To Clipboard"));
    EXPECT_FALSE(save->toEditor->isChecked());
    EXPECT_FALSE(save->newWindow->isEnabled());
    EXPECT_FALSE(save->replace->isEnabled());
    EXPECT_FALSE(save->path->isEnabled());
    EXPECT_FALSE(save->title->isEnabled());
    EXPECT_FALSE(save->startAt->isEnabled());
    EXPECT_FALSE(save->format->isEnabled());
    EXPECT_TRUE(dlg.findChild<QPushButton*>(QStringLiteral("ctl1037"))->isEnabled());  // Select
    EXPECT_EQ(save->startAt->value(), 42);
    EXPECT_EQ(save->format->currentText(), QStringLiteral("png(*.png)"));
    EXPECT_EQ(dlg.BasicPage()->delay->value(), 1200);

    save->toFile->click();
    save->toEditor->click();
    EXPECT_TRUE(save->path->isEnabled());
    EXPECT_TRUE(save->format->isEnabled());
    EXPECT_TRUE(save->replace->isEnabled());
}

TEST_F(DialogTest, ConfirmingWritesTheFileInOrderWithTheDelayAsEntered) {
    CaptureSettings s;
    s.capAppViewMode = kViewReplace;
    CaptureSettingsDialog dlg(s, &file_);
    dlg.BasicPage()->delay->setValue(100);
    dlg.BasicPage()->everyCapture->setChecked(true);  // the clipboard copy of every capture
    dlg.SavePage()->toEditor->click();                // unchecked: view mode 2
    dlg.SavePage()->format->setCurrentIndex(3);
    dlg.SavePage()->title->setText(QStringLiteral("Shot"));
    dlg.SavePage()->path->setText(QStringLiteral("/tmp/x"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(Read(),
              "[CaptureSet]\nHideWndBeforCap=0\nRestoreWndAftCap=0\nPlaySoundWhenCap=0\nCapAppViewMode=2\n"
              "CopyToClipboard=1\nCapDelayTime=100\nFixRectWidth=100\nFixRectHeight=100\n\n[AudoSaveSet]\n"
              "IsAudoSave=0\nImageFormat=3\nImageSavePath=/tmp/x\nImageSaveTitle=Shot\nStartNum=1\n");
    EXPECT_EQ(dlg.Values().capAppViewMode, kViewNone);
    EXPECT_TRUE(dlg.Values().copyToClipboard);
}

TEST_F(DialogTest, TheScrollStartChoiceIsShownAndStored) {
    CaptureSettings s;
    CaptureSettingsDialog dlg(s, &file_);
    EXPECT_FALSE(dlg.BasicPage()->scrollFromCurrent->isChecked());
    dlg.BasicPage()->scrollFromCurrent->setChecked(true);
    dlg.accept();
    EXPECT_TRUE(dlg.Values().scrollFromCurrent);
    EXPECT_EQ(file_.GetInt("CaptureSet", "ScrollFromCurrent", 0), 1);
    s.scrollFromCurrent = true;
    CaptureSettingsDialog again(s, &file_);
    EXPECT_TRUE(again.BasicPage()->scrollFromCurrent->isChecked());
}

TEST_F(DialogTest, AFormatOutsideTheListIsWrittenAsBmp) {
    CaptureSettings s;
    s.imageFormat = 9;
    CaptureSettingsDialog dlg(s, &file_);
    EXPECT_EQ(dlg.SavePage()->format->currentIndex(), -1);
    dlg.accept();
    EXPECT_EQ(file_.GetInt("AudoSaveSet", "ImageFormat", -1), 0);
}

TEST_F(DialogTest, SelectKeepsWhatWasTypedElsewhere) {
    SetFolderChooserForTesting([](const QString&) { return QStringLiteral("/chosen/folder"); });
    CaptureSettings s;
    CaptureSettingsDialog dlg(s, nullptr);
    dlg.SavePage()->title->setText(QStringLiteral("Typed"));
    dlg.findChild<QPushButton*>(QStringLiteral("ctl1037"))->click();
    EXPECT_EQ(dlg.SavePage()->path->text(), QStringLiteral("/chosen/folder"));
    EXPECT_EQ(dlg.SavePage()->title->text(), QStringLiteral("Typed"));
    SetFolderChooserForTesting(nullptr);
}

TEST_F(DialogTest, DefaultAndOkStoreTheDefaultCombinations) {
    HotkeyListDialog dlg(file_);
    EXPECT_EQ(dlg.Button(CaptureMode::FullScreen)->text(), QString());
    dlg.SetDefaults();
    EXPECT_EQ(dlg.Button(CaptureMode::FullScreen)->text(), QStringLiteral("Ctrl + Alt + Shift + F"));
    EXPECT_EQ(dlg.Button(CaptureMode::FixedRect)->text(), QStringLiteral("Ctrl + Alt + Shift + X"));
    EXPECT_FALSE(fs::exists(path_));  // nothing stored before OK
    dlg.accept();
    EXPECT_EQ(file_.GetInt("CapFullScreen", "Hotkey", 0), 70);
    EXPECT_EQ(file_.GetInt("CapFullScreen", "HotkeyMask", 0), 7);
    EXPECT_EQ(Read().find("[CapFullScreen]\nHotkey=70\nHotkeyMask=7\n\n[CapWindows]\nHotkey=87"), 0u);
}

TEST_F(DialogTest, DefineDialogReadsTheFileAndCancelKeepsIt) {
    file_.WriteInt("CapRegion", "Hotkey", 'R');
    file_.WriteInt("CapRegion", "HotkeyMask", 3);
    HotkeyListDialog dlg(file_);
    EXPECT_EQ(dlg.Button(CaptureMode::Region)->text(), QStringLiteral("Ctrl + Alt + R"));
    dlg.SetDefaults();
    dlg.reject();
    EXPECT_EQ(file_.GetInt("CapRegion", "HotkeyMask", 0), 3);
}

TEST_F(DialogTest, SetHotkeyTakesTheTypedCombination) {
    HotkeyDef pair{'F', 6};
    HotkeyDialog input(pair, QStringLiteral("Capture Windows"));
    EXPECT_EQ(input.Caption()->text(), QStringLiteral("Capture Windows hot key!"));
    EXPECT_EQ(input.Editor()->keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    input.Editor()->setKeySequence(QKeySequence(Qt::ALT | Qt::Key_F));
    input.reject();
    EXPECT_EQ(pair, (HotkeyDef{'F', 6}));  // Cancel: unchanged
    input.accept();
    EXPECT_EQ(pair, (HotkeyDef{'F', 1}));
    EXPECT_EQ(HotkeyFromSequence(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F5)), (HotkeyDef{0x74, 3}));
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Print), 0x2C);
    EXPECT_EQ(QtKeyFromVirtualKey(0x2C), int(Qt::Key_Print));
}

TEST_F(DialogTest, AButtonRunsTheSubDialogWithItsCaption) {
    static QString seen;
    SetHotkeyInputForTesting([](HotkeyDialog& d) {
        seen = d.Caption()->text();
        d.Editor()->setKeySequence(QKeySequence(Qt::SHIFT | Qt::Key_F9));
        d.accept();
        return int(QDialog::Accepted);
    });
    HotkeyListDialog dlg(file_);
    dlg.Button(CaptureMode::ActiveWindow)->click();
    SetHotkeyInputForTesting(nullptr);
    EXPECT_EQ(seen, QStringLiteral("Capture Active Window hot key!"));
    EXPECT_EQ(dlg.Hotkeys()[size_t(CaptureMode::ActiveWindow)], (HotkeyDef{0x78, 4}));
    EXPECT_EQ(dlg.Button(CaptureMode::ActiveWindow)->text(), QStringLiteral("Shift + x"));  // the key code's character
}

TEST_F(DialogTest, AKeyCodeAbove127ShowsItsLatin1Character) {
    file_.WriteInt("CapScroll", "Hotkey", 0xBA);  // VK_OEM_1
    file_.WriteInt("CapScroll", "HotkeyMask", 2);
    HotkeyListDialog dlg(file_);
    EXPECT_EQ(dlg.Button(CaptureMode::Scrolling)->text(), QStringLiteral("Ctrl + \u00BA"));
}

TEST(HotkeyManager, ReportsEveryCombinationThatCannotBeGrabbedAndDispatchesTheRest) {
    test::FakePlatform platform;
    platform.taken.insert({'W', 7u});
    std::vector<CaptureMode> fired;
    HotkeyManager manager(platform, [&](CaptureMode m) { fired.push_back(m); });
    CaptureSettings s;
    for (int m = 0; m < kCaptureModeCount; ++m) s.hotkeys[size_t(m)] = DefaultHotkey(CaptureMode(m));
    s.Hotkey(CaptureMode::FixedRect) = {};
    const QStringList failures = manager.RegisterAll(s);
    ASSERT_EQ(failures.size(), 2);
    EXPECT_EQ(failures[0],
              QStringLiteral("Capture window / object (Ctrl + Alt + Shift + W): another program already uses it"));
    EXPECT_EQ(failures[1], QStringLiteral("Capture fix-size Rectangle: no key is assigned"));
    EXPECT_EQ(platform.grabbed.size(), 4u);

    EXPECT_TRUE(manager.HandleKeyPress('G', 7));
    EXPECT_FALSE(manager.HandleKeyPress('W', 7));
    EXPECT_FALSE(manager.HandleKeyPress('G', 2));
    EXPECT_EQ(fired, std::vector<CaptureMode>{CaptureMode::Region});

    manager.UnregisterAll();
    EXPECT_TRUE(platform.grabbed.empty());
    EXPECT_FALSE(manager.HandleKeyPress('G', 7));
}

}  // namespace
