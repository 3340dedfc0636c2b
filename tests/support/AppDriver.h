#pragma once
// Drives a real `clipvane` on the test X server: starts it with its own
// config, calls its D-Bus interface, finds its windows with xdotool.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/XServerHarness.h"

namespace clipvane::test {

inline std::string BinaryDir() {
    const char* dir = std::getenv("CLIPVANE_BINARY_DIR");
    return dir ? dir : ".";
}

inline std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// Polls `probe` every 50 ms until it returns true or `ms` pass.
template <typename F>
bool WaitFor(F probe, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (probe()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return probe();
}

class ClipvaneProcess {
public:
    // The program keeps its recovery entries under a state folder beside
    // `configPath` (XDG_STATE_HOME=<its folder>/state), so that a run that is
    // killed leaves them to the next run with the same configuration only.
    explicit ClipvaneProcess(const std::string& configPath, std::vector<std::string> extra = {}) {
        unsetenv("QT_QPA_PLATFORM");  // the real X server, not offscreen
        setenv("XDG_STATE_HOME", StateDir(configPath).c_str(), 1);
        std::vector<std::string> argv = {BinaryDir() + "/clipvane", "--config", configPath};
        argv.insert(argv.end(), extra.begin(), extra.end());
        // The first instance of a test must own the bus name: a program of an
        // earlier test that is still going away would otherwise take its
        // files. A later one of the same test is meant to meet the first.
        if (live_ == 0) WaitFor([] { return !NameHasOwner(); }, 5000);
        pid_ = Spawn(argv);
        ++live_;
    }
    ~ClipvaneProcess() {
        if (pid_ > 0) Terminate(pid_);
        --live_;
    }
    static bool NameHasOwner() {
        return RunCommand(
                   "dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
                   "org.freedesktop.DBus.NameHasOwner string:org.clipvane.Clipvane 2>/dev/null")
                   .find("boolean true") != std::string::npos;
    }
    pid_t Pid() const { return pid_; }
    static std::string StateDir(const std::string& configPath) {
        const size_t slash = configPath.rfind('/');
        return (slash == std::string::npos ? std::string(".") : configPath.substr(0, slash)) + "/state";
    }

    // True once the D-Bus service answers.
    bool WaitForService(int ms = 15000) {
        return WaitFor([&] { return Call("ActiveDocumentInfo", "", nullptr); }, ms);
    }
    // Calls a method of org.clipvane.Clipvane; `args` in dbus-send form.
    bool Call(const std::string& method, const std::string& args, std::string* reply) {
        int status = -1;
        const std::string out = RunCommand(
            "dbus-send --session --print-reply --reply-timeout=20000 --dest=org.clipvane.Clipvane /Clipvane "
            "org.clipvane.Clipvane." +
                method + " " + args + " 2>&1",
            &status);
        if (reply) *reply = out;
        return status == 0;
    }
    bool Command(unsigned id) {
        std::string reply;
        return Call("Command", "uint32:" + std::to_string(id), &reply) && reply.find("true") != std::string::npos;
    }
    // The active document's summary ("" without one).
    std::string Info() {
        std::string reply;
        if (!Call("ActiveDocumentInfo", "", &reply)) return "?";
        const size_t q = reply.find('"');
        const size_t e = reply.rfind('"');
        return q == std::string::npos || e <= q ? std::string() : reply.substr(q + 1, e - q - 1);
    }
    // Waits for the process to end by itself; its exit status or -1.
    int WaitExit(int ms) {
        int status = 0;
        const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms);
        if (!ended) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    inline static int live_ = 0;  // instances of this test program still running
};

// The id of a visible window whose title matches `regex` exactly, or "".
inline std::string FindWindow(const std::string& title, int ms = 10000) {
    std::string id;
    WaitFor(
        [&] {
            id = Trim(RunCommand("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null | head -1"));
            return !id.empty();
        },
        ms);
    return id;
}

inline void Keys(const std::string& window, const std::string& keys) {
    RunCommand("xdotool windowactivate --sync " + window + " >/dev/null 2>&1; xdotool key --clearmodifiers " + keys);
}

inline void TypeText(const std::string& window, const std::string& text) {
    RunCommand("xdotool windowactivate --sync " + window + " >/dev/null 2>&1; xdotool type --delay 5 '" + text + "'");
}

inline std::string ImageInfo(const std::string& path) {
    return Trim(RunCommand(BinaryDir() + "/clipvane-image info '" + path + "' 2>&1"));
}

inline std::string ArtifactDir() {
    const std::string dir = BinaryDir() + "/test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace clipvane::test
