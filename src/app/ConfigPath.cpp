#include "app/ConfigPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace clipvane {

QString ResolveConfigPath(const QString& override, const QString& executableDir) {
    if (!override.isEmpty()) return QFileInfo(override).absoluteFilePath();
    const QString beside = QDir(executableDir).filePath(QStringLiteral("config.ini"));
    // An installed program (its data folder share/clipvane beside its own
    // folder) keeps the settings per user: /usr/bin is writable to root, but
    // no place for them.
    const bool installed = QFileInfo(QDir(executableDir).filePath(QStringLiteral("../share/clipvane"))).isDir();
    if (QFileInfo::exists(beside) || (!installed && QFileInfo(executableDir).isWritable())) return beside;
    const QString dir = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                            .filePath(QStringLiteral("clipvane"));
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("config.ini"));
}

}  // namespace clipvane
