// The Wayland implementation of ScreenPlatform. Wayland gives a client
// neither other windows' places nor the active window nor global key grabs,
// so only screen grabs work: through wlr-screencopy (wlroots compositors:
// sway, Hyprland, river, Wayfire) when the compositor offers it, otherwise
// through the desktop portal's Screenshot call. Every output is copied into
// its place on the desktop; the grab covers the union of the outputs.
#include <poll.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-screencopy-unstable-v1-client-protocol.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "image/PixelImage.h"
#include "image/PixelLimit.h"
#include "imagefile/ImageFile.h"
#include "platform/PixelCopy.h"
#include "platform/PortalScreenshot.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {

constexpr int kScreencopyTimeoutMs = 5000;
// wl_shm's own codes for the two formats every compositor offers, and the
// DRM codes of their red-first twins.
constexpr uint32_t kArgb8888 = WL_SHM_FORMAT_ARGB8888;
constexpr uint32_t kXrgb8888 = WL_SHM_FORMAT_XRGB8888;
constexpr uint32_t kAbgr8888 = WL_SHM_FORMAT_ABGR8888;
constexpr uint32_t kXbgr8888 = WL_SHM_FORMAT_XBGR8888;

struct Output {
    uint32_t name = 0;  // the registry's name, for removal
    wl_output* output = nullptr;
    int x = 0, y = 0;
    int width = 0, height = 0;  // the current mode
    int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    Rect Place() const {
        const bool turned = transform == WL_OUTPUT_TRANSFORM_90 || transform == WL_OUTPUT_TRANSFORM_270 ||
                            transform == WL_OUTPUT_TRANSFORM_FLIPPED_90 || transform == WL_OUTPUT_TRANSFORM_FLIPPED_270;
        return Rect{x, y, x + (turned ? height : width), y + (turned ? width : height)};
    }
};

// One output's frame on its way: the buffer the compositor copies into.
struct Frame {
    wl_shm* shm = nullptr;
    int x = 0, y = 0;  // the output's place on the desktop
    zwlr_screencopy_frame_v1* frame = nullptr;
    wl_buffer* buffer = nullptr;
    void* data = MAP_FAILED;
    size_t size = 0;
    uint32_t format = 0;
    int width = 0, height = 0, stride = 0;
    bool yInvert = false;
    bool ready = false;
    bool failed = false;
    ~Frame() {
        if (buffer) wl_buffer_destroy(buffer);
        if (frame) zwlr_screencopy_frame_v1_destroy(frame);
        if (data != MAP_FAILED) munmap(data, size);
    }
};

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

class WaylandPlatform final : public ScreenPlatform {
public:
    WaylandPlatform(wl_display* display, WaylandGrab grab) : display_(display), grab_(grab) {
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &kRegistryListener, this);
        // The globals, then the outputs' first events.
        wl_display_roundtrip(display_);
        wl_display_roundtrip(display_);
    }

    ~WaylandPlatform() override {
        for (Output& o : outputs_) ReleaseOutput(o);
        if (screencopy_) zwlr_screencopy_manager_v1_destroy(screencopy_);
        if (shm_) wl_shm_destroy(shm_);
        wl_registry_destroy(registry_);
        wl_display_disconnect(display_);
    }

    Rect PrimaryScreen() override {
        wl_display_roundtrip(display_);  // outputs added, removed or changed meanwhile
        return Desktop();
    }

    bool Grab(const Rect& rect, PixelImage& image) override {
        error_.clear();
        if (rect.IsEmpty()) return false;
        wl_display_roundtrip(display_);
        if (screencopy_ && shm_ && grab_ == WaylandGrab::kAuto && !outputs_.empty()) {
            std::string why;
            if (GrabScreencopy(rect, image, &why)) return true;
            // A compositor that refuses here may still allow the portal.
            lastScreencopyError_ = why;
        }
        return GrabPortal(rect, image);
    }

    std::vector<TopWindow> StackingOrder() override { return {}; }
    WindowId ActiveWindow() override { return 0; }
    bool FrameRect(WindowId, Rect*) override { return false; }
    void Activate(WindowId) override {}
    bool GrabHotkey(int, unsigned, std::string* why) override {
        if (why) *why = "this desktop does not let programs watch keys pressed in other windows";
        return false;
    }
    void UngrabHotkey(int, unsigned) override {}
    bool MatchHotkey(uint8_t, uint16_t, int, unsigned) override { return false; }
    bool KnowsWindows() override { return false; }
    bool GrabsKeys() override { return false; }
    std::string GrabError() override { return error_; }

private:
    Rect Desktop() const {
        Rect all;
        bool first = true;
        for (const Output& o : outputs_) {
            const Rect p = o.Place();
            if (p.IsEmpty()) continue;
            all = first ? p
                        : Rect{std::min(all.left, p.left), std::min(all.top, p.top), std::max(all.right, p.right),
                               std::max(all.bottom, p.bottom)};
            first = false;
        }
        return all;
    }

    bool GrabScreencopy(const Rect& rect, PixelImage& image, std::string* why) {
        std::vector<std::unique_ptr<Frame>> frames;
        for (const Output& o : outputs_) {
            if (o.Place().Intersected(rect).IsEmpty()) continue;
            auto f = std::make_unique<Frame>();
            f->shm = shm_;
            f->x = o.x;
            f->y = o.y;
            f->frame = zwlr_screencopy_manager_v1_capture_output(screencopy_, 0, o.output);
            zwlr_screencopy_frame_v1_add_listener(f->frame, &kFrameListener, f.get());
            frames.push_back(std::move(f));
        }
        // The new image is set up while the compositor copies.
        PixelImage out;
        if (!out.Create(rect.Width(), rect.Height(), 24)) {
            *why = "not enough memory for the picture";
            return false;
        }
        if (!Dispatch(frames, why)) return false;
        for (const auto& f : frames) {
            if (f->failed || !f->ready) {
                *why = "the compositor could not copy the screen";
                return false;
            }
            Place(*f, rect, out);
        }
        image = std::move(out);
        return true;
    }

    // Runs the connection until every frame is ready or failed, for at most
    // kScreencopyTimeoutMs.
    bool Dispatch(const std::vector<std::unique_ptr<Frame>>& frames, std::string* why) {
        const int64_t deadline = NowMs() + kScreencopyTimeoutMs;
        auto pending = [&frames] {
            return std::any_of(frames.begin(), frames.end(), [](const auto& f) { return !f->ready && !f->failed; });
        };
        while (pending()) {
            while (wl_display_prepare_read(display_) != 0) {
                if (wl_display_dispatch_pending(display_) < 0) break;
            }
            if (!pending()) {
                wl_display_cancel_read(display_);
                break;
            }
            wl_display_flush(display_);
            pollfd p{wl_display_get_fd(display_), POLLIN, 0};
            const int64_t left = deadline - NowMs();
            const int r = left > 0 ? poll(&p, 1, int(left)) : 0;
            if (r <= 0 && !(r < 0 && errno == EINTR)) {
                wl_display_cancel_read(display_);
                *why = r == 0 ? "the compositor did not copy the screen in time" : std::strerror(errno);
                return false;
            }
            if (r > 0) {
                wl_display_read_events(display_);
            } else {
                wl_display_cancel_read(display_);
            }
            if (wl_display_dispatch_pending(display_) < 0) {
                *why = "the connection to the compositor broke";
                return false;
            }
        }
        return true;
    }

    // Copies the part of a frame inside `rect` into `out` (whose top-left is
    // `rect`'s), turning its 32-bit pixels into 24-bit ones.
    static void Place(const Frame& f, const Rect& rect, PixelImage& out) {
        const Rect place{f.x, f.y, f.x + f.width, f.y + f.height};
        const Rect part = place.Intersected(rect);
        if (part.IsEmpty()) return;
        const int sx = part.left - place.left, dx = part.left - rect.left;
        const bool redFirst = f.format == kAbgr8888 || f.format == kXbgr8888;
        for (int row = 0; row < part.Height(); ++row) {
            const int sy = part.top - place.top + row;
            const int srcRow = f.yInvert ? f.height - 1 - sy : sy;
            const uint8_t* src =
                static_cast<const uint8_t*>(f.data) + size_t(srcRow) * size_t(f.stride) + size_t(sx) * 4;
            const int dy = part.top - rect.top + row;
            if (!redFirst && !f.yInvert) {
                // Rows in order: one call for the rest of the block.
                CopyXRowsTo24(src, size_t(f.stride), part.Width(), part.Height() - row, out, dx, dy);
                return;
            }
            if (!redFirst) {
                CopyXRowsTo24(src, size_t(f.stride), part.Width(), 1, out, dx, dy);
                continue;
            }
            uint8_t* d = out.PixelAddress(dx, dy);
            for (int x = 0; x < part.Width(); ++x, src += 4, d += 3) {
                d[0] = src[2];
                d[1] = src[1];
                d[2] = src[0];
            }
        }
    }

    bool GrabPortal(const Rect& rect, PixelImage& image) {
        std::string path, why;
        if (!PortalScreenshot(&path, &why)) {
            error_ = lastScreencopyError_.empty() ? why : lastScreencopyError_ + "; " + why;
            return false;
        }
        PixelImage shot;
        const bool loaded = LoadFromFile(path, shot);
        const char* tmp = std::getenv("TMPDIR");
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (IsTemporaryShot(path, tmp ? tmp : "", runtime ? runtime : "")) unlink(path.c_str());
        if (!loaded) {
            const std::string reason = LastImageFileError();
            error_ = "the screenshot \"" + path + "\" could not be read" + (reason.empty() ? "" : ": " + reason);
            return false;
        }
        if (shot.Depth() != 24) shot.ConvertTo(24);
        if (shot.Depth() != 24) {
            error_ = "the screenshot has an unusual pixel format";
            return false;
        }
        // The shot shows the whole desktop from its top-left corner.
        Rect desktop = Desktop();
        if (desktop.IsEmpty()) desktop = Rect{0, 0, shot.Width(), shot.Height()};
        const Rect within{rect.left - desktop.left, rect.top - desktop.top, rect.right - desktop.left,
                          rect.bottom - desktop.top};
        if (within == Rect{0, 0, shot.Width(), shot.Height()}) {
            image = std::move(shot);
            return true;
        }
        PixelImage out;
        if (!CropImage(shot, within, out)) {
            error_ = "not enough memory for the picture";
            return false;
        }
        image = std::move(out);
        return true;
    }

    static void ReleaseOutput(Output& o) {
        if (!o.output) return;
        if (wl_output_get_version(o.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
            wl_output_release(o.output);
        } else {
            wl_output_destroy(o.output);
        }
        o.output = nullptr;
    }

    // ---- registry and outputs

    static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
        auto* self = static_cast<WaylandPlatform*>(data);
        if (std::strcmp(interface, wl_output_interface.name) == 0) {
            Output o;
            o.name = name;
            o.output = static_cast<wl_output*>(
                wl_registry_bind(registry, name, &wl_output_interface, std::min<uint32_t>(version, 3)));
            self->outputs_.push_back(o);
            // The listener finds its Output by the proxy, not by address:
            // the vector may move.
            wl_output_add_listener(self->outputs_.back().output, &kOutputListener, self);
        } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
            self->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
            self->screencopy_ = static_cast<zwlr_screencopy_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, 1));
        }
    }

    static void OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
        auto* self = static_cast<WaylandPlatform*>(data);
        auto& outs = self->outputs_;
        for (auto it = outs.begin(); it != outs.end(); ++it) {
            if (it->name == name) {
                ReleaseOutput(*it);
                outs.erase(it);
                return;
            }
        }
    }

    Output* Find(wl_output* output) {
        for (Output& o : outputs_) {
            if (o.output == output) return &o;
        }
        return nullptr;
    }

    static void OnGeometry(void* data, wl_output* output, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
                           const char*, int32_t transform) {
        if (Output* o = static_cast<WaylandPlatform*>(data)->Find(output)) {
            o->x = x;
            o->y = y;
            o->transform = transform;
        }
    }
    static void OnMode(void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t) {
        if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
        if (Output* o = static_cast<WaylandPlatform*>(data)->Find(output)) {
            o->width = width;
            o->height = height;
        }
    }
    static void OnDone(void*, wl_output*) {}
    static void OnScale(void*, wl_output*, int32_t) {}

    // ---- screencopy frames

    static void OnBuffer(void* data, zwlr_screencopy_frame_v1* frame, uint32_t format, uint32_t width, uint32_t height,
                         uint32_t stride) {
        auto* f = static_cast<Frame*>(data);
        if (format != kArgb8888 && format != kXrgb8888 && format != kAbgr8888 && format != kXbgr8888) {
            f->failed = true;
            return;
        }
        // The compositor's numbers size a buffer that is read row by row:
        // rows shorter than the width, or more pixels than any image may
        // have, fail the frame rather than read past its end.
        if (width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF || stride < uint64_t(width) * 4 ||
            stride > uint64_t(width) * 4 + 4096 || uint64_t(width) * height > MaxPixelCount()) {
            f->failed = true;
            return;
        }
        f->format = format;
        f->width = int(width);
        f->height = int(height);
        f->stride = int(stride);
        f->size = size_t(stride) * size_t(height);
        const int fd = memfd_create("clipvane-screencopy", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(f->size)) != 0) {
            if (fd >= 0) close(fd);
            f->failed = true;
            return;
        }
        f->data = mmap(nullptr, f->size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (f->data == MAP_FAILED) {
            close(fd);
            f->failed = true;
            return;
        }
        wl_shm_pool* pool = wl_shm_create_pool(f->shm, fd, int32_t(f->size));
        f->buffer = wl_shm_pool_create_buffer(pool, 0, int32_t(width), int32_t(height), int32_t(stride), format);
        wl_shm_pool_destroy(pool);
        close(fd);
        zwlr_screencopy_frame_v1_copy(frame, f->buffer);
    }
    static void OnFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
        static_cast<Frame*>(data)->yInvert = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
    }
    static void OnReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
        static_cast<Frame*>(data)->ready = true;
    }
    static void OnFailed(void* data, zwlr_screencopy_frame_v1*) { static_cast<Frame*>(data)->failed = true; }

    static constexpr wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};
    static constexpr wl_output_listener kOutputListener{OnGeometry, OnMode, OnDone, OnScale};
    static constexpr zwlr_screencopy_frame_v1_listener kFrameListener{OnBuffer, OnFlags, OnReady, OnFailed};

    wl_display* display_;
    WaylandGrab grab_;
    wl_registry* registry_ = nullptr;
    wl_shm* shm_ = nullptr;
    zwlr_screencopy_manager_v1* screencopy_ = nullptr;
    std::vector<Output> outputs_;
    std::string error_;
    std::string lastScreencopyError_;
};

}  // namespace

std::unique_ptr<ScreenPlatform> CreateWaylandPlatform(WaylandGrab grab, std::string* why) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        if (why) *why = std::string("cannot connect to the Wayland display: ") + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<WaylandPlatform>(display, grab);
}

}  // namespace clipvane
