#include "capture/HotkeyManager.h"

#include <QCoreApplication>

#include "platform/ScreenPlatform.h"

namespace clipvane {

QString HotkeyModeLabel(CaptureMode mode) {
    static const char* labels[kCaptureModeCount] = {QT_TRANSLATE_NOOP("HotkeyManager", "Capture full screen"),
                                                    QT_TRANSLATE_NOOP("HotkeyManager", "Capture window / object"),
                                                    QT_TRANSLATE_NOOP("HotkeyManager", "Capture active Window"),
                                                    QT_TRANSLATE_NOOP("HotkeyManager", "Capture rectangle region"),
                                                    QT_TRANSLATE_NOOP("HotkeyManager", "Capture scrolling window"),
                                                    QT_TRANSLATE_NOOP("HotkeyManager", "Capture fix-size Rectangle")};
    return QCoreApplication::translate("HotkeyManager", labels[int(mode)]);
}

HotkeyManager::HotkeyManager(ScreenPlatform& platform, std::function<void(CaptureMode)> onHotkey)
    : platform_(platform), onHotkey_(std::move(onHotkey)) {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installNativeEventFilter(this);
}

HotkeyManager::~HotkeyManager() {
    UnregisterAll();
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

QStringList HotkeyManager::RegisterAll(const CaptureSettings& settings) {
    UnregisterAll();
    QStringList failures;
    for (int m = 0; m < kCaptureModeCount; ++m) {
        const HotkeyDef& h = settings.hotkeys[size_t(m)];
        std::string why;
        grabbed_[size_t(m)] = h;
        active_[size_t(m)] = h.key != 0 && platform_.GrabHotkey(h.key, unsigned(h.mask), &why);
        if (!active_[size_t(m)]) {
            if (h.key == 0) why = "no key is assigned";
            const std::string text = HotkeyText(h);
            const QString combo = QString::fromLatin1(text.data(), qsizetype(text.size()));  // one Latin-1 key byte
            failures << QStringLiteral("%1%2: %3")
                            .arg(HotkeyModeLabel(CaptureMode(m)),
                                 combo.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(combo),
                                 QString::fromStdString(why));
        }
    }
    registered_ = true;
    return failures;
}

void HotkeyManager::UnregisterAll() {
    for (int m = 0; m < kCaptureModeCount; ++m) {
        if (active_[size_t(m)]) platform_.UngrabHotkey(grabbed_[size_t(m)].key, unsigned(grabbed_[size_t(m)].mask));
        active_[size_t(m)] = false;
    }
    registered_ = false;
}

bool HotkeyManager::HandleKeyPress(uint8_t keycode, uint16_t state) {
    for (int m = 0; m < kCaptureModeCount; ++m) {  // the mode order decides between equal combinations
        const HotkeyDef& h = grabbed_[size_t(m)];
        if (active_[size_t(m)] && platform_.MatchHotkey(keycode, state, h.key, unsigned(h.mask))) {
            if (onHotkey_) onHotkey_(CaptureMode(m));
            return true;
        }
    }
    return false;
}

bool HotkeyManager::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!registered_) return false;
    uint8_t keycode = 0;
    uint16_t state = 0;
    if (!platform_.KeyPressFromNative(std::string_view(eventType.constData(), size_t(eventType.size())), message,
                                      &keycode, &state))
        return false;
    return HandleKeyPress(keycode, state);
}

}  // namespace clipvane
