// The X11 implementation of ScreenPlatform: xcb, MIT-SHM for grabs (with
// GetImage as the fallback), EWMH properties for windows, key grabs on the
// root window for hotkeys and XTest for the scrolling capture's input.
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "image/PixelImage.h"
#include "platform/KeyMap.h"
#include "platform/PixelCopy.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {

template <typename T>
struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

// Swallows the error of one request, so that a window that vanished does
// not end up as an error event in a borrowed connection's queue.
struct ErrorSink {
    xcb_generic_error_t* error = nullptr;
    ~ErrorSink() { std::free(error); }
    operator xcb_generic_error_t**() { return &error; }
};

constexpr uint16_t kLockMask = XCB_MOD_MASK_LOCK;
constexpr uint16_t kHotkeyModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

class X11Platform final : public ScreenPlatform {
public:
    X11Platform(xcb_connection_t* c, bool owned, int screenNumber, const Rect& primary) : c_(c), owned_(owned) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
        screen_ = it.data;
        root_ = screen_->root;
        rootRect_ = Rect{0, 0, screen_->width_in_pixels, screen_->height_in_pixels};
        primary_ = primary.IsEmpty() ? rootRect_ : primary;
        InternAtoms();
        FindPixelFormat();
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c_, &xcb_shm_id);
        if (shm && shm->present) {
            Reply<xcb_shm_query_version_reply_t> v(
                xcb_shm_query_version_reply(c_, xcb_shm_query_version(c_), ErrorSink()));
            shmAvailable_ = v != nullptr;
        }
        keySymbols_ = xcb_key_symbols_alloc(c_);
        FindNumLockMask();
    }

    ~X11Platform() override {
        WaitForSpare();
        ReleaseSegment();
        if (keySymbols_) xcb_key_symbols_free(keySymbols_);
        if (owned_) xcb_disconnect(c_);
    }

    Rect PrimaryScreen() override { return primary_; }

    bool Grab(const Rect& rect, PixelImage& image) override {
        if (rect.IsEmpty() || !pixelFormatKnown_) return false;
        const Rect inside = rect.Intersected(rootRect_);
        // Repeated grabs of one size write into the same storage: no new
        // pages to fault in, which is most of a fresh image's cost.
        const bool reuse =
            !image.IsEmpty() && image.Width() == rect.Width() && image.Height() == rect.Height() && image.Depth() == 24;
        // Shared memory pays off from the second grab on; a single grab (the
        // one-shot mode) is quicker without setting up the segment.
        const bool useShm = shmAvailable_ && grabs_++ > 0;
        if (!inside.IsEmpty() && useShm &&
            EnsureSegment(size_t(inside.Width()) * size_t(inside.Height()) * size_t(bitsPerPixel_ / 8))) {
            const xcb_shm_get_image_cookie_t cookie =
                xcb_shm_get_image(c_, root_, int16_t(inside.left), int16_t(inside.top), uint16_t(inside.Width()),
                                  uint16_t(inside.Height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, shmSeg_, 0);
            xcb_flush(c_);
            // The new image's storage is set up while the server copies the
            // pixels: the spare made after the last grab when it fits.
            PixelImage fresh;
            const bool created = reuse || TakeSpare(rect, fresh) || CreateBlack(rect, fresh);
            Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(c_, cookie, ErrorSink()));
            if (reply && created) {
                PixelImage& out = reuse ? image : fresh;
                if (reuse && !(inside == rect)) std::memset(out.Bits(), 0, out.ByteCount());
                Convert(shmAddr_, size_t(inside.Width()) * size_t(bitsPerPixel_ / 8), inside, rect, out);
                if (!reuse) {
                    image = std::move(fresh);
                    PrepareSpare(rect);
                }
                return true;
            }
            if (!created) return false;
        }
        PixelImage result;
        if (!CreateBlack(rect, result)) return false;
        if (!inside.IsEmpty() && !GrabPlain(inside, rect, result)) return false;
        image = std::move(result);
        return true;
    }

    std::vector<TopWindow> StackingOrder() override {
        std::vector<TopWindow> windows;
        std::vector<xcb_window_t> clients = WindowList(netClientListStacking_);
        const bool managed = !clients.empty();
        if (!managed) {
            // No EWMH window manager: the root's children are the top-level windows.
            Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), ErrorSink()));
            if (tree) {
                xcb_window_t* kids = xcb_query_tree_children(tree.get());
                clients.assign(kids, kids + xcb_query_tree_children_length(tree.get()));
            }
        }
        for (auto it = clients.rbegin(); it != clients.rend(); ++it) {  // the lists run bottom to top
            TopWindow w{*it, {}};
            if (FrameRectChecked(*it, &w.frame, /*needViewable=*/true)) windows.push_back(w);
        }
        return windows;
    }

    WindowId ActiveWindow() override {
        std::vector<xcb_window_t> active = WindowList(netActiveWindow_);
        if (!active.empty() && active[0] != XCB_WINDOW_NONE) return active[0];
        Reply<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), ErrorSink()));
        if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
            focus->focus == root_)
            return 0;
        return TopLevelOf(focus->focus);
    }

    bool FrameRect(WindowId window, Rect* frame) override {
        return window != 0 && FrameRectChecked(window, frame, /*needViewable=*/false);
    }

    void Activate(WindowId window) override {
        if (window == 0) return;
        if (netActiveWindow_ != XCB_ATOM_NONE && netSupportingWmCheck_ && WmRunning()) {
            xcb_client_message_event_t ev{};
            ev.response_type = XCB_CLIENT_MESSAGE;
            ev.format = 32;
            ev.window = window;
            ev.type = netActiveWindow_;
            ev.data.data32[0] = 2;  // source: a pager-like tool, so the window manager obeys
            ev.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(c_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char*>(&ev));
        } else {
            const uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
            xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        }
        xcb_flush(c_);
    }

    bool GrabHotkey(int vk, unsigned modifiers, std::string* why) override {
        const uint32_t keysym = KeysymForVirtualKey(vk);
        std::vector<xcb_keycode_t> codes = Keycodes(keysym);
        if (codes.empty()) {
            if (why) *why = vk == 0 ? "no key is assigned" : "the key does not exist on this keyboard";
            return false;
        }
        const uint16_t mods = XModifierMask(modifiers);
        std::vector<xcb_void_cookie_t> cookies;
        for (xcb_keycode_t code : codes) {
            for (uint16_t extra : LockVariants()) {
                cookies.push_back(xcb_grab_key_checked(c_, 1, root_, uint16_t(mods | extra), code, XCB_GRAB_MODE_ASYNC,
                                                       XCB_GRAB_MODE_ASYNC));
            }
        }
        bool ok = true;
        for (xcb_void_cookie_t cookie : cookies) {
            Reply<xcb_generic_error_t> error(xcb_request_check(c_, cookie));
            if (error) ok = false;
        }
        if (!ok) {
            UngrabHotkey(vk, modifiers);
            if (why) *why = "another program already uses it";
        }
        return ok;
    }

    void UngrabHotkey(int vk, unsigned modifiers) override {
        const uint16_t mods = XModifierMask(modifiers);
        for (xcb_keycode_t code : Keycodes(KeysymForVirtualKey(vk))) {
            for (uint16_t extra : LockVariants()) xcb_ungrab_key(c_, code, root_, uint16_t(mods | extra));
        }
        xcb_flush(c_);
    }

    bool KeyPressFromNative(std::string_view eventType, const void* event, uint8_t* keycode, uint16_t* state) override {
        if (eventType != "xcb_generic_event_t" || !event) return false;
        const auto* ev = static_cast<const xcb_generic_event_t*>(event);
        if ((ev->response_type & 0x7f) != XCB_KEY_PRESS) return false;
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(ev);
        *keycode = key->detail;
        *state = key->state;
        return true;
    }
    bool MatchHotkey(uint8_t keycode, uint16_t state, int vk, unsigned modifiers) override {
        if ((state & kHotkeyModifiers) != XModifierMask(modifiers)) return false;
        for (xcb_keycode_t code : Keycodes(KeysymForVirtualKey(vk))) {
            if (code == keycode) return true;
        }
        return false;
    }

    bool ScrollWheel(int x, int y, int notches) override {
        // Buttons 4 and 5 are the wheel's up and down clicks.
        const uint8_t button = notches < 0 ? 4 : 5;
        return SendAt(x, y, [&] {
            for (int i = 0; i < std::abs(notches); ++i) {
                xcb_test_fake_input(c_, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
                xcb_test_fake_input(c_, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            }
            return true;
        });
    }

    bool PressPageDown(int x, int y) override {
        const std::vector<xcb_keycode_t> codes = Keycodes(0xff56);  // Next, the Page Down key
        if (codes.empty()) return false;
        return SendAt(x, y, [&] {
            xcb_test_fake_input(c_, XCB_KEY_PRESS, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            xcb_test_fake_input(c_, XCB_KEY_RELEASE, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
            return true;
        });
    }

private:
    // Moves the pointer to (x, y), runs `send`, moves the pointer back and
    // waits until the server has handled all of it.
    template <typename Send>
    bool SendAt(int x, int y, Send send) {
        const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(c_, &xcb_test_id);
        if (!xtest || !xtest->present) return false;
        Reply<xcb_query_pointer_reply_t> pointer(
            xcb_query_pointer_reply(c_, xcb_query_pointer(c_, root_), ErrorSink()));
        xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, int16_t(x), int16_t(y), 0);
        const bool sent = send();
        if (pointer && pointer->same_screen) {
            xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, pointer->root_x, pointer->root_y, 0);
        }
        Reply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), ErrorSink()));
        return sent && sync != nullptr;
    }

    void InternAtoms() {
        const char* names[] = {"_NET_CLIENT_LIST_STACKING", "_NET_ACTIVE_WINDOW", "_NET_FRAME_EXTENTS",
                               "_NET_SUPPORTING_WM_CHECK"};
        xcb_atom_t* slots[] = {&netClientListStacking_, &netActiveWindow_, &netFrameExtents_, &netSupportingWmCheck_};
        xcb_intern_atom_cookie_t cookies[4];
        for (int i = 0; i < 4; ++i) cookies[i] = xcb_intern_atom(c_, 0, uint16_t(std::strlen(names[i])), names[i]);
        for (int i = 0; i < 4; ++i) {
            Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c_, cookies[i], ErrorSink()));
            *slots[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        }
    }

    // The fast path handles the usual 24-bit true colour screens stored as
    // 32 bits per pixel, blue in the lowest byte; other layouts go through masks.
    void FindPixelFormat() {
        const xcb_setup_t* setup = xcb_get_setup(c_);
        for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
            if (f.data->depth == screen_->root_depth) bitsPerPixel_ = f.data->bits_per_pixel;
        }
        for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen_); d.rem; xcb_depth_next(&d)) {
            for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == screen_->root_visual) visual_ = *v.data;
            }
        }
        const bool trueColour = visual_.red_mask && visual_.green_mask && visual_.blue_mask;
        pixelFormatKnown_ = trueColour && screen_->root_depth > 8 && (bitsPerPixel_ == 16 || bitsPerPixel_ == 32);
        fastFormat_ = bitsPerPixel_ == 32 && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST &&
                      visual_.red_mask == 0xff0000 && visual_.green_mask == 0xff00 && visual_.blue_mask == 0xff;
    }

    void FindNumLockMask() {
        numLockMask_ = 0;
        std::vector<xcb_keycode_t> numLock = Keycodes(0xff7f);  // Num_Lock
        Reply<xcb_get_modifier_mapping_reply_t> map(
            xcb_get_modifier_mapping_reply(c_, xcb_get_modifier_mapping(c_), ErrorSink()));
        if (!map || numLock.empty()) return;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
        const int perModifier = map->keycodes_per_modifier;
        for (int m = 0; m < 8; ++m) {
            for (int k = 0; k < perModifier; ++k) {
                if (codes[m * perModifier + k] == numLock[0]) numLockMask_ = uint16_t(1 << m);
            }
        }
    }

    std::vector<uint16_t> LockVariants() const {
        if (numLockMask_ == 0) return {0, kLockMask};
        return {0, kLockMask, numLockMask_, uint16_t(kLockMask | numLockMask_)};
    }

    std::vector<xcb_keycode_t> Keycodes(uint32_t keysym) {
        std::vector<xcb_keycode_t> codes;
        if (keysym == 0 || !keySymbols_) return codes;
        Reply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(keySymbols_, keysym));
        for (const xcb_keycode_t* k = list.get(); k && *k != XCB_NO_SYMBOL; ++k) codes.push_back(*k);
        return codes;
    }

    bool EnsureSegment(size_t bytes) {
        if (shmSeg_ && shmSize_ >= bytes) return true;
        ReleaseSegment();
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) return false;
        void* addr = shmat(id, nullptr, 0);
        if (addr == reinterpret_cast<void*>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return false;
        }
        const xcb_shm_seg_t seg = xcb_generate_id(c_);
        Reply<xcb_generic_error_t> error(xcb_request_check(c_, xcb_shm_attach_checked(c_, seg, uint32_t(id), 0)));
        shmctl(id, IPC_RMID, nullptr);  // freed once both sides detach
        if (error) {
            shmdt(addr);
            shmAvailable_ = false;  // e.g. a remote display: stop trying
            return false;
        }
        shmSeg_ = seg;
        shmAddr_ = static_cast<uint8_t*>(addr);
        shmSize_ = bytes;
        Prefault(shmAddr_, bytes);
        return true;
    }

    void ReleaseSegment() {
        if (!shmSeg_) return;
        xcb_shm_detach(c_, shmSeg_);
        xcb_flush(c_);
        shmdt(shmAddr_);
        shmSeg_ = 0;
        shmAddr_ = nullptr;
        shmSize_ = 0;
    }

    // The next capture's image, made on a thread after a grab gave its image
    // away: zeroed and faulted in while nothing waits for it, so the next
    // grab of that size converts straight into it instead of faulting in
    // fresh pages, which is most of a new image's cost.
    void PrepareSpare(const Rect& rect) {
        WaitForSpare();
        const int width = rect.Width(), height = rect.Height();
        try {
            spareMaker_ = std::thread([this, width, height] {
                PixelImage spare;
                if (spare.Create(width, height, 24)) {
                    // Every page written once (zeros, as it already reads):
                    // the kernel faults it in here rather than in the grab.
                    uint8_t* bits = spare.Bits();
                    const size_t bytes = spare.ByteCount(), page = size_t(sysconf(_SC_PAGESIZE));
                    for (size_t at = 0; at < bytes; at += page) static_cast<volatile uint8_t*>(bits)[at] = 0;
                }
                spare_ = std::move(spare);
            });
        } catch (const std::system_error&) {
            // No thread: the next grab makes its image itself.
        }
    }
    void WaitForSpare() {
        if (spareMaker_.joinable()) spareMaker_.join();
    }
    bool TakeSpare(const Rect& rect, PixelImage& image) {
        WaitForSpare();
        if (spare_.IsEmpty() || spare_.Width() != rect.Width() || spare_.Height() != rect.Height()) return false;
        image = std::move(spare_);
        return true;
    }

    // A new 24-bit image, black (PixelImage storage comes zeroed).
    static bool CreateBlack(const Rect& rect, PixelImage& image) {
        return image.Create(rect.Width(), rect.Height(), 24);
    }

    static void Prefault(void* addr, size_t bytes) {
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
        const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
        const uintptr_t start = reinterpret_cast<uintptr_t>(addr) & ~(page - 1);
        const uintptr_t end = reinterpret_cast<uintptr_t>(addr) + bytes;
        madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);  // a hint: failure is harmless
    }

    bool GrabPlain(const Rect& inside, const Rect& rect, PixelImage& out) {
        // Bands of about 256 KiB, a few requests ahead: each reply is
        // converted while it is still in the cache and its buffer is reused
        // for the next, instead of faulting in one screen-sized reply.
        const size_t stride = size_t(inside.Width()) * size_t(bitsPerPixel_ / 8);
        const int bandRows = std::max(1, int((256u << 10) / stride));
        std::vector<xcb_get_image_cookie_t> cookies;
        std::vector<int> tops;
        for (int top = inside.top; top < inside.bottom; top += bandRows) {
            tops.push_back(top);
            cookies.push_back(xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, int16_t(inside.left), int16_t(top),
                                            uint16_t(inside.Width()), uint16_t(std::min(bandRows, inside.bottom - top)),
                                            ~0u));
        }
        bool ok = true;
        for (size_t i = 0; i < cookies.size(); ++i) {  // every reply is collected, even after a failure
            Reply<xcb_get_image_reply_t> r(xcb_get_image_reply(c_, cookies[i], ErrorSink()));
            const int rows = std::min(bandRows, inside.bottom - tops[i]);
            if (!ok || !r || size_t(xcb_get_image_data_length(r.get())) < stride * size_t(rows)) {
                ok = false;
                continue;
            }
            Convert(xcb_get_image_data(r.get()), stride, Rect{inside.left, tops[i], inside.right, tops[i] + rows}, rect,
                    out);
        }
        return ok;
    }

    // Writes the server rows of `part` into `out`, whose top-left is `rect`'s.
    void Convert(const uint8_t* src, size_t stride, const Rect& part, const Rect& rect, PixelImage& out) {
        const int x0 = part.left - rect.left, y0 = part.top - rect.top;
        if (fastFormat_) {
            CopyXRowsTo24(src, stride, part.Width(), part.Height(), out, x0, y0);
            return;
        }
        for (int y = 0; y < part.Height(); ++y) {
            const uint8_t* s = src + size_t(y) * stride;
            uint8_t* d = out.PixelAddress(x0, y0 + y);
            for (int x = 0; x < part.Width(); ++x, d += 3) {
                uint32_t p = 0;
                if (bitsPerPixel_ == 32)
                    std::memcpy(&p, s + size_t(x) * 4, 4);
                else {
                    uint16_t q;
                    std::memcpy(&q, s + size_t(x) * 2, 2);
                    p = q;
                }
                d[0] = Channel(p, visual_.blue_mask);
                d[1] = Channel(p, visual_.green_mask);
                d[2] = Channel(p, visual_.red_mask);
            }
        }
    }

    static uint8_t Channel(uint32_t pixel, uint32_t mask) {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const uint32_t max = mask >> shift;
        return uint8_t((((pixel & mask) >> shift) * 255 + max / 2) / max);
    }

    std::vector<xcb_window_t> WindowList(xcb_atom_t property) {
        std::vector<xcb_window_t> list;
        if (property == XCB_ATOM_NONE) return list;
        Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, root_, property, XCB_ATOM_WINDOW, 0, 4096), ErrorSink()));
        if (!r || r->format != 32) return list;
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
        list.assign(ids, ids + xcb_get_property_value_length(r.get()) / 4);
        return list;
    }

    bool WmRunning() {
        std::vector<xcb_window_t> check = WindowList(netSupportingWmCheck_);
        return !check.empty() && check[0] != XCB_WINDOW_NONE;
    }

    // The ancestor of `window` that is a child of the root: the window
    // manager's frame, or the window itself without one.
    xcb_window_t TopLevelOf(xcb_window_t window) {
        for (int depth = 0; depth < 64; ++depth) {
            Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), ErrorSink()));
            if (!tree) return 0;
            if (tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) return window;
            window = tree->parent;
        }
        return 0;
    }

    bool FrameRectChecked(xcb_window_t client, Rect* frame, bool needViewable) {
        const xcb_window_t top = TopLevelOf(client);
        if (!top) return false;
        auto attrCookie = xcb_get_window_attributes(c_, top);
        auto topGeoCookie = xcb_get_geometry(c_, top);
        auto clientGeoCookie = xcb_get_geometry(c_, client);
        auto transCookie = xcb_translate_coordinates(c_, client, root_, 0, 0);
        auto extentsCookie = xcb_get_property(c_, 0, client, netFrameExtents_, XCB_ATOM_CARDINAL, 0, 4);
        Reply<xcb_get_window_attributes_reply_t> attr(xcb_get_window_attributes_reply(c_, attrCookie, ErrorSink()));
        Reply<xcb_get_geometry_reply_t> topGeo(xcb_get_geometry_reply(c_, topGeoCookie, ErrorSink()));
        Reply<xcb_get_geometry_reply_t> clientGeo(xcb_get_geometry_reply(c_, clientGeoCookie, ErrorSink()));
        Reply<xcb_translate_coordinates_reply_t> trans(xcb_translate_coordinates_reply(c_, transCookie, ErrorSink()));
        Reply<xcb_get_property_reply_t> extents(xcb_get_property_reply(c_, extentsCookie, ErrorSink()));
        if (!attr || !topGeo || !clientGeo || !trans) return false;
        if (needViewable &&
            (attr->map_state != XCB_MAP_STATE_VIEWABLE || attr->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT))
            return false;
        if (extents && extents->format == 32 && xcb_get_property_value_length(extents.get()) == 16) {
            const auto* e =
                static_cast<const uint32_t*>(xcb_get_property_value(extents.get()));  // left right top bottom
            const int x = trans->dst_x - clientGeo->border_width, y = trans->dst_y - clientGeo->border_width;
            const int w = clientGeo->width + 2 * clientGeo->border_width;
            const int h = clientGeo->height + 2 * clientGeo->border_width;
            *frame = Rect{x - int(e[0]), y - int(e[2]), x + w + int(e[1]), y + h + int(e[3])};
        } else {
            const int b = topGeo->border_width;
            *frame = Rect{topGeo->x, topGeo->y, topGeo->x + topGeo->width + 2 * b, topGeo->y + topGeo->height + 2 * b};
        }
        return true;
    }

    xcb_connection_t* c_;
    bool owned_;
    xcb_screen_t* screen_ = nullptr;
    xcb_window_t root_ = 0;
    Rect rootRect_;
    Rect primary_;
    xcb_atom_t netClientListStacking_ = XCB_ATOM_NONE;
    xcb_atom_t netActiveWindow_ = XCB_ATOM_NONE;
    xcb_atom_t netFrameExtents_ = XCB_ATOM_NONE;
    xcb_atom_t netSupportingWmCheck_ = XCB_ATOM_NONE;
    xcb_visualtype_t visual_{};
    int bitsPerPixel_ = 0;
    bool pixelFormatKnown_ = false;
    bool fastFormat_ = false;
    bool shmAvailable_ = false;
    int grabs_ = 0;
    xcb_shm_seg_t shmSeg_ = 0;
    uint8_t* shmAddr_ = nullptr;
    size_t shmSize_ = 0;
    PixelImage spare_;
    std::thread spareMaker_;
    xcb_key_symbols_t* keySymbols_ = nullptr;
    uint16_t numLockMask_ = 0;
};

}  // namespace

std::unique_ptr<ScreenPlatform> CreateX11Platform(xcb_connection_t* connection, int screen, const Rect& primary) {
    bool owned = false;
    if (!connection) {
        int preferred = 0;
        // A busy server sometimes drops a connection while it is being set
        // up; a short retry gets through.
        for (int attempt = 0; attempt < 5; ++attempt) {
            connection = xcb_connect(nullptr, &preferred);
            if (connection && !xcb_connection_has_error(connection)) break;
            if (connection) xcb_disconnect(connection);
            connection = nullptr;
            usleep(20000);
        }
        if (!connection) return nullptr;
        screen = preferred;
        owned = true;
    }
    return std::make_unique<X11Platform>(connection, owned, screen, primary);
}

}  // namespace clipvane
