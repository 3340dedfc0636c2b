#include "capture/GlobalShortcutsPortal.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include "capture/CaptureModes.h"
#include "capture/HotkeyManager.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
constexpr int kCreating = 1, kBinding = 2;

// One entry of BindShortcuts' a(sa{sv}).
struct Shortcut {
    QString id;
    QVariantMap properties;
};

}  // namespace

}  // namespace clipvane

Q_DECLARE_METATYPE(clipvane::Shortcut)

namespace clipvane {

namespace {

QDBusArgument& operator<<(QDBusArgument& arg, const Shortcut& s) {
    arg.beginStructure();
    arg << s.id << s.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, Shortcut& s) {
    arg.beginStructure();
    arg >> s.id >> s.properties;
    arg.endStructure();
    return arg;
}

}  // namespace

GlobalShortcutsPortal::GlobalShortcutsPortal(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(bus) {
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
}

GlobalShortcutsPortal::~GlobalShortcutsPortal() { Close(); }

QString GlobalShortcutsPortal::ShortcutId(CaptureMode mode) {
    return QStringLiteral("capture-") + QLatin1String(CaptureModeName(mode));
}

QString GlobalShortcutsPortal::Trigger(const HotkeyDef& hotkey) {
    QString key;
    if ((hotkey.key >= 'A' && hotkey.key <= 'Z') || (hotkey.key >= '0' && hotkey.key <= '9')) {
        key = QChar(hotkey.key).toLower();
    } else if (hotkey.key >= 0x70 && hotkey.key <= 0x87) {
        key = QStringLiteral("F%1").arg(hotkey.key - 0x70 + 1);
    } else {
        return {};
    }
    QString trigger;
    if (hotkey.mask & kModControl) trigger += QStringLiteral("CTRL+");
    if (hotkey.mask & kModAlt) trigger += QStringLiteral("ALT+");
    if (hotkey.mask & kModShift) trigger += QStringLiteral("SHIFT+");
    return trigger + key;
}

bool GlobalShortcutsPortal::Available() {
    if (!bus_.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortal, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus_.call(call, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool GlobalShortcutsPortal::CallWithRequest(const QString& method, QList<QVariant> args, QVariantMap options,
                                            int step) {
    // The answer comes on a Request object named after this connection and
    // a token; listening there before the call misses nothing.
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString token = QStringLiteral("clipvane%1_%2").arg(QCoreApplication::applicationPid()).arg(tokens_++);
    options.insert(QStringLiteral("handle_token"), token);
    if (!requestPath_.isEmpty())
        bus_.disconnect(kPortal, requestPath_, kRequest, QStringLiteral("Response"), this,
                        SLOT(OnResponse(QDBusMessage)));
    requestPath_ = kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    bus_.connect(QString(), requestPath_, kRequest, QStringLiteral("Response"), this, SLOT(OnResponse(QDBusMessage)));
    step_ = step;
    QDBusMessage call = QDBusMessage::createMethodCall(kPortal, kPortalPath, kInterface, method);
    args.append(options);
    call.setArguments(args);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        step_ = 0;
        emit failed(tr("The desktop did not take the shortcuts: %1").arg(reply.errorMessage()));
        return false;
    }
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != requestPath_) {  // an older portal picks the path itself
        bus_.disconnect(QString(), requestPath_, kRequest, QStringLiteral("Response"), this,
                        SLOT(OnResponse(QDBusMessage)));
        requestPath_ = handle;
        bus_.connect(QString(), requestPath_, kRequest, QStringLiteral("Response"), this,
                     SLOT(OnResponse(QDBusMessage)));
    }
    return true;
}

void GlobalShortcutsPortal::Bind(const std::array<HotkeyDef, kCaptureModeCount>& hotkeys) {
    hotkeys_ = hotkeys;
    if (!activatedConnected_) {
        activatedConnected_ = bus_.connect(QString(), kPortalPath, kInterface, QStringLiteral("Activated"), this,
                                           SLOT(OnActivated(QDBusMessage)));
    }
    if (!session_.isEmpty()) {
        SendBind();
        return;
    }
    QVariantMap options;
    options.insert(QStringLiteral("session_handle_token"),
                   QStringLiteral("clipvane%1").arg(QCoreApplication::applicationPid()));
    CallWithRequest(QStringLiteral("CreateSession"), {}, options, kCreating);
}

void GlobalShortcutsPortal::SendBind() {
    QList<Shortcut> shortcuts;
    for (int m = 0; m < kCaptureModeCount; ++m) {
        Shortcut s{ShortcutId(CaptureMode(m)), {}};
        s.properties.insert(QStringLiteral("description"), HotkeyModeLabel(CaptureMode(m)));
        if (const QString trigger = Trigger(hotkeys_[size_t(m)]); !trigger.isEmpty())
            s.properties.insert(QStringLiteral("preferred_trigger"), trigger);
        shortcuts.append(s);
    }
    CallWithRequest(QStringLiteral("BindShortcuts"),
                    {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString()}, {},
                    kBinding);
}

void GlobalShortcutsPortal::OnResponse(const QDBusMessage& message) {
    const int step = step_;
    step_ = 0;
    const uint response = message.arguments().value(0).toUInt();
    if (response != 0) {
        emit failed(response == 1 ? tr("The shortcuts were not confirmed on the desktop.")
                                  : tr("The desktop refused the shortcuts."));
        return;
    }
    QVariantMap results;
    message.arguments().value(1).value<QDBusArgument>() >> results;
    if (step == kCreating) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        session_ = handle.canConvert<QDBusObjectPath>() && handle.value<QDBusObjectPath>().path().size() > 1
                       ? handle.value<QDBusObjectPath>().path()
                       : handle.toString();
        if (session_.isEmpty()) {
            emit failed(tr("The desktop did not open a shortcuts session."));
            return;
        }
        SendBind();
    } else if (step == kBinding) {
        int count = 0;
        const QVariant list = results.value(QStringLiteral("shortcuts"));
        if (list.canConvert<QDBusArgument>()) {
            QList<Shortcut> bound;
            list.value<QDBusArgument>() >> bound;
            count = int(bound.size());
        }
        emit this->bound(count);
    }
}

void GlobalShortcutsPortal::OnActivated(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (args.size() < 2 || session_.isEmpty()) return;
    if (args[0].value<QDBusObjectPath>().path() != session_) return;
    const QString id = args[1].toString();
    for (int m = 0; m < kCaptureModeCount; ++m) {
        if (id == ShortcutId(CaptureMode(m))) emit activated(CaptureMode(m));
    }
}

void GlobalShortcutsPortal::Close() {
    if (session_.isEmpty()) return;
    bus_.call(QDBusMessage::createMethodCall(kPortal, session_, QStringLiteral("org.freedesktop.portal.Session"),
                                             QStringLiteral("Close")),
              QDBus::NoBlock);
    session_.clear();
}

}  // namespace clipvane
