// The end-to-end harness itself: a real client on the private X server shows
// up in a grab of the root window exactly where the server says it is.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "support/XServerHarness.h"

namespace {

namespace test = clipvane::test;

struct Connection {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ~Connection() { xcb_disconnect(c); }
    xcb_window_t Root() const { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }
};

// Reads one pixel of the root window as 0xRRGGBB.
uint32_t RootPixel(const Connection& conn, int x, int y) {
    xcb_get_image_reply_t* img = xcb_get_image_reply(
        conn.c, xcb_get_image(conn.c, XCB_IMAGE_FORMAT_Z_PIXMAP, conn.Root(), int16_t(x), int16_t(y), 1, 1, ~0u),
        nullptr);
    if (!img) return 0xFFFFFFFF;
    const uint8_t* p = xcb_get_image_data(img);
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    free(img);
    return v;
}

TEST(XServerHarness, StartsAServerWithAWindowManagerAndABus) {
    std::string error;
    test::XServerHarness* x = test::XServerHarness::Get(&error);
    ASSERT_NE(x, nullptr) << error;
    EXPECT_EQ(std::string(std::getenv("DISPLAY")), x->Display());
    EXPECT_NE(x->BusAddress().find("unix:"), std::string::npos);
    int status = -1;
    const std::string geometry = test::RunCommand("xdpyinfo | grep dimensions", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(geometry.find("1920x1080 pixels"), std::string::npos) << geometry;
    // The bus answers.
    test::RunCommand(
        "dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
        "org.freedesktop.DBus.ListNames >/dev/null",
        &status);
    EXPECT_EQ(status, 0);
}

TEST(XServerHarness, GrabOfTheRootWindowFindsAClientWhereItIs) {
    std::string error;
    ASSERT_NE(test::XServerHarness::Get(&error), nullptr) << error;
    int out = -1;
    const pid_t client =
        test::Spawn({test::HelperPath("solid_window"), "12AB34", "300x200+400+300", "harness-probe"}, &out);
    ASSERT_GT(client, 0);
    std::string id;
    ASSERT_TRUE(test::ReadLine(out, &id, 10000)) << "client did not map its window";
    close(out);

    Connection conn;
    ASSERT_FALSE(xcb_connection_has_error(conn.c));
    const xcb_window_t win = xcb_window_t(std::stoul(id));
    // Where the window manager put the client area, in root coordinates.
    int rx = 0, ry = 0;
    for (int i = 0; i < 100; ++i) {
        xcb_translate_coordinates_reply_t* t =
            xcb_translate_coordinates_reply(conn.c, xcb_translate_coordinates(conn.c, win, conn.Root(), 0, 0), nullptr);
        ASSERT_NE(t, nullptr);
        rx = t->dst_x;
        ry = t->dst_y;
        free(t);
        if (RootPixel(conn, rx + 150, ry + 100) == 0x12AB34) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // The whole client area has the colour; the pixels just outside do not.
    EXPECT_EQ(RootPixel(conn, rx, ry), 0x12AB34u);
    EXPECT_EQ(RootPixel(conn, rx + 299, ry + 199), 0x12AB34u);
    EXPECT_EQ(RootPixel(conn, rx + 150, ry + 100), 0x12AB34u);
    EXPECT_NE(RootPixel(conn, rx + 300, ry + 100), 0x12AB34u);
    EXPECT_NE(RootPixel(conn, rx + 150, ry + 200), 0x12AB34u);
    test::Terminate(client);
}

}  // namespace
