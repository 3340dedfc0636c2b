// Virtual keys to X keysyms and modifier masks.
#include <gtest/gtest.h>

#include "platform/KeyMap.h"

namespace {

using namespace clipvane;

TEST(KeyMap, VirtualKeysToKeysymsAndBack) {
    EXPECT_EQ(KeysymForVirtualKey('F'), uint32_t('f'));
    EXPECT_EQ(KeysymForVirtualKey('7'), uint32_t('7'));
    EXPECT_EQ(KeysymForVirtualKey(0x70), 0xffbeu);  // F1
    EXPECT_EQ(KeysymForVirtualKey(0x7B), 0xffc9u);  // F12
    EXPECT_EQ(KeysymForVirtualKey(0x2C), 0xff61u);  // Print
    EXPECT_EQ(KeysymForVirtualKey(0x61), 0xffb1u);  // KP_1
    EXPECT_EQ(KeysymForVirtualKey(0), 0u);
    EXPECT_EQ(KeysymForVirtualKey(0xFF), 0u);
    for (int vk : {int('A'), int('Z'), int('0'), 0x70, 0x87, 0x25, 0x2E, 0xBA, 0xDE, 0x69})
        EXPECT_EQ(VirtualKeyForKeysym(KeysymForVirtualKey(vk)), vk) << vk;
    EXPECT_EQ(VirtualKeyForKeysym('F'), 'F');
    EXPECT_EQ(XModifierMask(6), (1 << 0) | (1 << 2));
    EXPECT_EQ(XModifierMask(1), 1 << 3);
    EXPECT_EQ(XModifierMask(8), 1 << 6);
}

}  // namespace
