// Start-up time to the main window being mapped, and resident memory when
// idle with no document open. Prints the figures; the limits are loose so a
// busy machine does not fail the build, the targets are in the messages.
#include <xcb/xcb.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/CommandIds.h"
#include "support/AppDriver.h"

namespace {

using namespace clipvane;
using namespace clipvane::test;
using Clock = std::chrono::steady_clock;

// A viewable top-level client titled exactly "Clipvane" with a real size.
bool MainWindowMapped(xcb_connection_t* c, xcb_window_t root) {
    static xcb_atom_t clients = [&] {
        const char name[] = "_NET_CLIENT_LIST";
        auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }();
    auto* list = xcb_get_property_reply(c, xcb_get_property(c, 0, root, clients, XCB_ATOM_WINDOW, 0, 1024), nullptr);
    if (!list) return false;
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
    const int n = xcb_get_property_value_length(list) / 4;
    bool found = false;
    for (int i = 0; i < n && !found; ++i) {
        auto* name = xcb_get_property_reply(
            c, xcb_get_property(c, 0, ids[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
        const bool titled = name && std::string(static_cast<const char*>(xcb_get_property_value(name)),
                                                size_t(xcb_get_property_value_length(name))) == "Clipvane";
        free(name);
        if (!titled) continue;
        auto* attr = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, ids[i]), nullptr);
        auto* geo = xcb_get_geometry_reply(c, xcb_get_geometry(c, ids[i]), nullptr);
        found = attr && geo && attr->map_state == XCB_MAP_STATE_VIEWABLE && geo->width > 200;
        free(attr);
        free(geo);
    }
    free(list);
    return found;
}

long ResidentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

TEST(AppStartup, MainWindowMappedQuicklyAndIdleMemorySmall) {
    std::string error;
    ASSERT_NE(XServerHarness::Get(&error), nullptr) << error;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::string config = "/tmp/clipvane-startup-" + std::to_string(getpid()) + ".ini";

    std::vector<double> times;
    long rss = -1;
    for (int run = 0; run < 6; ++run) {
        const auto start = Clock::now();
        ClipvaneProcess app(config);
        const bool mapped = WaitFor([&] { return MainWindowMapped(c, root); }, 15000);
        ASSERT_TRUE(mapped) << "run " << run;
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (run == 5) {
            ASSERT_TRUE(app.WaitForService());
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            rss = ResidentKb(app.Pid());
        }
        ASSERT_TRUE(app.Command(kCmdAppExit));
        EXPECT_EQ(app.WaitExit(10000), 0);
        WaitFor([&] { return !MainWindowMapped(c, root); }, 5000);
    }
    xcb_disconnect(c);
    std::remove(config.c_str());
    const double first = times.front();
    std::vector<double> warm(times.begin() + 1, times.end());
    std::sort(warm.begin(), warm.end());
    const double median = warm[warm.size() / 2];
    std::printf(
        "[ figures  ] start-up to mapped main window: first run %.0f ms, warm median %.0f ms "
        "(target < 300 ms); idle resident memory %.1f MB (target < 60 MB)\n",
        first, median, rss / 1024.0);
    EXPECT_LT(median, 1500.0) << "warm start-up far above the 300 ms target";
    EXPECT_GT(rss, 0);
    EXPECT_LT(rss, 120 * 1024) << "idle memory far above the 60 MB target";
}

}  // namespace
