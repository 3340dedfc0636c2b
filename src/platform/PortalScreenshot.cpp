#include "platform/PortalScreenshot.h"

#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

namespace clipvane {

namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";

struct BusDeleter {
    void operator()(sd_bus* b) const { sd_bus_flush_close_unref(b); }
};
struct SlotDeleter {
    void operator()(sd_bus_slot* s) const { sd_bus_slot_unref(s); }
};
struct MessageDeleter {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};

struct Answer {
    bool done = false;
    uint32_t response = 2;
    std::string uri;
};

// Request.Response(u response, a{sv} results): the results' "uri" is the shot.
int OnResponse(sd_bus_message* m, void* data, sd_bus_error*) {
    auto* answer = static_cast<Answer*>(data);
    answer->done = true;
    if (sd_bus_message_read(m, "u", &answer->response) < 0) return 0;
    if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return 0;
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(m, "s", &key) < 0) return 0;
        if (key && std::strcmp(key, "uri") == 0 && sd_bus_message_enter_container(m, 'v', "s") > 0) {
            const char* uri = nullptr;
            if (sd_bus_message_read(m, "s", &uri) >= 0 && uri) answer->uri = uri;
            sd_bus_message_exit_container(m);
        } else if (sd_bus_message_skip(m, "v") < 0) {
            return 0;
        }
        sd_bus_message_exit_container(m);
    }
    return 0;
}

uint64_t NowUsec() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

std::string ErrorText(const sd_bus_error& error, int r) {
    if (error.message) return error.message;
    return std::strerror(-r);
}

}  // namespace

bool PortalScreenshot(std::string* path, std::string* why, int timeoutMs) {
    sd_bus* raw = nullptr;
    int r = sd_bus_open_user(&raw);
    std::unique_ptr<sd_bus, BusDeleter> bus(raw);
    if (r < 0) {
        *why = std::string("cannot reach the session bus: ") + std::strerror(-r);
        return false;
    }
    const char* unique = nullptr;
    r = sd_bus_get_unique_name(bus.get(), &unique);
    if (r < 0 || !unique) {
        *why = std::string("cannot reach the session bus: ") + std::strerror(-r);
        return false;
    }
    // The portal answers on a request object named after the caller and a
    // token of its choosing; listening there before calling misses nothing.
    std::string sender = unique + 1;
    for (char& c : sender) {
        if (c == '.') c = '_';
    }
    static std::atomic<unsigned> counter{0};
    const std::string token = "clipvane" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    std::string requestPath = std::string(kPortalPath) + "/request/" + sender + "/" + token;

    Answer answer;
    sd_bus_slot* rawSlot = nullptr;
    r = sd_bus_match_signal(bus.get(), &rawSlot, nullptr, requestPath.c_str(), "org.freedesktop.portal.Request",
                            "Response", OnResponse, &answer);
    std::unique_ptr<sd_bus_slot, SlotDeleter> slot(rawSlot);
    if (r < 0) {
        *why = std::string("cannot listen on the session bus: ") + std::strerror(-r);
        return false;
    }

    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* rawReply = nullptr;
    r = sd_bus_call_method(bus.get(), kPortal, kPortalPath, "org.freedesktop.portal.Screenshot", "Screenshot", &error,
                           &rawReply, "sa{sv}", "", 3, "handle_token", "s", token.c_str(), "interactive", "b", 0,
                           "modal", "b", 0);
    std::unique_ptr<sd_bus_message, MessageDeleter> reply(rawReply);
    if (r < 0) {
        *why = "the desktop's screenshot portal is not available (" + ErrorText(error, r) + ")";
        sd_bus_error_free(&error);
        return false;
    }
    const char* handle = nullptr;
    if (sd_bus_message_read(reply.get(), "o", &handle) >= 0 && handle && requestPath != handle) {
        // An older portal picks the request path itself.
        requestPath = handle;
        sd_bus_slot* other = nullptr;
        if (sd_bus_match_signal(bus.get(), &other, nullptr, requestPath.c_str(), "org.freedesktop.portal.Request",
                                "Response", OnResponse, &answer) >= 0)
            slot.reset(other);
    }

    const uint64_t deadline = NowUsec() + uint64_t(timeoutMs) * 1000u;
    while (!answer.done) {
        r = sd_bus_process(bus.get(), nullptr);
        if (r < 0) {
            *why = std::string("the session bus failed: ") + std::strerror(-r);
            return false;
        }
        if (r > 0) continue;
        const uint64_t now = NowUsec();
        if (now >= deadline) {
            *why = "the desktop's screenshot portal did not answer in time";
            return false;
        }
        r = sd_bus_wait(bus.get(), deadline - now);
        if (r < 0 && r != -EINTR) {
            *why = std::string("the session bus failed: ") + std::strerror(-r);
            return false;
        }
    }
    if (answer.response == 1) {
        *why = "the screenshot was cancelled";
        return false;
    }
    if (answer.response != 0) {
        *why = "the desktop refused the screenshot";
        return false;
    }
    *path = PathFromFileUri(answer.uri);
    if (path->empty()) {
        *why = "the desktop's screenshot portal gave no local file (\"" + answer.uri + "\")";
        return false;
    }
    return true;
}

}  // namespace clipvane
