#include "app/AppIcon.h"

#include <QString>

#include "app/CommandTable.h"

namespace clipvane {

namespace {

QIcon OwnIcon(const char* file) { return QIcon(QStringLiteral(":/clipvane/icons/%1.svg").arg(QLatin1String(file))); }

}  // namespace

QIcon ApplicationIcon() {
    static const QIcon icon(QStringLiteral(":/clipvane/clipvane.svg"));
    return icon;
}

QIcon CommandIcon(unsigned id) {
    // The theme's icon by its freedesktop name, else the program's own drawing.
    const CommandInfo* info = FindCommand(id);
    if (!info) return QIcon();
    const QIcon own = info->iconFile ? OwnIcon(info->iconFile) : QIcon();
    return info->iconTheme ? QIcon::fromTheme(QLatin1String(info->iconTheme), own) : own;
}

}  // namespace clipvane
