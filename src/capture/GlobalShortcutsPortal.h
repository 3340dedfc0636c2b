#pragma once
// The desktop portal's org.freedesktop.portal.GlobalShortcuts: on desktops
// that offer it (Wayland has no key grabs for programs), the six capture
// shortcuts are bound through the desktop, which asks the user to confirm
// them, and their activations come back as capture requests.
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <array>

#include "settings/CaptureSettings.h"

class QDBusMessage;

namespace clipvane {

class GlobalShortcutsPortal : public QObject {
    Q_OBJECT
public:
    explicit GlobalShortcutsPortal(QDBusConnection bus, QObject* parent = nullptr);
    ~GlobalShortcutsPortal() override;

    // Whether the desktop offers the portal (it answers for its version).
    bool Available();
    // Creates the session when there is none and asks the desktop to bind
    // the six shortcuts, the combinations as the preferred triggers (a mode
    // without one is bound without). Answers later with bound() or failed().
    void Bind(const std::array<HotkeyDef, kCaptureModeCount>& hotkeys);
    // Ends the session: the desktop stops sending the shortcuts.
    void Close();

    // "capture-full", "capture-window", ...: the ids the shortcuts carry.
    static QString ShortcutId(CaptureMode mode);
    // The XDG shortcut form of a combination ("CTRL+SHIFT+f"); empty when the
    // key has no name there.
    static QString Trigger(const HotkeyDef& hotkey);

signals:
    void activated(CaptureMode mode);
    void bound(int count);
    void failed(const QString& why);

private slots:
    void OnResponse(const QDBusMessage& message);
    void OnActivated(const QDBusMessage& message);

private:
    // Calls a portal method that answers through a Request object; the
    // answer reaches OnResponse with `step` remembered.
    bool CallWithRequest(const QString& method, QList<QVariant> args, QVariantMap options, int step);
    void SendBind();

    QDBusConnection bus_;
    QString session_;
    QString requestPath_;
    int step_ = 0;  // 1 creating the session, 2 binding
    unsigned tokens_ = 0;
    std::array<HotkeyDef, kCaptureModeCount> hotkeys_{};
    bool activatedConnected_ = false;
};

}  // namespace clipvane
