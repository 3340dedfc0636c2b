// Which platform a session gets, and the file URIs of the portal's answer.
#include <gtest/gtest.h>

#include "base/FileUri.h"
#include "platform/PlatformChoice.h"

namespace {

using clipvane::ChooseDesktop;
using clipvane::DesktopKind;

DesktopKind Choose(const std::string& override_, const std::string& toolkit, const std::string& qpa,
                   const std::string& wayland) {
    DesktopKind kind = DesktopKind::kX11;
    std::string why;
    EXPECT_TRUE(ChooseDesktop(override_, toolkit, qpa, wayland, &kind, &why)) << why;
    return kind;
}

TEST(PlatformChoice, TheToolkitsPlatformDecidesWhenItRuns) {
    EXPECT_EQ(Choose("", "wayland", "", "wayland-0"), DesktopKind::kWayland);
    EXPECT_EQ(Choose("", "wayland-egl", "", "wayland-0"), DesktopKind::kWayland);
    // XWayland: the toolkit on xcb inside a Wayland session grabs through X11.
    EXPECT_EQ(Choose("", "xcb", "", "wayland-0"), DesktopKind::kX11);
}

TEST(PlatformChoice, WithoutAToolkitTheEnvironmentDecides) {
    EXPECT_EQ(Choose("", "", "", "wayland-0"), DesktopKind::kWayland);
    EXPECT_EQ(Choose("", "", "", ""), DesktopKind::kX11);
    EXPECT_EQ(Choose("", "", "xcb", "wayland-0"), DesktopKind::kX11);
    EXPECT_EQ(Choose("", "", "wayland", ""), DesktopKind::kWayland);
    // The test suites' offscreen platform says nothing about the session.
    EXPECT_EQ(Choose("", "", "offscreen", "wayland-0"), DesktopKind::kWayland);
    EXPECT_EQ(Choose("", "", "offscreen", ""), DesktopKind::kX11);
}

TEST(PlatformChoice, TheOverrideWinsAndUnknownValuesAreRefused) {
    EXPECT_EQ(Choose("x11", "wayland", "wayland", "wayland-0"), DesktopKind::kX11);
    EXPECT_EQ(Choose("wayland", "xcb", "", ""), DesktopKind::kWayland);
    EXPECT_EQ(Choose("portal", "", "", "wayland-0"), DesktopKind::kWaylandPortal);
    DesktopKind kind = DesktopKind::kWayland;
    std::string why;
    EXPECT_FALSE(ChooseDesktop("X11", "", "", "", &kind, &why));
    EXPECT_NE(why.find("x11, wayland or portal"), std::string::npos) << why;
}

TEST(PlatformChoice, QtIsAskedForWaylandOnlyWhereNothingElseChose) {
    using clipvane::PreferToolkitWayland;
    EXPECT_TRUE(PreferToolkitWayland("", "", "wayland-0"));
    EXPECT_TRUE(PreferToolkitWayland("portal", "", "wayland-0"));
    EXPECT_FALSE(PreferToolkitWayland("", "", ""));              // X11 session
    EXPECT_FALSE(PreferToolkitWayland("", "xcb", "wayland-0"));  // the user's choice stands
    EXPECT_FALSE(PreferToolkitWayland("x11", "", "wayland-0"));
}

TEST(PortalFiles, FileUrisBecomeLocalPaths) {
    using clipvane::PathFromFileUri;
    EXPECT_EQ(PathFromFileUri("file:///tmp/out.png"), "/tmp/out.png");
    EXPECT_EQ(PathFromFileUri("file://localhost/tmp/a%20b%2Fc.png"), "/tmp/a b/c.png");
    EXPECT_EQ(PathFromFileUri("file:///home/u/Bilder/%C3%A4.png"), "/home/u/Bilder/\xC3\xA4.png");
    // Not a local file, or broken escapes: nothing to read.
    EXPECT_EQ(PathFromFileUri("file://otherhost/tmp/out.png"), "");
    EXPECT_EQ(PathFromFileUri("https://example.org/out.png"), "");
    EXPECT_EQ(PathFromFileUri("file:///tmp/out%2"), "");
    EXPECT_EQ(PathFromFileUri("file:///tmp/out%zz.png"), "");
    EXPECT_EQ(PathFromFileUri("file:///tmp/a%00b"), "");
    // A raw NUL byte would name another, shorter path to open and delete.
    EXPECT_EQ(PathFromFileUri(std::string_view("file:///tmp/a\0/../home/u/keep.png", 33)), "");
    EXPECT_EQ(PathFromFileUri("file://"), "");
}

TEST(PortalFiles, OnlyShotsInTemporaryFoldersAreRemoved) {
    using clipvane::IsTemporaryShot;
    EXPECT_TRUE(IsTemporaryShot("/tmp/out.png", "", ""));
    EXPECT_TRUE(IsTemporaryShot("/var/tmp/shot.png", "", ""));
    EXPECT_TRUE(IsTemporaryShot("/scratch/t/out.png", "/scratch/t/", ""));
    EXPECT_TRUE(IsTemporaryShot("/run/user/1000/doc/x/out.png", "", "/run/user/1000"));
    // The user's own pictures, files further down /tmp, tricks with "..".
    EXPECT_FALSE(IsTemporaryShot("/home/u/Pictures/Screenshot.png", "", "/run/user/1000"));
    EXPECT_FALSE(IsTemporaryShot("/tmp/project/keep.png", "", ""));
    EXPECT_FALSE(IsTemporaryShot("/run/user/1000/../../../home/u/a.png", "", "/run/user/1000"));
    EXPECT_FALSE(IsTemporaryShot("relative/out.png", "", ""));
    EXPECT_FALSE(IsTemporaryShot("/tmp/", "", ""));
    EXPECT_FALSE(IsTemporaryShot("/run/user/1000", "", "/run/user/1000"));
    EXPECT_FALSE(IsTemporaryShot("/run/user/1000/sub/..", "", "/run/user/1000"));
}

}  // namespace
