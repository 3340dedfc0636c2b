#pragma once
// One description per object kind: its name in descriptions, its geometry and
// its members, each with type, range, the value a new object starts with, its
// key and its place in the recovery entry. Readers and writers of every
// format walk this list instead of naming fields, so a new kind is its record,
// its table entry and its tests. Layers above register their own per-kind
// functions (renderers, tool panels) keyed by the kind.
#include <cstdint>
#include <memory>
#include <vector>

#include "annotation/AnnotationObject.h"

namespace clipvane {

enum class MemberType {
    Int,      // int32_t within [lo, hi]
    Bool,     // int32_t, 0 or 1
    Color,    // ColorRef, 24 bits
    Text,     // std::u16string
    Picture,  // PixelImage: a file path in descriptions, the pixels in a recovery entry
};

// How the object's coordinates are held: two end points (x1, y1, x2, y2) or
// a box (left, top, right, bottom).
enum class KindGeometry { Segment, Box };

struct ObjectMember {
    const char* key;  // the key in descriptions, and the name the panels bind to
    MemberType type;
    int32_t lo = 0, hi = 0;   // the range of Int and Bool members
    int64_t initial = 0;      // an Int, Bool or Color member of a new editor object
    int recoverySlot = 0;     // order in the recovery entry, after the kind
    bool described = true;    // false: kept in recovery entries only
    bool coordinate = false;  // moves with the object; the rest decide how it looks
    // The member inside the record; its C++ type follows `type`.
    void* (*field)(AnnotationObject&) = nullptr;

    int32_t* IntIn(AnnotationObject& o) const { return static_cast<int32_t*>(field(o)); }
    int32_t IntOf(const AnnotationObject& o) const { return *IntIn(const_cast<AnnotationObject&>(o)); }
    // An Int or Bool value brought into range (colours lose their top byte).
    int64_t Clamped(int64_t value) const;
};

struct ObjectKindInfo {
    ObjectKind kind;
    const char* name;  // "line", "arrow", ...
    KindGeometry geometry;
    std::vector<ObjectMember> members;  // in description order
    std::unique_ptr<AnnotationObject> (*create)();
    std::unique_ptr<AnnotationObject> (*clone)(const AnnotationObject&);
    // The four coordinates as a Rect: end points for segments, the box for boxes.
    Rect (*points)(const AnnotationObject&);
    void (*setPoints)(AnnotationObject&, const Rect&);

    const ObjectMember* Member(const char* key) const;
    // The members in the order a recovery entry stores them.
    std::vector<const ObjectMember*> RecoveryOrder() const;
};

// Every kind, in the order descriptions list them.
const std::vector<ObjectKindInfo>& ObjectKinds();
// The kind's entry; null for a value that names no kind.
const ObjectKindInfo* FindObjectKind(uint32_t kind);
inline const ObjectKindInfo& KindInfo(const AnnotationObject& object) { return *FindObjectKind(object.kind); }

// Largest coordinate magnitude of any member: any pixel of the largest image
// fits, and sums of coordinates cannot overflow.
inline constexpr int32_t kMaxObjectCoordinate = int32_t(1) << 28;

}  // namespace clipvane
