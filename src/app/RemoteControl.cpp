#include "app/RemoteControl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "app/MainWindow.h"
#include "app/UserPrompts.h"
#include "capture/CaptureDriver.h"
#include "document/ImageDocument.h"
#include "imagefile/Sha256.h"

namespace clipvane {

namespace {
// Opening a file decodes it: the answer may take longer than a plain call.
constexpr int kOpenAnswerMs = 60000;
}  // namespace

RemoteControl::RemoteControl(MainWindow& frame) : QObject(&frame), frame_(frame) {}

bool RemoteControl::Register(QString* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (error) *error = QStringLiteral("no D-Bus session bus");
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(kDBusPath), this, QDBusConnection::ExportAllSlots)) {
        if (error) *error = QStringLiteral("cannot export %1").arg(QString::fromLatin1(kDBusPath));
        return false;
    }
    return true;
}

bool RemoteControl::Command(uint id) {
    // While the overlay holds the keyboard and pointer, a command's dialog
    // would wait under it for input it cannot get.
    if (const QString busy = frame_.Capture() ? frame_.Capture()->BusyReason() : QString(); !busy.isEmpty()) {
        if (calledFromDBus()) sendErrorReply(QString::fromLatin1(kBusyError), busy);
        frame_.ReportMessage(busy);
        return false;
    }
    if (!frame_.CanRun(id)) return false;
    // Commands may open modal dialogs: run them after the reply has gone.
    QTimer::singleShot(0, &frame_, [this, id] { frame_.Dispatch(id); });
    return true;
}

bool RemoteControl::Open(const QString& path) {
    // The caller learns the result from the answer; the user sees the reason
    // in the status bar (or the tray's balloon), never in a box that would
    // wait on the desktop and pile up with every failed call.
    QString error;
    if (frame_.OpenFile(path, &error)) return true;
    frame_.ReportMessage(error);
    return false;
}

void RemoteControl::Activate() {
    frame_.showNormal();
    frame_.raise();
    frame_.activateWindow();
}

QString RemoteControl::ActiveDocumentInfo() {
    const ImageDocument* doc = frame_.ActiveDocument();
    if (!doc) return {};
    return QStringLiteral("title=%1;size=%2x%3;modified=%4;undo=%5;redo=%6;objects=%7")
        .arg(doc->Title())
        .arg(doc->image.Width())
        .arg(doc->image.Height())
        .arg(doc->IsModified() ? 1 : 0)
        .arg(doc->UndoCount())
        .arg(doc->RedoCount())
        .arg(doc->objects.size());
}

QString RemoteControl::ActiveDocumentPixels() {
    ImageDocument* doc = frame_.ActiveDocument();
    if (!doc) return {};
    const PixelImage& composite = doc->Composite();
    return QStringLiteral("%1x%2 objects=%3 %4")
        .arg(composite.Width())
        .arg(composite.Height())
        .arg(doc->objects.size())
        .arg(QString::fromStdString(PixelDigest(composite)));
}

void RemoteControl::Capture(int mode) {
    CaptureDriver* c = frame_.Capture();
    if (!c) return;
    CaptureMode m;
    QString why = c->BusyReason();
    const char* error = kBusyError;
    if (why.isEmpty() && CaptureModeFromRemote(mode, &m)) {
        why = c->UnavailableReason(m);
        error = kNotAvailableError;
    }
    if (!why.isEmpty() && calledFromDBus()) sendErrorReply(QString::fromLatin1(error), why);
    c->RemoteCapture(mode);  // reports the reason in the status bar
}

void RemoteControl::Highlight(qulonglong window) {
    CaptureDriver* c = frame_.Capture();
    if (!c) return;
    if (const QString why = c->WindowIdsUnavailableReason(); !why.isEmpty() && calledFromDBus())
        sendErrorReply(QString::fromLatin1(kNotAvailableError), why);
    c->Highlight(window);
}

void RemoteControl::CaptureWindow(int flag, qulonglong window) {
    CaptureDriver* c = frame_.Capture();
    if (!c) return;
    if (const QString why = c->WindowIdsUnavailableReason(); !why.isEmpty() && flag == 1 && calledFromDBus())
        sendErrorReply(QString::fromLatin1(kNotAvailableError), why);
    c->CaptureWindow(flag, window);
}

NameClaim ClaimBusName(const QString& name, QString* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) {
        if (error) *error = QStringLiteral("no D-Bus session bus");
        return NameClaim::kNoBus;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        if (error) *error = reply.error().message();
        return NameClaim::kNoBus;
    }
    return reply.value() == QDBusConnectionInterface::ServiceRegistered ? NameClaim::kOwned : NameClaim::kTaken;
}

namespace {

// One call to the running instance, waiting at most `ms` for the answer.
QDBusMessage CallRunning(const QString& method, const QVariantList& args, int ms) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kDBusService), QString::fromLatin1(kDBusPath), QString::fromLatin1(kDBusInterface), method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, std::max(ms, 1));
}

bool IsError(const QDBusMessage& m) { return m.type() == QDBusMessage::ErrorMessage; }

}  // namespace

HandOver HandOverToRunningInstance(const QStringList& files, const QString& captureName, int answerMs) {
    HandOver result;
    if (!QDBusConnection::sessionBus().isConnected()) return result;
    // First a call that the user-interface thread answers: the owner is
    // alive and its object is there. One that has the name but not yet its
    // object (still starting) answers "unknown object" at once: ask again.
    QElapsedTimer clock;
    clock.start();
    const int startingMs = 2 * answerMs;  // an owner still starting gets longer
    for (;;) {
        const QDBusMessage reply = CallRunning(QStringLiteral("ActiveDocumentInfo"), {}, answerMs);
        if (!IsError(reply)) break;
        const QDBusError::ErrorType error = QDBusError(reply).type();
        if (error == QDBusError::ServiceUnknown ||
            reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            return result;  // kNoOwner
        const bool starting = error == QDBusError::UnknownObject || error == QDBusError::UnknownMethod ||
                              error == QDBusError::UnknownInterface;
        if (!starting || clock.elapsed() > startingMs) {
            result.status = HandOver::kNoAnswer;
            result.message = QStringLiteral("the running Clipvane (%1) did not answer within %2 seconds (%3)")
                                 .arg(QString::fromLatin1(kDBusService))
                                 .arg((starting ? startingMs : answerMs) / 1000)
                                 .arg(reply.errorMessage());
            return result;
        }
        QThread::msleep(100);
    }
    result.status = HandOver::kDelivered;
    QStringList refused;
    for (const QString& file : files) {
        // Opening decodes the file: a big picture may take a while.
        const QDBusMessage reply =
            CallRunning(QStringLiteral("Open"), {QFileInfo(file).absoluteFilePath()}, kOpenAnswerMs);
        if (IsError(reply)) {
            result.status = HandOver::kNoAnswer;
            result.message =
                QStringLiteral("the running Clipvane did not open %1: %2").arg(ElidePath(file), reply.errorMessage());
            return result;
        }
        if (reply.arguments().value(0).toBool() != true) refused << ElidePath(file);
    }
    if (!refused.isEmpty()) {
        result.status = HandOver::kRefused;
        result.message =
            QStringLiteral("the running Clipvane could not open %1").arg(refused.join(QStringLiteral(", ")));
    }
    auto send = [&](const QString& method, const QVariantList& args) {
        const QDBusMessage reply = CallRunning(method, args, answerMs);
        if (IsError(reply)) {
            result.status = HandOver::kNoAnswer;
            result.message =
                QStringLiteral("the running Clipvane did not take the request: %1").arg(reply.errorMessage());
        }
    };
    CaptureMode mode;
    if (!captureName.isEmpty() && CaptureModeFromName(captureName, &mode)) {
        // A mode without a Capture(int) number goes through its menu command.
        if (const int number = RemoteCaptureNumber(mode); number >= 0) {
            send(QStringLiteral("Capture"), {number});
        } else {
            send(QStringLiteral("Command"), {uint(kCmdCaptureFixedRect)});
        }
    }
    if (files.isEmpty() && captureName.isEmpty()) send(QStringLiteral("Activate"), {});
    return result;
}

}  // namespace clipvane
