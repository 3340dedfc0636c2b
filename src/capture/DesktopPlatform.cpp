#include "capture/DesktopPlatform.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/PlatformChoice.h"

namespace clipvane {

std::unique_ptr<ScreenPlatform> CreateDesktopPlatform(std::string* why) {
    DesktopKind kind = DesktopKind::kX11;
    if (!ChooseDesktopFromEnvironment(qApp ? QGuiApplication::platformName().toStdString() : std::string(), &kind, why))
        return nullptr;
    if (kind != DesktopKind::kX11)
        return CreateWaylandPlatform(
            kind == DesktopKind::kWaylandPortal ? WaylandGrab::kPortalOnly : WaylandGrab::kAuto, why);
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        if (why) *why = "the program does not run on an X11 display";
        return nullptr;
    }
    Rect primary;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        const qreal ratio = s->devicePixelRatio();
        primary = Rect{int(g.x() * ratio), int(g.y() * ratio), int((g.x() + g.width()) * ratio),
                       int((g.y() + g.height()) * ratio)};
    }
    return CreateX11Platform(x11->connection(), 0, primary);
}

}  // namespace clipvane
