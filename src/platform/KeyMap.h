#pragma once
// Windows virtual-key codes (as config.ini keeps them) to X keysyms and back,
// and the hotkey modifier bits to X modifier masks.
#include <cstdint>

namespace clipvane {

// The keysym for a virtual-key code, 0 when the code has none here.
uint32_t KeysymForVirtualKey(int vk);
// The virtual-key code for a keysym (letters in either case give the
// upper-case letter's code), 0 when there is none.
int VirtualKeyForKeysym(uint32_t keysym);
// Control, Shift, Mod1 (Alt) and Mod4 (Super) masks for HotkeyModifier bits.
uint16_t XModifierMask(unsigned modifiers);

}  // namespace clipvane
