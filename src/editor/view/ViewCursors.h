#pragma once
#include <QCursor>

#include "editor/tools/ViewCursor.h"

namespace clipvane {

// The pointer shape of a view cursor; the magnifier is drawn by the program.
QCursor CursorShape(ViewCursor cursor);

}  // namespace clipvane
