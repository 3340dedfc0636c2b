#include "capture/CaptureSound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace clipvane {

QString FindCaptureSound(const QString& executableDir) {
    const QString name = QStringLiteral("clipvane.wav");
    const QDir exe(executableDir);
    const QStringList candidates = {
        exe.filePath(QStringLiteral(CLIPVANE_DATA_FROM_BIN "/") + name),
        exe.filePath(name),
        QStringLiteral(CLIPVANE_SOURCE_DATA_DIR "/sound/") + name,
    };
    for (const QString& c : candidates) {
        if (QFileInfo(c).isFile()) return QFileInfo(c).canonicalFilePath();
    }
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("clipvane/") + name);
}

QString CaptureSoundPath() { return FindCaptureSound(QCoreApplication::applicationDirPath()); }

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
