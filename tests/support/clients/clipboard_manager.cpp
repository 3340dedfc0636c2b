// A real clipboard manager for end-to-end tests, as small as the freedesktop
// convention allows: owns the CLIPBOARD_MANAGER selection, prints "ready"
// once it does, and when a departing clipboard owner asks it to SAVE_TARGETS
// it fetches the clipboard's "image/png", writes those bytes to OUTPUT and
// tells the owner it is done. Runs until killed, or 60 seconds without a
// request.
//   clipboard_manager OUTPUT
#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(r);
    return a;
}

// The next event, or null when none comes within `ms`.
xcb_generic_event_t* NextEvent(xcb_connection_t* c, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (xcb_generic_event_t* e = xcb_poll_for_event(c)) return e;
        if (xcb_connection_has_error(c)) return nullptr;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0) return nullptr;
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&p, 1, int(left));
    }
}

void Notify(xcb_connection_t* c, const xcb_selection_request_event_t& req, xcb_atom_t property) {
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = req.time;
    n.requestor = req.requestor;
    n.selection = req.selection;
    n.target = req.target;
    n.property = property;
    xcb_send_event(c, 0, req.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&n));
    xcb_flush(c);
}

// Converts the clipboard to "image/png" on `window` and writes the bytes.
bool SavePng(xcb_connection_t* c, xcb_window_t window, xcb_timestamp_t time, const std::string& output) {
    const xcb_atom_t clipboard = Atom(c, "CLIPBOARD"), png = Atom(c, "image/png"), slot = Atom(c, "CV_SAVED");
    xcb_convert_selection(c, window, clipboard, png, slot, time);
    xcb_flush(c);
    bool converted = false;
    while (xcb_generic_event_t* e = NextEvent(c, 5000)) {
        const bool notify = (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
        if (notify) converted = reinterpret_cast<xcb_selection_notify_event_t*>(e)->property == slot;
        free(e);
        if (notify) break;
    }
    if (!converted) return false;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 1, window, slot, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 28), nullptr);
    if (!r) return false;
    const bool ok = r->type == png && r->format == 8 && xcb_get_property_value_length(r) > 0;
    if (ok) {
        const std::string temp = output + ".part";
        FILE* f = std::fopen(temp.c_str(), "wb");
        const size_t n = size_t(xcb_get_property_value_length(r));
        const bool written = f && std::fwrite(xcb_get_property_value(r), 1, n, f) == n;
        if (f) std::fclose(f);
        free(r);
        return written && std::rename(temp.c_str(), output.c_str()) == 0;
    }
    free(r);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: clipboard_manager OUTPUT\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t manager = Atom(c, "CLIPBOARD_MANAGER"), saveTargets = Atom(c, "SAVE_TARGETS");
    xcb_set_selection_owner(c, window, manager, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, manager), nullptr);
    const bool owns = owner && owner->owner == window;
    free(owner);
    if (!owns) {
        std::fprintf(stderr, "clipboard_manager: another manager runs\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    while (xcb_generic_event_t* e = NextEvent(c, 60000)) {
        if ((e->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
            const xcb_selection_request_event_t req = *reinterpret_cast<xcb_selection_request_event_t*>(e);
            free(e);
            if (req.selection == manager && req.target == saveTargets) {
                const bool saved = SavePng(c, window, XCB_CURRENT_TIME, argv[1]);
                Notify(c, req, saved ? req.property : xcb_atom_t(XCB_ATOM_NONE));
                continue;
            }
            Notify(c, req, XCB_ATOM_NONE);
            continue;
        }
        free(e);
    }
    xcb_disconnect(c);
    return 1;
}
