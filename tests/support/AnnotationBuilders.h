#pragma once
// Annotation objects built from their coordinates.
#include <memory>

#include "annotation/AnnotationObject.h"

namespace clipvane::test {

inline std::unique_ptr<LineObject> MakeLine(int x1, int y1, int x2, int y2, int width = 2) {
    auto line = std::make_unique<LineObject>();
    line->x1 = x1;
    line->y1 = y1;
    line->x2 = x2;
    line->y2 = y2;
    line->width = width;
    return line;
}

inline std::unique_ptr<ShapeObject> MakeShape(int l, int t, int r, int b) {
    auto shape = std::make_unique<ShapeObject>();
    shape->left = l;
    shape->top = t;
    shape->right = r;
    shape->bottom = b;
    return shape;
}

inline std::unique_ptr<HighlightObject> MakeHighlight(int l, int t, int r, int b, int transparency) {
    auto h = std::make_unique<HighlightObject>();
    h->left = l;
    h->top = t;
    h->right = r;
    h->bottom = b;
    h->transparency = transparency;
    return h;
}

}  // namespace clipvane::test
