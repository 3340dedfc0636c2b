#include "app/ConfigPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace clipvane {

QString ResolveConfigPath(const QString& override, const QString& executableDir) {
    if (!override.isEmpty()) return QFileInfo(override).absoluteFilePath();
    const QString beside = QDir(executableDir).filePath(QStringLiteral("config.ini"));
    if (QFileInfo::exists(beside) || QFileInfo(executableDir).isWritable()) return beside;
    const QString dir = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                            .filePath(QStringLiteral("clipvane"));
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("config.ini"));
}

}  // namespace clipvane
