#pragma once
// "Define hot key" (HotkeyListDialog: the six combinations, Default, OK, Cancel)
// and "Set hot key" (HotkeyDialog: one combination typed by the user).
#include <QDialog>

#include <array>

#include "settings/CaptureSettings.h"

class QCheckBox;
class QKeySequenceEdit;
class QLabel;
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

private:
    ProfileFile& file_;
    std::array<HotkeyDef, kCaptureModeCount> hotkeys_{};
    std::array<QPushButton*, kCaptureModeCount> buttons_{};
    QCheckBox* enable_ = nullptr;
};

// The sub-dialog run by a combination button; tests replace it.
void SetHotkeyInputForTesting(int (*run)(HotkeyDialog&));

}  // namespace clipvane
