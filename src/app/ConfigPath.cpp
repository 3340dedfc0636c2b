#include "app/ConfigPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace clipvane {

QString ResolveConfigPath(const QString& override, const QString& executableDir) {
    if (!override.isEmpty()) return QFileInfo(override).absoluteFilePath();
    const QString beside = QDir(executableDir).filePath(QStringLiteral("config.ini"));
    // Portable use only on purpose: a config.ini put beside the program. A
    // merely writable folder (a build tree, /usr/bin to root) gets no file.
    if (QFileInfo::exists(beside)) return beside;
    const QString dir = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                            .filePath(QStringLiteral("clipvane"));
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("config.ini"));
}

}  // namespace clipvane
