// The kind table every format reads: a fault in one entry (a repeated key or
// recovery slot, two members sharing a field, a wrong record) would corrupt
// stored files silently, so each entry is checked for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>
#include <tuple>

#include "annotation/ObjectKinds.h"

namespace clipvane {
namespace {

TEST(ObjectKinds, EveryEntryIsConsistent) {
    std::set<uint32_t> kinds;
    std::set<std::string> names;
    for (const ObjectKindInfo& info : ObjectKinds()) {
        SCOPED_TRACE(info.name);
        EXPECT_TRUE(kinds.insert(info.kind).second);
        EXPECT_TRUE(names.insert(info.name).second);
        EXPECT_EQ(FindObjectKind(info.kind), &info);
        const auto object = info.create();
        ASSERT_TRUE(object);
        EXPECT_EQ(object->kind, info.kind);

        std::set<std::string> keys;
        std::set<void*> fields;
        std::vector<int> slots;
        for (const ObjectMember& m : info.members) {
            EXPECT_TRUE(keys.insert(m.key).second) << m.key;
            EXPECT_TRUE(fields.insert(m.field(*object)).second) << m.key;
            EXPECT_EQ(info.Member(m.key), &m);
            slots.push_back(m.recoverySlot);
            if (m.type == MemberType::Int || m.type == MemberType::Bool) {
                EXPECT_LE(m.lo, m.hi) << m.key;
                EXPECT_EQ(m.Clamped(m.initial), m.initial) << m.key;
            }
        }
        // Recovery slots number the members 0..n-1 without gaps or repeats.
        std::sort(slots.begin(), slots.end());
        for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], int(i));
        EXPECT_EQ(info.RecoveryOrder().size(), info.members.size());

        // The coordinates are reached through the same fields as the members.
        info.setPoints(*object, Rect{1, 2, 3, 4});
        int sum = 0;
        for (const ObjectMember& m : info.members)
            if (m.coordinate) sum += m.IntOf(*object);
        EXPECT_EQ(sum, 10);
        const Rect points = info.points(*object);
        EXPECT_EQ(std::tie(points.left, points.top, points.right, points.bottom), std::make_tuple(1, 2, 3, 4));
        EXPECT_EQ(info.clone(*object)->kind, info.kind);
    }
    EXPECT_EQ(FindObjectKind(6), nullptr);
}

TEST(ObjectKinds, ClampingFollowsTheMemberType) {
    const ObjectKindInfo& line = *FindObjectKind(kObjectLine);
    EXPECT_EQ(line.Member("width")->Clamped(0), 1);
    EXPECT_EQ(line.Member("width")->Clamped(int64_t(1) << 40), 10);
    EXPECT_EQ(line.Member("shadow")->Clamped(-1), 1);
    EXPECT_EQ(line.Member("shadow")->Clamped(0), 0);
    EXPECT_EQ(line.Member("color")->Clamped(0xFF00FF00), 0xFF00);
    EXPECT_EQ(line.Member("x1")->Clamped(INT32_MIN), -kMaxObjectCoordinate);
}

}  // namespace
}  // namespace clipvane
