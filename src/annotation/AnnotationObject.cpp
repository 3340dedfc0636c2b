#include "annotation/AnnotationObject.h"

namespace clipvane {

std::unique_ptr<AnnotationObject> CreateObject(ObjectKind kind) {
    switch (kind) {
    case kObjectLine:
    case kObjectArrow: return std::make_unique<LineObject>(kind);
    case kObjectText: return std::make_unique<TextObject>();
    case kObjectShape: return std::make_unique<ShapeObject>();
    case kObjectHighlight: return std::make_unique<HighlightObject>();
    case kObjectStamp: return std::make_unique<StampObject>();
    }
    return nullptr;
}

std::unique_ptr<AnnotationObject> CloneObject(const AnnotationObject& object) {
    switch (object.kind) {
    case kObjectLine:
    case kObjectArrow: return std::make_unique<LineObject>(static_cast<const LineObject&>(object));
    case kObjectText: return std::make_unique<TextObject>(static_cast<const TextObject&>(object));
    case kObjectShape: return std::make_unique<ShapeObject>(static_cast<const ShapeObject&>(object));
    case kObjectHighlight: return std::make_unique<HighlightObject>(static_cast<const HighlightObject&>(object));
    case kObjectStamp: return std::make_unique<StampObject>(static_cast<const StampObject&>(object));
    }
    return nullptr;
}

void CopyObjectList(ObjectList& destination, const ObjectList& source) {
    if (&destination == &source) return;
    destination.clear();
    destination.reserve(source.size());
    for (const auto& object : source)
        if (object) destination.push_back(CloneObject(*object));
}

Rect ObjectRect(const AnnotationObject& object) {
    switch (object.kind) {
    case kObjectText: {
        const auto& o = static_cast<const TextObject&>(object);
        return {o.left, o.top, o.right, o.bottom};
    }
    case kObjectShape: {
        const auto& o = static_cast<const ShapeObject&>(object);
        return {o.left, o.top, o.right, o.bottom};
    }
    case kObjectHighlight: {
        const auto& o = static_cast<const HighlightObject&>(object);
        return {o.left, o.top, o.right, o.bottom};
    }
    case kObjectStamp: {
        const auto& o = static_cast<const StampObject&>(object);
        return {o.left, o.top, o.right, o.bottom};
    }
    default: return {};
    }
}

namespace {
template <class T>
void Assign(AnnotationObject& object, const Rect& r) {
    auto& o = static_cast<T&>(object);
    o.left = r.left;
    o.top = r.top;
    o.right = r.right;
    o.bottom = r.bottom;
}
}  // namespace

void SetObjectRect(AnnotationObject& object, const Rect& rect) {
    switch (object.kind) {
    case kObjectText: Assign<TextObject>(object, rect); break;
    case kObjectShape: Assign<ShapeObject>(object, rect); break;
    case kObjectHighlight: Assign<HighlightObject>(object, rect); break;
    case kObjectStamp: Assign<StampObject>(object, rect); break;
    default: break;
    }
}

}  // namespace clipvane
