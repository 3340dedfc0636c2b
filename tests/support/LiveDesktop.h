#pragma once
// Shared pieces of the capture end-to-end tests: the X server, a toolkit
// application on it, real client windows and a recording capture host.
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QWidget>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "capture/CaptureHost.h"
#include "image/PixelImage.h"
#include "support/XServerHarness.h"

namespace clipvane::test {

// Starts the server and a QApplication on it (the xcb platform, whatever the
// test environment says). Null with a reason when no server can be had.
inline QApplication* CaptureApp(std::string* error) {
    if (!XServerHarness::Get(error)) return nullptr;
    if (!QApplication::instance()) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "test_e2e";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    return qApp;
}

// Runs the event loop until `done` holds or the time is up.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        usleep(2000);
    }
    return true;
}

inline void Spin(int ms) {
    SpinUntil([] { return false; }, ms);
}

struct ScreenRectI {
    int x = 0, y = 0, w = 0, h = 0;
};

// A solid_window client: a top-level window of one colour.
class SolidWindow {
public:
    SolidWindow(const std::string& rrggbb, const std::string& geometry, const std::string& title) {
        // Right after the window manager starts, a window mapped too early
        // is sometimes never shown; a second client gets through.
        for (int attempt = 0; attempt < 3 && id_ == 0; ++attempt) {
            int out = -1;
            pid_ = Spawn({HelperPath("solid_window"), rrggbb, geometry, title}, &out);
            std::string line;
            if (pid_ > 0 && ReadLine(out, &line, 8000)) id_ = std::stoul(line);
            if (out >= 0) close(out);
            if (id_ == 0) Terminate(pid_);
        }
    }
    ~SolidWindow() { Terminate(pid_); }
    unsigned long Id() const { return id_; }
    std::string IdText() const { return std::to_string(id_); }

    // The client area in root coordinates, as xwininfo reports it.
    ScreenRectI Client() const {
        const std::string info = RunCommand("xwininfo -id " + IdText());
        ScreenRectI r;
        r.x = Field(info, "Absolute upper-left X:");
        r.y = Field(info, "Absolute upper-left Y:");
        r.w = Field(info, "Width:");
        r.h = Field(info, "Height:");
        return r;
    }
    // The frame: the client grown by _NET_FRAME_EXTENTS.
    ScreenRectI Frame() const {
        ScreenRectI r = Client();
        const std::string prop = RunCommand("xprop -id " + IdText() + " _NET_FRAME_EXTENTS");
        int l = 0, rr = 0, t = 0, b = 0;
        const size_t eq = prop.find('=');
        if (eq != std::string::npos) std::sscanf(prop.c_str() + eq + 1, " %d, %d, %d, %d", &l, &rr, &t, &b);
        return ScreenRectI{r.x - l, r.y - t, r.w + l + rr, r.h + t + b};
    }

private:
    static int Field(const std::string& text, const std::string& name) {
        const size_t at = text.find(name);
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + name.size());
    }
    pid_t pid_ = -1;
    unsigned long id_ = 0;
};

class RecordingHost : public clipvane::CaptureHost {
public:
    QWidget* window = nullptr;
    std::vector<clipvane::PixelImage> delivered;
    QStringList messages;
    QStringList paths;
    QWidget* HostWindow() override { return window; }
    void DeliverNew(const clipvane::PixelImage& image, bool) override { delivered.push_back(image); }
    bool DeliverReplace(const clipvane::PixelImage& image) override {
        delivered.push_back(image);
        return true;
    }
    void SetDeliveredPath(const QString& path) override { paths << path; }
    void ReportMessage(const QString& text) override { messages << text; }
};

inline uint32_t Rgb(const clipvane::PixelImage& image, int x, int y) { return image.GetPixel(x, y) & 0xFFFFFF; }

}  // namespace clipvane::test
