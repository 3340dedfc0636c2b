#include "editor/view/ViewCursors.h"

#include <QPainter>
#include <QPixmap>

namespace cv {

namespace {

QCursor MagnifierCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
    p.end();
    return QCursor(pm, 12, 12);
}

}  // namespace

QCursor CursorShape(ViewCursor cursor) {
    switch (cursor) {
    case ViewCursor::OpenHand: return Qt::OpenHandCursor;
    case ViewCursor::ClosedHand: return Qt::ClosedHandCursor;
    case ViewCursor::Cross: return Qt::CrossCursor;
    case ViewCursor::Magnifier: {
        static const QCursor magnifier = MagnifierCursor();
        return magnifier;
    }
    case ViewCursor::Arrow: return Qt::ArrowCursor;
    case ViewCursor::SizeNWSE: return Qt::SizeFDiagCursor;
    case ViewCursor::SizeNESW: return Qt::SizeBDiagCursor;
    }
    return Qt::ArrowCursor;
}

}  // namespace cv
