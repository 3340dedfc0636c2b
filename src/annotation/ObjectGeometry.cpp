#include "annotation/ObjectGeometry.h"

#include <algorithm>
#include <cmath>

namespace clipvane {

namespace {

int Shift(const AnnotationObject& object) { return object.shadow ? kShadowShift : 0; }

// Left and top edges inside, right and bottom outside.
bool InRect(int px, int py, int l, int t, int r, int b) { return px >= l && px < r && py >= t && py < b; }

// The 12 x 12 handle square centred on (cx, cy).
bool InSquare(int px, int py, int cx, int cy) { return InRect(px, py, cx - 6, cy - 6, cx + 6, cy + 6); }

}  // namespace

HandleCursor CursorForHandle(HandleCode code) {
    switch (code) {
    case kHandleLineStart:
    case kHandleBottomLeft:
    case kHandleTopRight: return HandleCursor::SizeNESW;
    case kHandleLineEnd:
    case kHandleTopLeft:
    case kHandleBottomRight: return HandleCursor::SizeNWSE;
    case kHandleLeft:
    case kHandleRight: return HandleCursor::SizeWE;
    case kHandleTop:
    case kHandleBottom: return HandleCursor::SizeNS;
    default: return HandleCursor::Select;
    }
}

bool HitTestLine(const AnnotationObject& object, int px, int py) {
    if (!IsLineKind(object.kind)) return false;
    const auto& line = static_cast<const LineObject&>(object);
    const int s = Shift(object);
    const int x1 = line.x1 + s, y1 = line.y1 + s, x2 = line.x2 + s, y2 = line.y2 + s;
    const double dx = double(x2) - x1, dy = double(y2) - y1;
    if (dx == 0 && dy == 0) return false;
    const double tolerance = double(line.width) + 4;
    if (std::fabs(dx) >= std::fabs(dy)) {
        if (px < std::min(x1, x2) || px > std::max(x1, x2)) return false;
        const double t = std::trunc(y1 + dy / dx * (double(px) - x1));
        return t - tolerance <= py && py <= t + tolerance;
    }
    if (py < std::min(y1, y2) || py > std::max(y1, y2)) return false;
    const double t = std::trunc(x1 + dx / dy * (double(py) - y1));
    return t - tolerance <= px && px <= t + tolerance;
}

HandleCode HandleAt(ObjectSelection& selection, int px, int py) {
    selection.cursor = HandleCursor::Select;
    AnnotationObject* object = selection.selected;
    if (!object) return kHandleNone;
    const int s = Shift(*object);
    HandleCode code = kHandleNone;
    if (IsLineKind(object->kind)) {
        const auto& line = static_cast<const LineObject&>(*object);
        selection.base[0] = line.x1;
        selection.base[1] = line.y1;
        selection.base[2] = line.x2;
        selection.base[3] = line.y2;
        if (InSquare(px, py, line.x1 + s, line.y1 + s))
            code = kHandleLineStart;
        else if (InSquare(px, py, line.x2 + s, line.y2 + s))
            code = kHandleLineEnd;
        else if (HitTestLine(*object, px, py))
            code = kHandleLineBody;
    } else {
        const Rect r = ObjectRect(*object);
        selection.base[0] = r.left;
        selection.base[1] = r.top;
        selection.base[2] = r.right;
        selection.base[3] = r.bottom;
        const int L = r.left + s, T = r.top + s, R = r.right + s, B = r.bottom + s;
        const int mx = L + (R - L) / 2, my = T + (B - T) / 2;
        const struct {
            int x, y;
            HandleCode code;
        } squares[] = {
            {L, T, kHandleTopLeft}, {L, B, kHandleBottomLeft}, {R, T, kHandleTopRight}, {R, B, kHandleBottomRight},
            {L, my, kHandleLeft},   {R, my, kHandleRight},     {mx, T, kHandleTop},     {mx, B, kHandleBottom},
        };
        for (const auto& square : squares)
            if (InSquare(px, py, square.x, square.y)) {
                code = square.code;
                break;
            }
        if (code == kHandleNone && InRect(px, py, L, T, R, B)) code = kHandleInside;
    }
    selection.cursor = CursorForHandle(code);
    return code;
}

AnnotationObject* SelectAt(ObjectSelection& selection, const ObjectList& objects, int px, int py) {
    selection.Clear();
    for (const auto& object : objects) {
        if (!object) continue;
        bool hit;
        if (IsLineKind(object->kind)) {
            hit = HitTestLine(*object, px, py);
        } else {
            const Rect r = ObjectRect(*object);
            hit = InRect(px, py, r.left, r.top, r.right, r.bottom);
        }
        if (hit) {
            selection.selected = object.get();
            break;
        }
    }
    return selection.selected;
}

void DragSelected(ObjectSelection& selection, int px, int py) {
    AnnotationObject* object = selection.selected;
    if (!object) return;
    const int dx = px - selection.startX, dy = py - selection.startY;
    const int* base = selection.base;
    if (IsLineKind(object->kind)) {
        auto& line = static_cast<LineObject&>(*object);
        switch (selection.handle) {
        case kHandleLineStart:
            line.x1 = px;
            line.y1 = py;
            break;
        case kHandleLineEnd:
            line.x2 = px;
            line.y2 = py;
            break;
        case kHandleLineBody:
            line.x1 = base[0] + dx;
            line.y1 = base[1] + dy;
            line.x2 = base[2] + dx;
            line.y2 = base[3] + dy;
            break;
        default: break;
        }
        return;
    }
    Rect r = ObjectRect(*object);
    const int m = kMinimumBoxSize;
    switch (selection.handle) {
    case kHandleTopLeft:
        r.left = std::min(px, r.right - m);
        r.top = std::min(py, r.bottom - m);
        break;
    case kHandleBottomRight:
        r.right = std::max(px, r.left + m);
        r.bottom = std::max(py, r.top + m);
        break;
    case kHandleBottomLeft:
        r.left = std::min(px, r.right - m);
        r.bottom = std::max(py, r.top + m);
        break;
    case kHandleTopRight:
        r.right = std::max(px, r.left + m);
        r.top = std::min(py, r.bottom - m);
        break;
    case kHandleLeft: r.left = std::min(px, r.right - m); break;
    case kHandleRight: r.right = std::max(px, r.left + m); break;
    case kHandleTop: r.top = std::min(py, r.bottom - m); break;
    case kHandleBottom: r.bottom = std::max(py, r.top + m); break;
    case kHandleInside: r = Rect{base[0] + dx, base[1] + dy, base[2] + dx, base[3] + dy}; break;
    default: return;
    }
    SetObjectRect(*object, r);
}

namespace {
ObjectList::iterator Find(ObjectList& objects, const AnnotationObject* object) {
    return std::find_if(objects.begin(), objects.end(), [&](const auto& o) { return o.get() == object; });
}
}  // namespace

void BringToFront(ObjectList& objects, const AnnotationObject* object) {
    auto it = Find(objects, object);
    if (it == objects.end()) return;
    std::rotate(it, it + 1, objects.end());
}

void SendToBack(ObjectList& objects, const AnnotationObject* object) {
    auto it = Find(objects, object);
    if (it == objects.end()) return;
    std::rotate(objects.begin(), it, it + 1);
}

}  // namespace clipvane
