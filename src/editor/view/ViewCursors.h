#pragma once
#include <QCursor>

#include "editor/tools/ToolHost.h"

namespace cv {

// The pointer shape of a view cursor; the magnifier is drawn by the program.
QCursor CursorShape(ViewCursor cursor);

}  // namespace cv
