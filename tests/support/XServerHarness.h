#pragma once
// End-to-end tests run against a private X server: Xvfb (1920x1080x24) on a
// free display number, the openbox window manager and a D-Bus session bus.
// The harness starts them once per test process and always tears them down:
// at exit, and through the kernel's parent-death signal when the test process
// dies (a crash, or a timeout that kills it).
#include <sys/types.h>

#include <string>
#include <vector>

namespace clipvane::test {

class XServerHarness {
public:
    // Starts the server on first use and points DISPLAY,
    // DBUS_SESSION_BUS_ADDRESS and QT_QPA_PLATFORM (xcb) of this process at it. Returns null (with a
    // reason) when it cannot be started.
    static XServerHarness* Get(std::string* error = nullptr);

    const std::string& Display() const { return display_; }
    const std::string& BusAddress() const { return bus_; }
    void Stop();

    ~XServerHarness();

private:
    XServerHarness() = default;
    bool Start(std::string* error);

    std::string display_;
    std::string bus_;
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
    pid_t dbus_ = -1;
};

// A child process that dies with the test process. `out_fd`, when given,
// receives the read end of a pipe connected to the child's standard output.
pid_t Spawn(const std::vector<std::string>& argv, int* out_fd = nullptr);
// Sends SIGTERM, waits up to a second, then SIGKILL. Returns the exit status or -1.
int Terminate(pid_t pid);
// Reads one line from `fd`, waiting at most `timeout_ms`. False on timeout or end of file.
bool ReadLine(int fd, std::string* line, int timeout_ms);
// Runs a command (through /bin/sh) and returns its standard output; `status`
// receives the exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);
// Path of a helper program built with the tests (tests/support/clients).
std::string HelperPath(const std::string& name);

}  // namespace clipvane::test
