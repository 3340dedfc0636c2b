#pragma once
// Geometry of annotation objects for the editor: hit tests, the handles of
// the selected object and the move and resize rules. Coordinates are image
// pixels; a shadowed object is hit and handled 5 pixels right and down of
// its stored coordinates, where it is drawn.
#include "annotation/AnnotationObject.h"

namespace clipvane {

enum HandleCode : int {
    kHandleNone = 0,
    kHandleLineStart = 1,
    kHandleLineEnd = 2,
    kHandleLineBody = 3,
    kHandleTopLeft = 4,
    kHandleBottomRight = 5,
    kHandleBottomLeft = 6,
    kHandleTopRight = 7,
    kHandleLeft = 8,
    kHandleRight = 9,
    kHandleTop = 10,
    kHandleBottom = 11,
    kHandleInside = 12,
};

// The pointer shape shown over a handle.
enum class HandleCursor { Select, SizeNESW, SizeNWSE, SizeWE, SizeNS };

HandleCursor CursorForHandle(HandleCode code);

// Smallest width and height a box keeps while a handle resizes it.
inline constexpr int kMinimumBoxSize = 20;

// Is (px, py) on the body of a Line or Arrow: within the pen width plus 4
// pixels of the line, measured along the minor axis.
bool HitTestLine(const AnnotationObject& object, int px, int py);

// The view's selection: at most one object, the handle it is dragged by, the
// press position and the coordinates remembered as the base of a move.
struct ObjectSelection {
    AnnotationObject* selected = nullptr;
    HandleCode handle = kHandleNone;
    HandleCursor cursor = HandleCursor::Select;
    int startX = 0, startY = 0;  // press position in image pixels
    int base[4] = {0, 0, 0, 0};  // x1, y1, x2, y2 or left, top, right, bottom

    void Clear() {
        selected = nullptr;
        handle = kHandleNone;
    }
};

// The part of the selected object under (px, py); also sets the cursor and
// remembers the object's coordinates as the move base. kHandleNone when
// nothing is selected.
HandleCode HandleAt(ObjectSelection& selection, int px, int py);

// Selects the first (lowest) object under the point, or nothing. Boxes are
// tested at their stored rectangle (no shadow shift). Returns the selection.
AnnotationObject* SelectAt(ObjectSelection& selection, const ObjectList& objects, int px, int py);

// Applies the pointer position to the selected object by the current handle
// (press position `startX`, `startY`, base from the last HandleAt).
void DragSelected(ObjectSelection& selection, int px, int py);

// Z-order moves; nothing when `object` is not in the list.
void BringToFront(ObjectList& objects, const AnnotationObject* object);
void SendToBack(ObjectList& objects, const AnnotationObject* object);

}  // namespace clipvane
