#include "capture/CaptureSound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace clipvane {

QString CaptureSoundPath() {
    const QString name = QStringLiteral("clipvane.wav");
    const QDir exe(QCoreApplication::applicationDirPath());
    const QStringList candidates = {exe.filePath(name), exe.filePath(QStringLiteral("../data/sound/") + name),
                                    exe.filePath(QStringLiteral("../share/clipvane/") + name)};
    for (const QString& c : candidates) {
        if (QFileInfo(c).isFile()) return QFileInfo(c).absoluteFilePath();
    }
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("clipvane/") + name);
}

void PlayCaptureSound() {
    static const QString path = CaptureSoundPath();
    if (path.isEmpty()) return;
    struct Player {
        const char* program;
        QStringList args;
    };
    static const Player players[] = {{"paplay", {}}, {"pw-play", {}}, {"aplay", {QStringLiteral("-q")}}};
    for (const Player& p : players) {
        const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(p.program));
        if (exe.isEmpty()) continue;
        QProcess::startDetached(exe, QStringList(p.args) << path);
        return;
    }
}

}  // namespace clipvane
