#pragma once
// The pointer shapes the editor view shows: the tools name them, the view
// turns them into Qt cursors, and the annotation layer's handle cursors map
// onto them.
#include <QCursor>

#include "annotation/ObjectGeometry.h"

namespace clipvane {

// SelectArrow: the Select tool's arrow with a four-way cross; Arrow: a plain arrow.
enum class ViewCursor {
    OpenHand,
    ClosedHand,
    Cross,
    Magnifier,
    SelectArrow,
    Arrow,
    SizeNWSE,
    SizeNESW,
    SizeWE,
    SizeNS,
};

// The cursor for what HandleAt found under the pointer; inside an object or
// off its handles that is the Select tool's cursor.
ViewCursor ToViewCursor(HandleCursor cursor);

// The pointer shape of a view cursor; the magnifier is drawn by the program.
QCursor CursorShape(ViewCursor cursor);

}  // namespace clipvane
