#pragma once
// The desktop as the capture code sees it: screen pixels, top-level windows,
// the active window and global key grabs. An X11 implementation (xcb with
// MIT-SHM), a Wayland one (wlr-screencopy or the screenshot portal; no
// windows, no key grabs) and a fake for unit tests. Plain C++: no toolkit
// types here.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/Bitmap.h"

struct xcb_connection_t;

namespace clipvane {

class PixelImage;

using WindowId = uint32_t;  // an X11 window id; 0 is "no window"

// A top-level window as the user sees it: the client window's id and the
// rectangle of its frame (decorations included), in root coordinates.
struct TopWindow {
    WindowId id = 0;
    Rect frame;
};

// Modifier bits of a hotkey as config.ini stores them.
enum HotkeyModifier : unsigned {
    kModAlt = 1,
    kModControl = 2,
    kModShift = 4,
    kModWin = 8,
};

class ScreenPlatform {
public:
    virtual ~ScreenPlatform() = default;

    // The primary screen in root coordinates; on a multi-monitor desktop it
    // need not start at (0, 0).
    virtual Rect PrimaryScreen() = 0;

    // Copies `rect` (root coordinates) of the live screen into `image` as a
    // 24-bit image of exactly the rectangle's size. Parts outside the screen
    // are black. False, with `image` untouched, for an empty rectangle or
    // when the server refuses.
    virtual bool Grab(const Rect& rect, PixelImage& image) = 0;

    // Mapped top-level windows, topmost first.
    virtual std::vector<TopWindow> StackingOrder() = 0;
    // The window manager's active window, or 0.
    virtual WindowId ActiveWindow() = 0;
    // The frame rectangle of a top-level client window; false for a window
    // that does not exist (any more).
    virtual bool FrameRect(WindowId window, Rect* frame) = 0;
    // Raises and activates a top-level window.
    virtual void Activate(WindowId window) = 0;

    // Global hotkeys: `vk` is a Windows virtual-key code, `modifiers` the
    // HotkeyModifier bits. Grabbing fails (with a reason) when the key has no
    // keysym on this keyboard or another client holds the combination.
    virtual bool GrabHotkey(int vk, unsigned modifiers, std::string* why) = 0;
    virtual void UngrabHotkey(int vk, unsigned modifiers) = 0;
    // Matches a key press event on the root window (keycode and state as the
    // server reported them) against a grabbed combination.
    virtual bool MatchHotkey(uint8_t keycode, uint16_t state, int vk, unsigned modifiers) = 0;
    // Reads a key press out of a native event as the toolkit hands it over
    // (its type name and the event): false for any other event.
    virtual bool KeyPressFromNative(std::string_view /*eventType*/, const void* /*event*/, uint8_t* /*keycode*/,
                                    uint16_t* /*state*/) {
        return false;
    }

    // Whether the desktop tells this program where other windows are and
    // which one is active. Wayland does not: window, active-window and
    // scrolling capture cannot work there.
    virtual bool KnowsWindows() { return true; }
    // Whether global key grabs (GrabHotkey) work here.
    virtual bool GrabsKeys() { return true; }
    // Why the last Grab failed, in words for the user; empty when unknown.
    virtual std::string GrabError() { return {}; }
    // Synthetic input for the scrolling capture. The pointer is moved to
    // (x, y) in root coordinates, the input is sent to whatever is under it
    // (keys: to the focused window), and the pointer is put back where it was.
    // Both answer false, having sent nothing, where the display takes no
    // synthetic input (no XTest; a Wayland session does not allow it).
    // Turns the mouse wheel `notches` clicks down (up for a negative count).
    virtual bool ScrollWheel(int /*x*/, int /*y*/, int /*notches*/) { return false; }
    // Presses and releases the Page Down key once.
    virtual bool PressPageDown(int /*x*/, int /*y*/) { return false; }
};

// The X11 implementation. With a null `connection` it opens its own to
// $DISPLAY (null result when that fails); otherwise it borrows the given one
// (the toolkit's, so that grabbed keys arrive in the toolkit's event queue)
// and never reads events from it. `primary` is the primary monitor in root
// coordinates as the caller knows it (empty: the whole root window).
std::unique_ptr<ScreenPlatform> CreateX11Platform(xcb_connection_t* connection = nullptr, int screen = 0,
                                                  const Rect& primary = {});

// How the Wayland implementation grabs the screen: wlr-screencopy when the
// compositor offers it, else the screenshot portal; or the portal only.
enum class WaylandGrab { kAuto, kPortalOnly };

// The Wayland implementation, on its own connection to $WAYLAND_DISPLAY
// (null with a reason when there is none). The portal is reached on the
// session bus.
std::unique_ptr<ScreenPlatform> CreateWaylandPlatform(WaylandGrab grab = WaylandGrab::kAuto,
                                                      std::string* why = nullptr);

}  // namespace clipvane
