#pragma once
// A scripted desktop and a recording host for the capture unit tests.
#include <QString>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "capture/CaptureHost.h"
#include "image/PixelImage.h"
#include "platform/ScreenPlatform.h"

namespace clipvane::test {

// A desktop whose screen pixel (x, y) is FakePlatform::PixelAt(x, y).
class FakePlatform : public clipvane::ScreenPlatform {
public:
    static uint32_t PixelAt(int x, int y) {
        return uint32_t((x * 7 + y * 13) & 0xFF) << 16 | uint32_t(x & 0xFF) << 8 | uint32_t(y & 0xFF);
    }

    clipvane::Rect screen{0, 0, 320, 240};
    std::vector<clipvane::TopWindow> windows;  // topmost first
    clipvane::WindowId active = 0;
    std::set<std::pair<int, unsigned>> taken;  // combinations another program holds
    std::set<std::pair<int, unsigned>> grabbed;
    std::vector<clipvane::Rect> grabs;
    std::vector<clipvane::WindowId> activated;
    bool failGrabs = false;
    bool knowsWindows = true;  // false: a Wayland desktop
    bool grabsKeys = true;     // false: a Wayland desktop

    // A scrolling view: `scrollArea` (screen coordinates) shows `page` from
    // row `scrollOffset` down. The wheel moves it `wheelPixels(notches)` (the
    // clicks times pixelsPerNotch unless set), Page Down by `pageStep` rows,
    // both stopping at the end of the page; a move shows only after
    // `lagGrabs` more grabs (a slow repaint). `grabsLeft` > 0 makes the grabs
    // after that many fail.
    clipvane::PixelImage page;
    clipvane::Rect scrollArea;
    int scrollOffset = 0;
    int pixelsPerNotch = 40;
    std::function<int(int)> wheelPixels;
    bool wheelScrolls = true;
    int pageStep = 0;  // 0: Page Down does nothing
    bool syntheticInput = true;
    int lagGrabs = 0;
    int grabsLeft = -1;
    std::vector<std::pair<int, int>> inputAt;  // where each input was sent
    int wheelNotches = 0;                      // clicks sent, down minus up
    int pageDowns = 0;

    bool ScrollWheel(int x, int y, int notches) override {
        if (!syntheticInput) return false;
        inputAt.push_back({x, y});
        wheelNotches += notches;
        if (wheelScrolls) {
            const int pixels =
                wheelPixels ? (notches < 0 ? -wheelPixels(-notches) : wheelPixels(notches)) : notches * pixelsPerNotch;
            MoveBy(pixels);
        }
        return true;
    }
    bool PressPageDown(int x, int y) override {
        if (!syntheticInput) return false;
        inputAt.push_back({x, y});
        ++pageDowns;
        MoveBy(pageStep);
        return true;
    }
    void MoveBy(int rows) {
        const int maxOffset = std::max(0, page.Height() - scrollArea.Height());
        pendingOffset_ = std::clamp(scrollOffset + rows, 0, maxOffset);
        lagLeft_ = lagGrabs;
        if (lagLeft_ == 0) scrollOffset = pendingOffset_;
    }

    clipvane::Rect PrimaryScreen() override { return screen; }
    bool Grab(const clipvane::Rect& rect, clipvane::PixelImage& image) override {
        grabs.push_back(rect);
        if (grabsLeft == 0) return false;
        if (grabsLeft > 0) --grabsLeft;
        if (rect.IsEmpty() || failGrabs) return false;
        if (lagLeft_ > 0 && --lagLeft_ == 0) scrollOffset = pendingOffset_;
        clipvane::PixelImage out;
        out.Create(rect.Width(), rect.Height(), 24);
        for (int y = 0; y < rect.Height(); ++y) {
            for (int x = 0; x < rect.Width(); ++x) {
                const int sx = rect.left + x, sy = rect.top + y;
                const bool inside = sx >= screen.left && sx < screen.right && sy >= screen.top && sy < screen.bottom;
                uint32_t p = inside ? PixelAt(sx - screen.left, sy - screen.top) : 0;
                if (!page.IsEmpty() && sx >= scrollArea.left && sx < scrollArea.right && sy >= scrollArea.top &&
                    sy < scrollArea.bottom)
                    p = page.GetPixel(sx - scrollArea.left, scrollOffset + sy - scrollArea.top);
                uint8_t* d = out.PixelAddress(x, y);
                d[0] = uint8_t(p), d[1] = uint8_t(p >> 8), d[2] = uint8_t(p >> 16);
            }
        }
        image = std::move(out);
        return true;
    }
    std::vector<clipvane::TopWindow> StackingOrder() override { return windows; }
    clipvane::WindowId ActiveWindow() override { return active; }
    bool FrameRect(clipvane::WindowId window, clipvane::Rect* frame) override {
        for (const clipvane::TopWindow& w : windows) {
            if (w.id == window) {
                *frame = w.frame;
                return true;
            }
        }
        return false;
    }
    // As a window manager does: the activated window becomes the active one.
    void Activate(clipvane::WindowId window) override {
        activated.push_back(window);
        active = window;
    }
    bool GrabHotkey(int vk, unsigned modifiers, std::string* why) override {
        if (taken.count({vk, modifiers})) {
            if (why) *why = "another program already uses it";
            return false;
        }
        grabbed.insert({vk, modifiers});
        return true;
    }
    void UngrabHotkey(int vk, unsigned modifiers) override { grabbed.erase({vk, modifiers}); }
    bool MatchHotkey(uint8_t keycode, uint16_t state, int vk, unsigned modifiers) override {
        return keycode == uint8_t(vk) && state == modifiers;
    }
    bool KnowsWindows() override { return knowsWindows; }
    bool GrabsKeys() override { return grabsKeys; }

private:
    int pendingOffset_ = 0;
    int lagLeft_ = 0;
};

class FakeHost : public clipvane::CaptureHost {
public:
    QWidget* window = nullptr;
    bool hasDocument = false;
    std::vector<clipvane::PixelImage> delivered;  // the image each delivery received
    QStringList events;                           // "new", "new+undo", "replace", "path:<p>"
    QStringList messages;

    QWidget* HostWindow() override { return window; }
    void DeliverNew(const clipvane::PixelImage& image, bool recordUndo) override {
        delivered.push_back(image);
        events << (recordUndo ? QStringLiteral("new+undo") : QStringLiteral("new"));
        hasDocument = true;
    }
    bool DeliverReplace(const clipvane::PixelImage& image) override {
        if (!hasDocument) return false;
        delivered.push_back(image);
        events << QStringLiteral("replace");
        return true;
    }
    void SetDeliveredPath(const QString& path) override { events << QStringLiteral("path:") + path; }
    void ReportMessage(const QString& text) override { messages << text; }
};

// The colour of a 24-bit image's pixel as 0xRRGGBB.
inline uint32_t Rgb(const clipvane::PixelImage& image, int x, int y) { return image.GetPixel(x, y) & 0xFFFFFF; }

}  // namespace clipvane::test
