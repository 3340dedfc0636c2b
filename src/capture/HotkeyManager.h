#pragma once
// The six global hotkeys: grabbed on the root window from the settings,
// recognised in the toolkit's native event stream and handed to a callback
// with the mode they start.
#include <QAbstractNativeEventFilter>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

#include "settings/CaptureSettings.h"

namespace clipvane {

class ScreenPlatform;

class HotkeyManager : public QAbstractNativeEventFilter {
public:
    HotkeyManager(ScreenPlatform& platform, std::function<void(CaptureMode)> onHotkey);
    ~HotkeyManager() override;

    // Grabs every combination in the mode order. Returns a description of
    // each one that could not be grabbed ("Capture full screen (Ctrl + Shift
    // + F): another program already uses it"); empty when all worked.
    QStringList RegisterAll(const CaptureSettings& settings);
    void UnregisterAll();
    bool Registered() const { return registered_; }

    // Looks at one event of the toolkit's X connection; true when it was a
    // hotkey (the callback has run).
    bool HandleKeyPress(uint8_t keycode, uint16_t state);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    ScreenPlatform& platform_;
    std::function<void(CaptureMode)> onHotkey_;
    std::array<HotkeyDef, kCaptureModeCount> grabbed_{};
    std::array<bool, kCaptureModeCount> active_{};
    bool registered_ = false;
};

// "Capture full screen" and so on, as the hotkey dialog labels the modes.
QString HotkeyModeLabel(CaptureMode mode);

}  // namespace clipvane
