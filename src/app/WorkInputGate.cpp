#include "app/WorkInputGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace clipvane {

WorkInputGate::WorkInputGate(QWidget* cancelButton, std::function<void()> cancel, QObject* parent)
    : QObject(parent), cancelButton_(cancelButton), cancel_(std::move(cancel)) {}

void WorkInputGate::SetClosed(bool closed) {
    if (closed == closed_) return;
    closed_ = closed;
    if (closed)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

bool WorkInputGate::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (cancel_) cancel_();
            return true;
        }
        return watched->isWidgetType();
    case QEvent::KeyRelease: return watched->isWidgetType();
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: {
        // A window hands its input on to the widget under it, which is
        // where the decision falls.
        if (!watched->isWidgetType()) return false;
        const auto* widget = static_cast<QWidget*>(watched);
        return !(cancelButton_ && (widget == cancelButton_ || cancelButton_->isAncestorOf(widget)));
    }
    default: return false;
    }
}

}  // namespace clipvane
