#include "capture/DesktopPlatform.h"

#include <QGuiApplication>
#include <QScreen>

namespace clipvane {

std::unique_ptr<ScreenPlatform> CreateDesktopPlatform() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return nullptr;
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
