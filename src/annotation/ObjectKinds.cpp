#include "annotation/ObjectKinds.h"

#include <algorithm>
#include <climits>

namespace clipvane {

namespace {

template <class T>
struct MemberPointer;
template <class R, class V>
struct MemberPointer<V R::*> {
    using Record = R;
};

template <auto F>
void* FieldOf(AnnotationObject& object) {
    using Record = typename MemberPointer<decltype(F)>::Record;
    return &(static_cast<Record&>(object).*F);
}

constexpr int32_t kCoord = kMaxObjectCoordinate;

template <auto F>
ObjectMember Int(const char* key, int32_t lo, int32_t hi, int64_t initial, int slot) {
    return {key, MemberType::Int, lo, hi, initial, slot, true, false, &FieldOf<F>};
}
template <auto F>
ObjectMember Coordinate(const char* key, int slot) {
    return {key, MemberType::Int, -kCoord, kCoord, 0, slot, true, true, &FieldOf<F>};
}
template <auto F>
ObjectMember Bool(const char* key, int64_t initial, int slot) {
    return {key, MemberType::Bool, 0, 1, initial, slot, true, false, &FieldOf<F>};
}
template <auto F>
ObjectMember Color(const char* key, ColorRef initial, int slot) {
    return {key, MemberType::Color, 0, 0xFFFFFF, initial, slot, true, false, &FieldOf<F>};
}
template <auto F>
ObjectMember Text(const char* key, int slot) {
    return {key, MemberType::Text, 0, 0, 0, slot, true, false, &FieldOf<F>};
}

// Transparency and shadow, stored first in a recovery entry and last in a
// description.
void AddCommon(std::vector<ObjectMember>& members, int transparency, int shadow) {
    members.push_back(Int<&AnnotationObject::transparency>("transparency", 0, 100, transparency, 0));
    members.push_back(Bool<&AnnotationObject::shadow>("shadow", shadow, 1));
}

template <class R>
std::vector<ObjectMember> BoxMembers(int firstSlot) {
    return {Coordinate<&R::left>("left", firstSlot), Coordinate<&R::top>("top", firstSlot + 1),
            Coordinate<&R::right>("right", firstSlot + 2), Coordinate<&R::bottom>("bottom", firstSlot + 3)};
}

template <class R>
Rect BoxOf(const AnnotationObject& object) {
    const auto& o = static_cast<const R&>(object);
    return {o.left, o.top, o.right, o.bottom};
}
template <class R>
void SetBox(AnnotationObject& object, const Rect& r) {
    auto& o = static_cast<R&>(object);
    o.left = r.left, o.top = r.top, o.right = r.right, o.bottom = r.bottom;
}
Rect SegmentOf(const AnnotationObject& object) {
    const auto& o = static_cast<const LineObject&>(object);
    return {o.x1, o.y1, o.x2, o.y2};
}
void SetSegment(AnnotationObject& object, const Rect& r) {
    auto& o = static_cast<LineObject&>(object);
    o.x1 = r.left, o.y1 = r.top, o.x2 = r.right, o.y2 = r.bottom;
}

template <class R>
std::unique_ptr<AnnotationObject> Clone(const AnnotationObject& object) {
    return std::make_unique<R>(static_cast<const R&>(object));
}

// Line and Arrow share their record; the arrow's style is only its head
// (filled or empty), and its panel has no width list.
std::unique_ptr<AnnotationObject> NewLine() { return std::make_unique<LineObject>(kObjectLine); }
std::unique_ptr<AnnotationObject> NewArrow() { return std::make_unique<LineObject>(kObjectArrow); }

ObjectKindInfo LineKind(ObjectKind kind, const char* name, int maxStyle, int width) {
    ObjectKindInfo info{kind,
                        name,
                        KindGeometry::Segment,
                        {},
                        kind == kObjectLine ? &NewLine : &NewArrow,
                        &Clone<LineObject>,
                        &SegmentOf,
                        &SetSegment};
    info.members = {Coordinate<&LineObject::x1>("x1", 2),
                    Coordinate<&LineObject::y1>("y1", 3),
                    Coordinate<&LineObject::x2>("x2", 4),
                    Coordinate<&LineObject::y2>("y2", 5),
                    Int<&LineObject::width>("width", 1, 10, width, 6),
                    Color<&LineObject::color>("color", 0, 7),
                    Int<&LineObject::style>("style", 0, maxStyle, 0, 8)};
    AddCommon(info.members, 0, 1);
    return info;
}

ObjectKindInfo TextKind() {
    ObjectKindInfo info{kObjectText,
                        "text",
                        KindGeometry::Box,
                        BoxMembers<TextObject>(4),
                        [] { return std::unique_ptr<AnnotationObject>(std::make_unique<TextObject>()); },
                        &Clone<TextObject>,
                        &BoxOf<TextObject>,
                        &SetBox<TextObject>};
    info.members.push_back(Text<&TextObject::text>("text", 2));
    info.members.push_back(Text<&TextObject::fontName>("fontName", 3));
    info.members.push_back(Int<&TextObject::fontSize>("fontSize", 1, 1000, 16, 8));
    info.members.push_back(Color<&TextObject::textColor>("textColor", 0, 9));
    info.members.push_back(Color<&TextObject::backColor>("backColor", 0xFFFFFF, 10));
    info.members.push_back(Int<&TextObject::alignment>("alignment", 0, 2, 1, 11));
    info.members.push_back(Bool<&TextObject::bold>("bold", 0, 12));
    info.members.push_back(Bool<&TextObject::italic>("italic", 0, 13));
    info.members.push_back(Bool<&TextObject::underline>("underline", 0, 14));
    info.members.push_back(Int<&TextObject::boxStyle>("boxStyle", 0, 1, 0, 15));
    AddCommon(info.members, 0, 1);
    return info;
}

ObjectKindInfo ShapeKind() {
    ObjectKindInfo info{kObjectShape,
                        "shape",
                        KindGeometry::Box,
                        BoxMembers<ShapeObject>(5),
                        [] { return std::unique_ptr<AnnotationObject>(std::make_unique<ShapeObject>()); },
                        &Clone<ShapeObject>,
                        &BoxOf<ShapeObject>,
                        &SetBox<ShapeObject>};
    info.members.push_back(Int<&ShapeObject::width>("width", 1, 10, 2, 9));
    info.members.push_back(Color<&ShapeObject::borderColor>("borderColor", 0, 2));
    info.members.push_back(Color<&ShapeObject::fillColor>("fillColor", MakeColorRef(0, 128, 128), 3));
    info.members.push_back(Int<&ShapeObject::borderStyle>("borderStyle", 0, 3, 0, 4));
    AddCommon(info.members, 0, 0);
    return info;
}

ObjectKindInfo HighlightKind() {
    ObjectKindInfo info{kObjectHighlight,
                        "highlight",
                        KindGeometry::Box,
                        BoxMembers<HighlightObject>(3),
                        [] { return std::unique_ptr<AnnotationObject>(std::make_unique<HighlightObject>()); },
                        &Clone<HighlightObject>,
                        &BoxOf<HighlightObject>,
                        &SetBox<HighlightObject>};
    info.members.push_back(Color<&HighlightObject::color>("color", MakeColorRef(0, 0, 128), 2));
    AddCommon(info.members, 50, 1);
    return info;
}

ObjectKindInfo StampKind() {
    ObjectKindInfo info{kObjectStamp,
                        "stamp",
                        KindGeometry::Box,
                        BoxMembers<StampObject>(2),
                        [] { return std::unique_ptr<AnnotationObject>(std::make_unique<StampObject>()); },
                        &Clone<StampObject>,
                        &BoxOf<StampObject>,
                        &SetBox<StampObject>};
    info.members.push_back({"image", MemberType::Picture, 0, 0, 0, 7, true, false, &FieldOf<&StampObject::image>});
    // The stamp list position only picks the panel's entry; descriptions
    // carry the picture itself.
    ObjectMember index = Int<&StampObject::stampIndex>("stampIndex", 0, INT32_MAX, 0, 6);
    index.described = false;
    info.members.push_back(index);
    AddCommon(info.members, 0, 1);
    return info;
}

}  // namespace

int64_t ObjectMember::Clamped(int64_t value) const {
    if (type == MemberType::Color) return value & 0xFFFFFF;
    if (type == MemberType::Bool) return value != 0 ? 1 : 0;
    return std::clamp<int64_t>(value, lo, hi);
}

const ObjectMember* ObjectKindInfo::Member(const char* key) const {
    for (const ObjectMember& m : members)
        if (std::string_view(m.key) == key) return &m;
    return nullptr;
}

std::vector<const ObjectMember*> ObjectKindInfo::RecoveryOrder() const {
    std::vector<const ObjectMember*> order;
    for (const ObjectMember& m : members) order.push_back(&m);
    std::sort(order.begin(), order.end(),
              [](const ObjectMember* a, const ObjectMember* b) { return a->recoverySlot < b->recoverySlot; });
    return order;
}

const std::vector<ObjectKindInfo>& ObjectKinds() {
    static const std::vector<ObjectKindInfo> kinds = {LineKind(kObjectLine, "line", 2, 2),
                                                      LineKind(kObjectArrow, "arrow", 1, 1),
                                                      TextKind(),
                                                      ShapeKind(),
                                                      HighlightKind(),
                                                      StampKind()};
    return kinds;
}

const ObjectKindInfo* FindObjectKind(uint32_t kind) {
    for (const ObjectKindInfo& info : ObjectKinds())
        if (info.kind == kind) return &info;
    return nullptr;
}

}  // namespace clipvane
