#pragma once
// Icons drawn by the program itself: the application icon and one icon per
// tool-bar command, painted with QPainter at any size.
#include <QIcon>

namespace clipvane {

QIcon ApplicationIcon();
// The icon of a command id (an empty icon for commands without one).
QIcon CommandIcon(unsigned id);

}  // namespace clipvane
