#pragma once
// "Define hot key" (HotkeyListDialog: the six combinations, Default, OK, Cancel)
// and "Set hot key" (HotkeyDialog: one combination typed by the user). On a
// desktop without global key grabs (Wayland) the list also shows, for each
// mode, the command to bind in the desktop's own keyboard settings.
#include <QDialog>

#include <array>

#include "settings/CaptureSettings.h"

class QCheckBox;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace clipvane {

class ProfileFile;

// Windows virtual-key codes and Qt keys; 0 when there is no counterpart.
int VirtualKeyFromQtKey(int qtKey);
int QtKeyFromVirtualKey(int vk);
// A combination as a key sequence and back (modifier bits 1 Alt, 2 Ctrl, 4 Shift).
QKeySequence SequenceFromHotkey(const HotkeyDef& hotkey);
HotkeyDef HotkeyFromSequence(const QKeySequence& sequence);

class HotkeyDialog : public QDialog {
    Q_OBJECT
public:
    // Edits `hotkey` in place on OK; Cancel leaves it unchanged.
    HotkeyDialog(HotkeyDef& hotkey, const QString& caption, QWidget* parent = nullptr);
    QKeySequenceEdit* Editor() { return edit_; }
    QLabel* Caption() { return caption_; }
    void accept() override;

private:
    HotkeyDef& hotkey_;
    QLabel* caption_;         // 1027
    QKeySequenceEdit* edit_;  // 1028
};

class HotkeyListDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the six combinations from the file (not from memory); "Enable Hot
    // Key" shows `enabled` (the IsEnableHotkey in use).
    explicit HotkeyListDialog(ProfileFile& file, bool enabled = false, QWidget* parent = nullptr);
    const std::array<HotkeyDef, kCaptureModeCount>& Hotkeys() const { return hotkeys_; }
    QCheckBox* EnableBox() { return enable_; }
    bool HotkeysEnabled() const;
    QPushButton* Button(CaptureMode mode) { return buttons_[size_t(mode)]; }
    void SetDefaults();
    void Edit(CaptureMode mode);
    void RefreshTexts();
    void accept() override;

    // Shows the group that tells the user to bind `program --capture MODE`
    // in the desktop's keyboard settings, each command selectable and with a
    // Copy button that puts it on the clipboard.
    void ShowDesktopCommands(const QString& program);
    // The shown command of a mode; null before ShowDesktopCommands.
    QLineEdit* Command(CaptureMode mode) { return commands_[size_t(mode)]; }
    QPushButton* CopyButton(CaptureMode mode) { return copyButtons_[size_t(mode)]; }

private:
    ProfileFile& file_;
    std::array<QLineEdit*, kCaptureModeCount> commands_{};
    std::array<QPushButton*, kCaptureModeCount> copyButtons_{};
    std::array<HotkeyDef, kCaptureModeCount> hotkeys_{};
    std::array<QPushButton*, kCaptureModeCount> buttons_{};
    QCheckBox* enable_ = nullptr;
};

// "clipvane --capture full" and so on: the command that starts `mode` in the
// running instance, for `program` as a shell would read it (quoted when it
// holds anything but plain path characters).
QString CaptureCommand(const QString& program, CaptureMode mode);
// The name to run this program by: "clipvane" when that is what the search
// path finds, else its full path.
QString ProgramForCommands();

// The sub-dialog run by a combination button; tests replace it.
void SetHotkeyInputForTesting(int (*run)(HotkeyDialog&));

}  // namespace clipvane
