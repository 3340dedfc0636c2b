#include "editor/tools/ViewCursors.h"

#include <QPainter>
#include <QPixmap>
#include <iterator>

namespace clipvane {

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

// An arrow with a small four-way cross below its tip, white-edged so that it
// shows on dark and light pixels.
QCursor SelectArrowCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF arrow[] = {{1, 1}, {1, 17}, {5, 13}, {8, 20}, {11, 19}, {8, 12}, {13, 12}};
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::black);
    p.drawPolygon(arrow, int(std::size(arrow)));
    const QPointF c(21, 21);
    const QPointF cross[] = {c + QPointF(0, -8),  c + QPointF(-3, -5), c + QPointF(-1, -5), c + QPointF(-1, -1),
                             c + QPointF(-5, -1), c + QPointF(-5, -3), c + QPointF(-8, 0),  c + QPointF(-5, 3),
                             c + QPointF(-5, 1),  c + QPointF(-1, 1),  c + QPointF(-1, 5),  c + QPointF(-3, 5),
                             c + QPointF(0, 8),   c + QPointF(3, 5),   c + QPointF(1, 5),   c + QPointF(1, 1),
                             c + QPointF(5, 1),   c + QPointF(5, 3),   c + QPointF(8, 0),   c + QPointF(5, -3),
                             c + QPointF(5, -1),  c + QPointF(1, -1),  c + QPointF(1, -5),  c + QPointF(3, -5)};
    p.drawPolygon(cross, int(std::size(cross)));
    p.end();
    return QCursor(pm, 1, 1);
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
    case ViewCursor::SelectArrow: {
        static const QCursor select = SelectArrowCursor();
        return select;
    }
    case ViewCursor::Arrow: return Qt::ArrowCursor;
    case ViewCursor::SizeNWSE: return Qt::SizeFDiagCursor;
    case ViewCursor::SizeNESW: return Qt::SizeBDiagCursor;
    case ViewCursor::SizeWE: return Qt::SizeHorCursor;
    case ViewCursor::SizeNS: return Qt::SizeVerCursor;
    }
    return Qt::ArrowCursor;
}

ViewCursor ToViewCursor(HandleCursor cursor) {
    switch (cursor) {
    case HandleCursor::Select: return ViewCursor::SelectArrow;
    case HandleCursor::SizeNESW: return ViewCursor::SizeNESW;
    case HandleCursor::SizeNWSE: return ViewCursor::SizeNWSE;
    case HandleCursor::SizeWE: return ViewCursor::SizeWE;
    case HandleCursor::SizeNS: return ViewCursor::SizeNS;
    }
    return ViewCursor::SelectArrow;
}

}  // namespace clipvane
