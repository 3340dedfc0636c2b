#pragma once
// Driving the selection overlay of a capture from an end-to-end test: the
// action runs once the overlay is open and painted, from the event loop the
// capture keeps running while it waits for the user.
#include <QApplication>
#include <QTimer>

#include <functional>
#include <string>

#include "capture/SelectionOverlay.h"
#include "support/LiveDesktop.h"

namespace clipvane::test {

// Runs `action` once an overlay is open, painted and holds its input grabs.
// The polling timer belongs to `owner`, so it ends with it.
inline void WhenOverlayOpen(QObject* owner, std::function<void(SelectionOverlay*)> action) {
    auto* timer = new QTimer(owner);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<SelectionOverlay*>(w);
            if (dialog && dialog->isVisible() && dialog->FirstPaintMs() >= 0) {
                timer->stop();
                timer->deleteLater();
                Spin(150);  // the input grabs
                action(dialog);
                return;
            }
        }
    });
    timer->start();
}

// Picks what is under (x, y) with a click once the overlay is open, as a user does.
inline void PickInOverlay(QObject* owner, int x, int y) {
    WhenOverlayOpen(owner, [x, y](SelectionOverlay*) {
        RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click 1");
    });
}

}  // namespace clipvane::test
