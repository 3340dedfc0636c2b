#pragma once
#include <QString>

namespace clipvane {

// Where config.ini lives: `override` when given (--config PATH); else beside
// the executable when that file already exists there (portable use); else
// $XDG_CONFIG_HOME/clipvane/config.ini (folder created).
QString ResolveConfigPath(const QString& override, const QString& executableDir);

}  // namespace clipvane
