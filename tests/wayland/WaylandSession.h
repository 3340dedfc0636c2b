#pragma once
// Helpers of the Wayland tests, which run inside tests/wayland/wayland-session.sh:
// the native colour client, the clipvane program on Wayland, files and pixels.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/XServerHarness.h"

namespace clipvane::test {

// Where the session's sway puts the colour client (see wayland-session.sh).
constexpr int kClientX = 300, kClientY = 200, kClientW = 200, kClientH = 150;
constexpr uint32_t kBackground = 0x203040;  // the output's background

inline bool InWaylandSession() {
    static const bool factory = (InstallHandlerFactory(new StandardHandlerFactory), true);
    (void)factory;
    return std::getenv("WAYLAND_DISPLAY") && std::getenv("SWAYSOCK") && std::getenv("CLIPVANE_BINARY_DIR");
}

inline std::string Binary(const std::string& name) {
    return std::string(std::getenv("CLIPVANE_BINARY_DIR")) + "/" + name;
}

template <typename F>
bool PollFor(F probe, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (probe()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return probe();
}

// The colour client, shown and placed; ended with the object.
class ColourClient {
public:
    explicit ColourClient(const std::string& rgb) {
        setenv("QT_QPA_PLATFORM", "wayland", 1);
        int out = -1;
        pid_ = Spawn({HelperPath("wayland_colour_window"), rgb}, &out);
        std::string line;
        ready_ = pid_ > 0 && ReadLine(out, &line, 10000) && line == "ready";
        if (out >= 0) close(out);
    }
    ~ColourClient() {
        if (pid_ > 0) Terminate(pid_);
    }
    bool Ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

// A running clipvane on the session's Wayland display with its own config;
// ended with the object. Without `qpa` the program picks Qt's platform itself.
class WaylandApp {
public:
    // With `stderrPath`, the program's standard error goes to that file.
    WaylandApp(const std::string& configPath, const std::string& configText, const char* qpa = "wayland",
               const std::string& stderrPath = std::string()) {
        if (FILE* f = std::fopen(configPath.c_str(), "w")) {
            std::fputs(configText.c_str(), f);
            std::fclose(f);
        }
        if (qpa) {
            setenv("QT_QPA_PLATFORM", qpa, 1);
        } else {
            unsetenv("QT_QPA_PLATFORM");
        }
        if (stderrPath.empty()) {
            pid_ = Spawn({Binary("clipvane"), "--config", configPath});
        } else {
            pid_ = Spawn(
                {"/bin/sh", "-c", "exec \"$0\" --config \"$1\" 2>\"$2\"", Binary("clipvane"), configPath, stderrPath});
        }
    }
    ~WaylandApp() {
        if (pid_ > 0) Terminate(pid_);
    }
    // Calls a method of org.clipvane.Clipvane (`args` in dbus-send form);
    // false when the call failed, with the reply or error text in `reply`.
    bool Call(const std::string& method, const std::string& args = "", std::string* reply = nullptr) {
        int status = -1;
        const std::string out = RunCommand(
            "dbus-send --session --print-reply --reply-timeout=20000 --dest=org.clipvane.Clipvane "
            "/Clipvane org.clipvane.Clipvane." +
                method + " " + args + " 2>&1",
            &status);
        if (reply) *reply = out;
        return status == 0;
    }
    bool WaitForService() {
        return PollFor([&] { return Call("ActiveDocumentInfo"); }, 15000);
    }

private:
    pid_t pid_ = -1;
};

// The virtual pointer helper: moves and clicks on the desktop.
class Pointer {
public:
    Pointer() {
        int toChild[2], fromChild[2];
        if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) return;
        const std::string path = HelperPath("wayland_virtual_pointer");
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(toChild[0], STDIN_FILENO);
            dup2(fromChild[1], STDOUT_FILENO);
            execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = toChild[1];
        out_ = fromChild[0];
        std::string line;
        ready_ = pid_ > 0 && ReadLine(out_, &line, 5000) && line == "ready";
    }
    ~Pointer() {
        if (in_ >= 0) close(in_);
        if (out_ >= 0) close(out_);
        if (pid_ > 0) Terminate(pid_);
    }
    bool Ready() const { return ready_; }
    bool Send(const std::string& command) {
        const std::string line = command + "\n";
        if (write(in_, line.data(), line.size()) != ssize_t(line.size())) return false;
        std::string answer;
        return ReadLine(out_, &answer, 5000) && answer == "ok";
    }
    // Moves in a few steps, as a hand would, so the program sees motion.
    bool Drag(int x0, int y0, int x1, int y1) {
        bool ok = Send("move " + std::to_string(x0) + " " + std::to_string(y0));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ok = ok && Send("press");
        for (int i = 1; i <= 4 && ok; ++i) {
            ok = Send("move " + std::to_string(x0 + (x1 - x0) * i / 4) + " " + std::to_string(y0 + (y1 - y0) * i / 4));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        return ok && Send("release");
    }

private:
    pid_t pid_ = -1;
    int out_ = -1, in_ = -1;
    bool ready_ = false;
};

// Where sway shows the visible windows of `appId`: "x,y,w,h fullscreen=N"
// lines (tests/wayland/sway-window.py).
inline std::string SwayWindows(const std::string& appId, bool titles = false) {
    return RunCommand("python3 " + std::string(std::getenv("CLIPVANE_SOURCE_DIR")) + "/tests/wayland/sway-window.py " +
                      appId + (titles ? " --titles" : ""));
}

// Waits for a file that an atomic save puts in place.
inline bool WaitForFile(const std::string& path, int ms) {
    return PollFor([&] { return std::filesystem::exists(path); }, ms);
}

// 0xRRGGBB of a pixel of a 24- or 32-bit image.
inline uint32_t RgbAt(const PixelImage& image, int x, int y) {
    const uint8_t* p = image.PixelAddress(x, y);
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// Checks that `image` (whose top-left is the desktop's (ox, oy)) shows the
// client's colour exactly on its rectangle and the background around it.
inline void ExpectClientAt(const PixelImage& image, uint32_t rgb, int ox = 0, int oy = 0) {
    const int l = kClientX - ox, t = kClientY - oy, r = l + kClientW - 1, b = t + kClientH - 1;
    for (auto [x, y] : {std::pair{l, t}, {r, t}, {l, b}, {r, b}, {l + 77, t + 33}}) {
        if (x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) continue;
        EXPECT_EQ(RgbAt(image, x, y), rgb) << "inside the client at " << x << "," << y;
    }
    for (auto [x, y] : {std::pair{l - 1, t}, {l, t - 1}, {r + 1, b}, {r, b + 1}}) {
        if (x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) continue;
        EXPECT_EQ(RgbAt(image, x, y), kBackground) << "outside the client at " << x << "," << y;
    }
}

}  // namespace clipvane::test
