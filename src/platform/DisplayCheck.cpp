#include "platform/DisplayCheck.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace clipvane {

bool DisplayAvailable(std::string* why) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0) return true;
    // A Wayland session: the toolkit picks its Wayland platform (or XWayland).
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && wayland && *wayland) return true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        if (why) *why = "no X display: the DISPLAY environment variable is not set";
        return false;
    }
    xcb_connection_t* c = xcb_connect(display, nullptr);
    const bool ok = c && !xcb_connection_has_error(c);
    if (c) xcb_disconnect(c);
    if (!ok && why) *why = std::string("cannot connect to the X display \"") + display + "\"";
    return ok;
}

}  // namespace clipvane
