#include "platform/KeyMap.h"

#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {

struct KeyPair {
    int vk;
    uint32_t keysym;
};

// Codes outside the letter, digit, function-key and keypad ranges.
constexpr KeyPair kNamedKeys[] = {
    {0x08, 0xff08},  // Back -> BackSpace
    {0x09, 0xff09},  // Tab
    {0x0D, 0xff0d},  // Return
    {0x13, 0xff13},  // Pause
    {0x1B, 0xff1b},  // Escape
    {0x20, 0x0020},  // space
    {0x21, 0xff55},  // Prior -> Page_Up
    {0x22, 0xff56},  // Next -> Page_Down
    {0x23, 0xff57},  // End
    {0x24, 0xff50},  // Home
    {0x25, 0xff51},  // Left
    {0x26, 0xff52},  // Up
    {0x27, 0xff53},  // Right
    {0x28, 0xff54},  // Down
    {0x2C, 0xff61},  // Snapshot -> Print
    {0x2D, 0xff63},  // Insert
    {0x2E, 0xffff},  // Delete
    {0x6A, 0xffaa},  // KP_Multiply
    {0x6B, 0xffab},  // KP_Add
    {0x6D, 0xffad},  // KP_Subtract
    {0x6E, 0xffae},  // KP_Decimal
    {0x6F, 0xffaf},  // KP_Divide
    {0x91, 0xff14},  // Scroll_Lock
    {0xBA, 0x003b},  // semicolon
    {0xBB, 0x003d},  // equal
    {0xBC, 0x002c},  // comma
    {0xBD, 0x002d},  // minus
    {0xBE, 0x002e},  // period
    {0xBF, 0x002f},  // slash
    {0xC0, 0x0060},  // grave
    {0xDB, 0x005b},  // bracketleft
    {0xDC, 0x005c},  // backslash
    {0xDD, 0x005d},  // bracketright
    {0xDE, 0x0027},  // apostrophe
};

}  // namespace

uint32_t KeysymForVirtualKey(int vk) {
    if (vk >= 'A' && vk <= 'Z') return uint32_t(vk - 'A' + 'a');  // grab by the unshifted keysym
    if (vk >= '0' && vk <= '9') return uint32_t(vk);
    if (vk >= 0x70 && vk <= 0x87) return uint32_t(0xffbe + (vk - 0x70));  // F1..F24
    if (vk >= 0x60 && vk <= 0x69) return uint32_t(0xffb0 + (vk - 0x60));  // KP_0..KP_9
    for (const KeyPair& k : kNamedKeys) {
        if (k.vk == vk) return k.keysym;
    }
    return 0;
}

int VirtualKeyForKeysym(uint32_t keysym) {
    if (keysym >= 'a' && keysym <= 'z') return int(keysym - 'a' + 'A');
    if (keysym >= 'A' && keysym <= 'Z') return int(keysym);
    if (keysym >= '0' && keysym <= '9') return int(keysym);
    if (keysym >= 0xffbe && keysym <= 0xffbe + 23) return int(0x70 + (keysym - 0xffbe));
    if (keysym >= 0xffb0 && keysym <= 0xffb9) return int(0x60 + (keysym - 0xffb0));
    for (const KeyPair& k : kNamedKeys) {
        if (k.keysym == keysym) return k.vk;
    }
    return 0;
}

uint16_t XModifierMask(unsigned modifiers) {
    uint16_t mask = 0;
    if (modifiers & kModShift) mask |= 1 << 0;    // ShiftMask
    if (modifiers & kModControl) mask |= 1 << 2;  // ControlMask
    if (modifiers & kModAlt) mask |= 1 << 3;      // Mod1Mask
    if (modifiers & kModWin) mask |= 1 << 6;      // Mod4Mask
    return mask;
}

}  // namespace clipvane
