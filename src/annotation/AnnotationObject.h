#pragma once
// Annotation objects: the live, editable drawings over a document image.
// The records are plain data; what differs by kind is described once in the
// kind table (ObjectKinds.h). Coordinates are image pixels, colours COLORREF
// values (0x00BBGGRR).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

using ColorRef = uint32_t;

constexpr ColorRef MakeColorRef(int red, int green, int blue) {
    return ColorRef(red & 0xFF) | ColorRef(green & 0xFF) << 8 | ColorRef(blue & 0xFF) << 16;
}
constexpr int RedOf(ColorRef c) { return int(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return int(c >> 8 & 0xFF); }
constexpr int BlueOf(ColorRef c) { return int(c >> 16 & 0xFF); }

enum ObjectKind : uint32_t {
    kObjectLine = 0,
    kObjectText = 1,
    kObjectShape = 2,
    kObjectArrow = 3,
    kObjectHighlight = 4,
    kObjectStamp = 5,
};

// Distance a shadowed object is drawn (and hit) right and down of its
// stored coordinates.
inline constexpr int kShadowShift = 5;

class AnnotationObject {
public:
    virtual ~AnnotationObject() = default;

    int32_t transparency = 0;  // 0 opaque .. 100 invisible
    int32_t shadow = 0;
    ObjectKind kind = kObjectLine;

protected:
    AnnotationObject() = default;
    AnnotationObject(const AnnotationObject&) = default;
    AnnotationObject& operator=(const AnnotationObject&) = default;
};

// Line and Arrow.
class LineObject : public AnnotationObject {
public:
    explicit LineObject(ObjectKind k = kObjectLine) { kind = k; }
    int32_t x1 = 0, y1 = 0;  // start (where the drag began)
    int32_t x2 = 0, y2 = 0;  // end; an arrow's head sits here
    int32_t width = 2;
    ColorRef color = 0;
    int32_t style = 0;  // Line: 0 solid, 1 dotted, 2 dashed. Arrow: 0 filled, 1 empty head
};

class TextObject : public AnnotationObject {
public:
    TextObject() { kind = kObjectText; }
    std::u16string text;
    std::u16string fontName = u"Arial";
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t fontSize = 16;  // points
    ColorRef textColor = 0;
    ColorRef backColor = 0xFFFFFF;
    int32_t alignment = 1;  // 0 left, 1 centre, 2 right
    int32_t bold = 0, italic = 0, underline = 0;
    int32_t boxStyle = 0;  // 0 solid background, 1 transparent
};

class ShapeObject : public AnnotationObject {
public:
    ShapeObject() { kind = kObjectShape; }
    ColorRef borderColor = 0;
    ColorRef fillColor = MakeColorRef(0, 23, 123);
    int32_t borderStyle = 0;  // 0 rectangle, 1 ellipse, 2 filled rectangle, 3 filled ellipse
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t width = 2;
};

class HighlightObject : public AnnotationObject {
public:
    HighlightObject() {
        kind = kObjectHighlight;
        transparency = 60;
    }
    ColorRef color = MakeColorRef(0, 0, 128);
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class StampObject : public AnnotationObject {
public:
    StampObject() { kind = kObjectStamp; }
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t stampIndex = 0;  // 1-based position in the stamp list, 0 for none
    PixelImage image;        // the picture, unscaled, 32 bits per pixel
};

// The document's objects in drawing order: first lowest, last on top.
using ObjectList = std::vector<std::unique_ptr<AnnotationObject>>;

// A new object of the given kind with every default.
std::unique_ptr<AnnotationObject> CreateObject(ObjectKind kind);

// A new object of the same kind holding a copy of every member (a stamp's
// picture included).
std::unique_ptr<AnnotationObject> CloneObject(const AnnotationObject& object);

// Empties `destination`, then appends a copy of each object of `source` in order.
void CopyObjectList(ObjectList& destination, const ObjectList& source);

// True for Text, Shape, Highlight and Stamp: the kinds held by a rectangle.
bool IsRectangleKind(ObjectKind kind);
// True for Line and Arrow: the kinds held by two end points.
bool IsLineKind(ObjectKind kind);

// The stored rectangle of a rectangle kind ({0,0,0,0} for lines).
Rect ObjectRect(const AnnotationObject& object);
// Sets the stored rectangle of a rectangle kind (nothing for lines).
void SetObjectRect(AnnotationObject& object, const Rect& rect);

}  // namespace clipvane
