#include "support/XServerHarness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace clipvane::test {

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<XServerHarness>& Slot() {
    static std::unique_ptr<XServerHarness> slot;
    return slot;
}

bool WindowManagerRunning(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    bool ok = false;
    if (c && !xcb_connection_has_error(c)) {
        const char name[] = "_NET_SUPPORTING_WM_CHECK";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
        if (atom && atom->atom != XCB_ATOM_NONE) {
            xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
            xcb_get_property_reply_t* prop =
                xcb_get_property_reply(c, xcb_get_property(c, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
            ok = prop && xcb_get_property_value_length(prop) == 4;
            free(prop);
            // The manager also has to hold the root's substructure redirect,
            // or a client mapped now is never managed.
            xcb_get_window_attributes_reply_t* attrs =
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr);
            ok = ok && attrs && (attrs->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
            free(attrs);
        }
        free(atom);
    }
    if (c) xcb_disconnect(c);
    return ok;
}

}  // namespace

pid_t Spawn(const std::vector<std::string>& argv, int* out_fd) {
    int fds[2] = {-1, -1};
    if (out_fd && pipe2(fds, O_CLOEXEC) != 0) return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);  // the parent died before prctl
        if (out_fd) dup2(fds[1], STDOUT_FILENO);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (out_fd) {
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
        } else {
            *out_fd = fds[0];
        }
    }
    return pid;
}

int Terminate(pid_t pid) {
    if (pid <= 0) return -1;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    return waitpid(pid, &status, 0) == pid ? status : -1;
}

bool ReadLine(int fd, std::string* line, int timeout_ms) {
    line->clear();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0) return false;
        char ch;
        const ssize_t n = read(fd, &ch, 1);
        if (n <= 0) return false;
        if (ch == '\n') return true;
        line->push_back(ch);
    }
}

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* f = popen(command.c_str(), "r");
    if (!f) {
        if (status) *status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    const int rc = pclose(f);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string HelperPath(const std::string& name) {
    const char* dir = std::getenv("CLIPVANE_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/tests/" + name;
}

XServerHarness* XServerHarness::Get(std::string* error) {
    std::unique_ptr<XServerHarness>& slot = Slot();
    if (slot) return slot.get();
    std::unique_ptr<XServerHarness> h(new XServerHarness);
    if (!h->Start(error)) return nullptr;
    slot = std::move(h);
    std::atexit([] { Slot().reset(); });
    return slot.get();
}

bool XServerHarness::Start(std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        Stop();
        return false;
    };
    // Xvfb picks a free display number and writes it to the pipe when ready.
    int displayPipe[2];
    if (pipe(displayPipe) != 0) return fail("pipe failed");
    const pid_t parent = getpid();
    xvfb_ = fork();
    if (xvfb_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        close(displayPipe[0]);
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, STDERR_FILENO);
        const std::string fd = std::to_string(displayPipe[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(displayPipe[1]);
    if (xvfb_ < 0) return fail("fork failed");
    std::string number;
    const bool got = ReadLine(displayPipe[0], &number, 15000);
    close(displayPipe[0]);
    if (!got || number.empty()) return fail("Xvfb did not start (is it installed?)");
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    // Qt in this process and in the programs it starts uses the real server.
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    int busFd = -1;
    dbus_ = Spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"}, &busFd);
    if (dbus_ < 0 || !ReadLine(busFd, &bus_, 10000) || bus_.empty()) {
        if (busFd >= 0) close(busFd);
        return fail("dbus-daemon did not start");
    }
    close(busFd);
    setenv("DBUS_SESSION_BUS_ADDRESS", bus_.c_str(), 1);

    wm_ = Spawn({"openbox", "--sm-disable"});
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (!WindowManagerRunning(display_)) {
        if (Clock::now() > deadline) return fail("openbox did not take over the screen");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void XServerHarness::Stop() {
    Terminate(wm_);
    Terminate(dbus_);
    Terminate(xvfb_);
    wm_ = dbus_ = xvfb_ = -1;
}

XServerHarness::~XServerHarness() { Stop(); }

}  // namespace clipvane::test
