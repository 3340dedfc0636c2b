#include "editor/dialogs/HueStripWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include "editor/dialogs/HueStrip.h"

namespace clipvane {

HueStripWidget::HueStripWidget(QWidget* parent) : QWidget(parent), strip_(HueStrip()) {
    setFixedSize(strip_.size());
    setCursor(Qt::CrossCursor);
    setToolTip(QStringLiteral("Click or drag to choose the tone colour"));
}

void HueStripWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, strip_);
}

void HueStripWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    if (event->button() == Qt::LeftButton && rect().contains(pt) && onPick) onPick(pt.x());
}

void HueStripWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    if ((event->buttons() & Qt::LeftButton) && rect().contains(pt) && onPick) onPick(pt.x());
}

}  // namespace clipvane
