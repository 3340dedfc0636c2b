#include "app/AppIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

#include "app/CommandIds.h"

namespace clipvane {

namespace {

using Painter = std::function<void(QPainter&)>;

// Draws on a 24 x 24 design grid, scaled to whatever size is asked for;
// disabled icons are drawn faded.
class DrawnIconEngine : public QIconEngine {
public:
    explicit DrawnIconEngine(Painter paint) : paint_(std::move(paint)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 24.0, rect.height() / 24.0);
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        paint_(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(paint_); }

private:
    Painter paint_;
};

QIcon Drawn(Painter paint) { return QIcon(new DrawnIconEngine(std::move(paint))); }

const QColor kInk(40, 48, 60);
const QColor kBlue(38, 110, 200);
const QColor kPaper(250, 250, 246);

QPen Ink(double width = 1.6) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Page(QPainter& p) {
    QPainterPath path;
    path.moveTo(5, 2.5);
    path.lineTo(14, 2.5);
    path.lineTo(19, 7.5);
    path.lineTo(19, 21.5);
    path.lineTo(5, 21.5);
    path.closeSubpath();
    p.setPen(Ink(1.3));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(14, 2.5), QPointF(14, 7.5));
    p.drawLine(QPointF(14, 7.5), QPointF(19, 7.5));
}

void Monitor(QPainter& p) {
    p.setPen(Ink(1.4));
    p.setBrush(QColor(220, 232, 248));
    p.drawRoundedRect(QRectF(2.5, 3.5, 19, 13), 1.5, 1.5);
    p.drawLine(QPointF(12, 16.5), QPointF(12, 19.5));
    p.drawLine(QPointF(8, 20.5), QPointF(16, 20.5));
}

void Magnifier(QPainter& p, int sign) {
    p.setPen(Ink(2.0));
    p.setBrush(QColor(225, 238, 252));
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    p.drawLine(QPointF(14.8, 14.8), QPointF(21, 21));
    p.setPen(QPen(kBlue, 2.0, Qt::SolidLine, Qt::RoundCap));
    if (sign != 0) p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (sign > 0) p.drawLine(QPointF(10, 7), QPointF(10, 13));
    if (sign == 2) {
        p.setPen(QPen(kBlue, 1.4));
        p.setFont(QFont(QStringLiteral("Sans"), 6, QFont::Bold));
        p.drawText(QRectF(3.5, 4, 13, 12), Qt::AlignCenter, QStringLiteral("1:1"));
    }
}

void Curve(QPainter& p, bool redo) {
    if (redo) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(19, 18);
    path.cubicTo(19, 8, 12, 7, 6, 9.5);
    p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    QPolygonF head{{3, 10}, {9, 5}, {9.5, 13.5}};
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(head);
}

void Hand(QPainter& p, bool closed) {
    p.setPen(Ink(1.3));
    p.setBrush(QColor(252, 226, 196));
    if (closed) {
        p.drawRoundedRect(QRectF(5, 8, 14, 12), 4, 4);
        for (int i = 0; i < 4; ++i) p.drawLine(QPointF(7.5 + i * 3, 8), QPointF(7.5 + i * 3, 12));
        return;
    }
    for (int i = 0; i < 4; ++i) p.drawRoundedRect(QRectF(6 + i * 3.2, 3 + (i == 0 || i == 3 ? 2 : 0), 3, 10), 1.5, 1.5);
    p.drawRoundedRect(QRectF(5.5, 10, 13.5, 11), 4, 4);
}

Painter PainterFor(unsigned id) {
    switch (id) {
    case ID_FILE_NEW:
        return [](QPainter& p) {
            Page(p);
            p.setPen(QPen(kBlue, 2.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, 11), QPointF(12, 18));
            p.drawLine(QPointF(8.5, 14.5), QPointF(15.5, 14.5));
        };
    case ID_FILE_OPEN:
        return [](QPainter& p) {
            p.setPen(Ink(1.3));
            p.setBrush(QColor(240, 200, 90));
            p.drawPolygon(QPolygonF{{2.5, 5}, {9, 5}, {11, 7.5}, {20, 7.5}, {20, 19.5}, {2.5, 19.5}});
            p.setBrush(QColor(252, 222, 130));
            p.drawPolygon(QPolygonF{{5, 11}, {22.5, 11}, {20, 19.5}, {2.5, 19.5}});
        };
    case ID_FILE_SAVE:
        return [](QPainter& p) {
            p.setPen(Ink(1.3));
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
            p.setBrush(kPaper);
            p.drawRect(QRectF(7, 3.5, 10, 6));
            p.drawRect(QRectF(6.5, 13, 11, 7.5));
        };
    case ID_CAPTURE_FULLSCREEN:
        return [](QPainter& p) {
            Monitor(p);
            p.setPen(QPen(QColor(210, 40, 40), 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(4.5, 5.5, 15, 9));
        };
    case ID_CAPTURE_REGION:
        return [](QPainter& p) {
            Monitor(p);
            p.setPen(QPen(QColor(210, 40, 40), 1.5, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(7, 7, 9, 6));
        };
    case ID_CAPTURE_WINDOW:
        return [](QPainter& p) {
            Monitor(p);
            p.setPen(QPen(kInk, 1.0));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(6, 6, 11, 8));
            p.setBrush(kBlue);
            p.drawRect(QRectF(6, 6, 11, 2));
            p.setPen(QPen(QColor(210, 40, 40), 1.4));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(5, 5, 13, 10));
        };
    case ID_CAPTURE_ACTIVE:
        return [](QPainter& p) {
            p.setPen(Ink(1.3));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 5.5, 17, 13));
            p.setBrush(kBlue);
            p.drawRect(QRectF(3.5, 5.5, 17, 3.5));
            p.setPen(QPen(QColor(210, 40, 40), 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(2, 4, 20, 16));
        };
    case ID_EDIT_UNDO: return [](QPainter& p) { Curve(p, false); };
    case ID_EDIT_REDO: return [](QPainter& p) { Curve(p, true); };
    case ID_ZOOM_IN:
    case ID_TOOL_ZOOM: return [](QPainter& p) { Magnifier(p, 1); };
    case ID_ZOOM_OUT: return [](QPainter& p) { Magnifier(p, -1); };
    case ID_ZOOM_ACTUAL: return [](QPainter& p) { Magnifier(p, 2); };
    case ID_TOOL_MOVE: return [](QPainter& p) { Hand(p, false); };
    case ID_TOOL_SELECT:
        return [](QPainter& p) {
            p.setPen(Ink(1.2));
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF{{5, 3}, {5, 18}, {9, 14.5}, {12, 21}, {14.5, 20}, {11.5, 13.5}, {16.5, 13.5}});
            p.setPen(QPen(kBlue, 1.5));
            p.drawLine(QPointF(18, 15), QPointF(18, 23));
            p.drawLine(QPointF(14, 19), QPointF(22, 19));
        };
    case ID_TOOL_CROP:
        return [](QPainter& p) {
            p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::SquareCap));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF{{6, 2}, {6, 18}, {22, 18}});
            p.drawPolyline(QPolygonF{{2, 6}, {18, 6}, {18, 22}});
        };
    case ID_TOOL_TEXT:
        return [](QPainter& p) {
            p.setPen(Ink(1.0));
            QFont f(QStringLiteral("Serif"));
            f.setPixelSize(20);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("A"));
        };
    case ID_TOOL_LINE:
        return [](QPainter& p) {
            p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 20), QPointF(20, 4));
        };
    case ID_TOOL_ARROW:
        return [](QPainter& p) {
            p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 20), QPointF(16, 8));
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawPolygon(QPolygonF{{21, 3}, {19, 13}, {11, 5}});
        };
    case ID_TOOL_SHAPE:
        return [](QPainter& p) {
            p.setPen(Ink(1.6));
            p.setBrush(QColor(0, 128, 128, 90));
            p.drawRect(QRectF(3, 4, 12, 10));
            p.setBrush(QColor(38, 110, 200, 110));
            p.drawEllipse(QRectF(9, 10, 12, 10));
        };
    case ID_TOOL_HIGHLIGHT:
        return [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 235, 0, 170));
            p.drawRect(QRectF(2, 9, 20, 8));
            p.setPen(Ink(1.2));
            p.setBrush(QColor(255, 220, 40));
            p.drawPolygon(QPolygonF{{13, 2}, {20, 9}, {11, 18}, {6, 18}, {6, 13}});
        };
    case ID_TOOL_STAMP:
        return [](QPainter& p) {
            p.setPen(Ink(1.3));
            p.setBrush(QColor(200, 60, 60));
            p.drawRoundedRect(QRectF(9, 2.5, 6, 9), 2, 2);
            p.drawRect(QRectF(4, 11.5, 16, 5));
            p.setBrush(QColor(120, 120, 120));
            p.drawRect(QRectF(3, 18.5, 18, 2.5));
        };
    case ID_DELETE_OBJECT:
    case ID_OBJ_DELETE:
        return [](QPainter& p) {
            p.setPen(QPen(QColor(200, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6, 6), QPointF(18, 18));
            p.drawLine(QPointF(18, 6), QPointF(6, 18));
        };
    default: return nullptr;
    }
}

void DrawApplicationIcon(QPainter& p) {
    // A blue window with a dashed capture frame and a vane-like corner mark.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 96, 180));
    p.drawRoundedRect(QRectF(1, 1, 22, 22), 4.5, 4.5);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(4.5, 6, 15, 12), 1.5, 1.5);
    p.setPen(QPen(QColor(230, 60, 50), 1.6, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(7, 8.5, 10, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 40));
    p.drawPolygon(QPolygonF{{15, 2}, {22, 2}, {22, 9}});
}

}  // namespace

QIcon ApplicationIcon() {
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QPixmap pm(size, size);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(size / 24.0, size / 24.0);
            DrawApplicationIcon(p);
            p.end();
            result.addPixmap(pm);
        }
        return result;
    }();
    return icon;
}

QIcon CommandIcon(unsigned id) {
    Painter paint = PainterFor(id);
    return paint ? Drawn(std::move(paint)) : QIcon();
}

}  // namespace clipvane
