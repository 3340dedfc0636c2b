#pragma once
// The application icon and one icon per command: the desktop icon theme's
// where a freedesktop icon name fits the command, otherwise (and as the
// fallback) the program's own SVG drawings compiled in as resources.
#include <QIcon>

namespace clipvane {

QIcon ApplicationIcon();
// The icon of a command id (an empty icon for commands without one).
QIcon CommandIcon(unsigned id);

}  // namespace clipvane
