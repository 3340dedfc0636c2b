#include "capture/HighlightFrame.h"

#include <QRegion>

namespace clipvane {

namespace {
constexpr int kPen = 3;
}

HighlightFrame::HighlightFrame()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

void HighlightFrame::ShowAround(const QRect& frame) {
    const QRect outer = frame.adjusted(-kPen, -kPen, kPen, kPen);
    setGeometry(outer);
    const QRect local(QPoint(0, 0), outer.size());
    setMask(QRegion(local).subtracted(QRegion(local.adjusted(kPen, kPen, -kPen, -kPen))));
    show();
    raise();
}

}  // namespace clipvane
