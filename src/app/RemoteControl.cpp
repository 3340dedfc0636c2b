#include "app/RemoteControl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFileInfo>
#include <QTimer>

#include "app/MainWindow.h"
#include "capture/CaptureDriver.h"
#include "document/ImageDocument.h"
#include "imagefile/Sha256.h"

namespace clipvane {

RemoteControl::RemoteControl(MainWindow& frame) : QObject(&frame), frame_(frame) {}

bool RemoteControl::Register(QString* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (error) *error = QStringLiteral("no D-Bus session bus");
        return false;
    }
    if (!bus.registerService(QString::fromLatin1(kDBusService))) {
        if (error) *error = bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(kDBusPath), this, QDBusConnection::ExportAllSlots)) {
        if (error) *error = QStringLiteral("cannot export %1").arg(QString::fromLatin1(kDBusPath));
        bus.unregisterService(QString::fromLatin1(kDBusService));
        return false;
    }
    return true;
}

bool RemoteControl::Command(uint id) {
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
    return QStringLiteral("title=%1;size=%2x%3;modified=%4;undo=%5;redo=%6")
        .arg(doc->Title())
        .arg(doc->image.Width())
        .arg(doc->image.Height())
        .arg(doc->IsModified() ? 1 : 0)
        .arg(doc->UndoCount())
        .arg(doc->RedoCount());
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
    if (CaptureDriver* c = frame_.Capture()) c->RemoteCapture(mode);
}

void RemoteControl::Highlight(qulonglong window) {
    if (CaptureDriver* c = frame_.Capture()) c->Highlight(window);
}

void RemoteControl::CaptureWindow(int flag, qulonglong window) {
    if (CaptureDriver* c = frame_.Capture()) c->CaptureWindow(flag, window);
}

bool ForwardToRunningInstance(const QStringList& files, const QString& captureName) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(kDBusService)).value()) return false;
    QDBusInterface remote(QString::fromLatin1(kDBusService), QString::fromLatin1(kDBusPath),
                          QString::fromLatin1(kDBusInterface), bus);
    if (!remote.isValid()) return false;
    for (const QString& file : files) remote.call(QStringLiteral("Open"), QFileInfo(file).absoluteFilePath());
    if (!captureName.isEmpty()) {
        CaptureMode mode;
        if (CaptureModeFromName(captureName, &mode)) {
            // Modes beyond the four of Capture(int) go through their menu command.
            switch (mode) {
            case CaptureMode::FullScreen: remote.call(QStringLiteral("Capture"), 0); break;
            case CaptureMode::WindowObject: remote.call(QStringLiteral("Capture"), 1); break;
            case CaptureMode::Region: remote.call(QStringLiteral("Capture"), 2); break;
            case CaptureMode::ActiveWindow: remote.call(QStringLiteral("Capture"), 3); break;
            case CaptureMode::Scrolling: remote.call(QStringLiteral("Command"), uint(ID_CAPTURE_SCROLL)); break;
            case CaptureMode::FixedRect: remote.call(QStringLiteral("Command"), uint(ID_CAPTURE_FIXRECT)); break;
            }
        }
    }
    if (files.isEmpty() && captureName.isEmpty()) remote.call(QStringLiteral("Activate"));
    return true;
}

}  // namespace clipvane
