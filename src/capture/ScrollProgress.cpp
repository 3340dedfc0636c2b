#include "capture/ScrollProgress.h"

#include <QCoreApplication>

#include <algorithm>
#include <string>

#include "capture/HighlightFrame.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {
constexpr int kEscape = 0x1B;  // the virtual-key code of Esc
constexpr int kGap = 6;        // between the area and the label, past the frame
}  // namespace

ScrollProgress::ScrollProgress(ScreenPlatform& platform, const QRect& area, const QRect& screen)
    : platform_(platform), area_(area), screen_(screen) {
    frame_ = std::make_unique<HighlightFrame>();
    frame_->ShowAround(area_);
    label_ = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                   Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput);
    label_->setAttribute(Qt::WA_ShowWithoutActivating);
    label_->setObjectName(QStringLiteral("scrollProgressLabel"));
    label_->setAutoFillBackground(true);
    label_->setMargin(4);
    std::string why;
    escapeGrabbed_ = platform_.GrabHotkey(kEscape, 0, &why);
    QCoreApplication::instance()->installNativeEventFilter(this);
    SetHeight(0);
}

ScrollProgress::~ScrollProgress() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    if (escapeGrabbed_) platform_.UngrabHotkey(kEscape, 0);
    label_->hide();
    frame_->hide();
}

void ScrollProgress::SetHeight(int rows) {
    label_->setText(escapeGrabbed_
                        ? QCoreApplication::translate("ScrollProgress", "Scrolling: %1 rows (Esc stops)").arg(rows)
                        : QCoreApplication::translate("ScrollProgress", "Scrolling: %1 rows").arg(rows));
    label_->adjustSize();
    PlaceLabel();
}

// Below the area, or above it; never over it, where it would be captured.
void ScrollProgress::PlaceLabel() {
    const QSize size = label_->sizeHint();
    const int x = std::clamp(area_.left(), screen_.left(), std::max(screen_.left(), screen_.right() - size.width()));
    QPoint at(x, area_.bottom() + 1 + kGap);
    if (at.y() + size.height() > screen_.bottom() + 1) at.setY(area_.top() - kGap - size.height());
    if (at.y() < screen_.top()) {
        label_->hide();
        return;
    }
    label_->move(at);
    label_->resize(size);
    label_->show();
    label_->raise();
}

bool ScrollProgress::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    uint8_t keycode = 0;
    uint16_t state = 0;
    if (!escapeGrabbed_ || !platform_.KeyPressFromNative(eventType.toStdString(), message, &keycode, &state))
        return false;
    if (!platform_.MatchHotkey(keycode, state, kEscape, 0)) return false;
    cancelled_ = true;
    return true;
}

}  // namespace clipvane
