#include "annotation/AnnotationObject.h"

#include "annotation/ObjectKinds.h"

namespace clipvane {

std::unique_ptr<AnnotationObject> CreateObject(ObjectKind kind) {
    const ObjectKindInfo* info = FindObjectKind(kind);
    return info ? info->create() : nullptr;
}

std::unique_ptr<AnnotationObject> CloneObject(const AnnotationObject& object) {
    const ObjectKindInfo* info = FindObjectKind(object.kind);
    return info ? info->clone(object) : nullptr;
}

void CopyObjectList(ObjectList& destination, const ObjectList& source) {
    if (&destination == &source) return;
    destination.clear();
    destination.reserve(source.size());
    for (const auto& object : source)
        if (object) destination.push_back(CloneObject(*object));
}

bool IsRectangleKind(ObjectKind kind) {
    const ObjectKindInfo* info = FindObjectKind(kind);
    return info && info->geometry == KindGeometry::Box;
}

bool IsLineKind(ObjectKind kind) {
    const ObjectKindInfo* info = FindObjectKind(kind);
    return info && info->geometry == KindGeometry::Segment;
}

Rect ObjectRect(const AnnotationObject& object) {
    return IsRectangleKind(object.kind) ? KindInfo(object).points(object) : Rect{};
}

void SetObjectRect(AnnotationObject& object, const Rect& rect) {
    if (IsRectangleKind(object.kind)) KindInfo(object).setPoints(object, rect);
}

}  // namespace clipvane
