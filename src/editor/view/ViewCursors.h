#pragma once
#include <QCursor>

#include "editor/tools/ToolHost.h"

namespace clipvane {

// The pointer shape of a view cursor; the magnifier is drawn by the program.
QCursor CursorShape(ViewCursor cursor);

}  // namespace clipvane
