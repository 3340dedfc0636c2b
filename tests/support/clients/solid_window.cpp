// A real X client for end-to-end tests: maps a top-level window filled with
// one colour, prints its window id (decimal) once it is visible, and runs
// until killed.
//   solid_window RRGGBB WIDTHxHEIGHT+X+Y [TITLE]
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(r);
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: solid_window RRGGBB WxH+X+Y [TITLE]\n");
        return 2;
    }
    const uint32_t colour = uint32_t(std::strtoul(argv[1], nullptr, 16));
    int w = 0, h = 0, x = 0, y = 0;
    if (std::sscanf(argv[2], "%dx%d+%d+%d", &w, &h, &x, &y) != 4 || w <= 0 || h <= 0) {
        std::fprintf(stderr, "solid_window: bad geometry %s\n", argv[2]);
        return 2;
    }
    const char* title = argc > 3 ? argv[3] : "solid_window";

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "solid_window: cannot connect to the display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t win = xcb_generate_id(c);
    const uint32_t values[] = {colour, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, win, screen->root, int16_t(x), int16_t(y), uint16_t(w), uint16_t(h), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, uint32_t(strlen(title)),
                        title);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), 8,
                        uint32_t(strlen(title)), title);
    // WM_NORMAL_HINTS with a user-specified position and size, so the window
    // manager places the window where the test asked.
    uint32_t hints[18] = {};
    hints[0] = 1 | 2;  // USPosition | USSize
    hints[1] = uint32_t(x);
    hints[2] = uint32_t(y);
    hints[3] = uint32_t(w);
    hints[4] = uint32_t(h);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    xcb_map_window(c, win);
    xcb_flush(c);

    bool announced = false;
    while (xcb_generic_event_t* ev = xcb_wait_for_event(c)) {
        if ((ev->response_type & 0x7F) == XCB_EXPOSE && !announced) {
            std::printf("%u\n", win);
            std::fflush(stdout);
            announced = true;
        }
        free(ev);
    }
    xcb_disconnect(c);
    return 0;
}
