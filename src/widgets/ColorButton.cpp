#include "widgets/ColorButton.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace clipvane {

ColorButton::ColorButton(QWidget* parent)
    : QPushButton(parent),
      savedColor_(FromQColor(QApplication::palette().color(QPalette::Button))),
      defaultColor_(FromQColor(QApplication::palette().color(QPalette::Dark))) {
    custom_.fill(0xFFFFFF);
    connect(this, &QPushButton::clicked, this, &ColorButton::ShowPopup);
}

void ColorButton::SetColor(ColorRef color) {
    color_ = savedColor_ = color;
    update();
}

void ColorButton::SetDefaultColor(ColorRef color) {
    defaultColor_ = color;
    update();
}

void ColorButton::SetPushedLook(bool pushed) {
    pushedLook_ = pushed;
    update();
}

ColorRef ColorButton::DisplayedColor() const {
    if (!isEnabled()) return kDisabledColor;
    return color_ == kDefaultColorMarker ? defaultColor_ : color_;
}

QSize ColorButton::sizeHint() const { return QSize(48, 22); }

void ColorButton::ShowPopup() {
    if (popup_) return;
    popup_ = new ColorPopup(color_, &custom_, -1, -1, this);
    connect(popup_, &ColorPopup::hotColorChanged, this, &ColorButton::PopupHot);
    connect(popup_, &ColorPopup::finished, this, &ColorButton::PopupFinished);
    popup_->show();
    emit dropDown(color_);
}

void ColorButton::PopupHot(ColorRef color) {
    if (!trackSelection_) return;
    color_ = color;
    update();
}

void ColorButton::PopupFinished(bool ok, ColorRef color, int row, int column) {
    if (!ok) {
        color_ = savedColor_ = color;
        update();
        emit closeUp(color);
        emit selectionEndCancel(color);
        return;
    }
    lastRow_ = row;
    lastColumn_ = column;
    emit closeUp(color);
    emit selectionEndOk(color);
    // With tracking the swatch already shows it; compare with the colour the
    // pop-up opened with.
    if (color == savedColor_) {
        color_ = color;
        update();
        return;
    }
    color_ = savedColor_ = color;
    update();
    emit colorChanged(color);
}

void ColorButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QPushButton::changeEvent(event);
}

void ColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    if (pushedLook_) option.state |= QStyle::State_Sunken | QStyle::State_HasFocus;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);

    QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (option.state & QStyle::State_Sunken) content.translate(1, 1);

    // Drop-down arrow at the right: lines shrinking by two pixels.
    const int size = 7;
    const int arrowLeft = content.right() - size - 4;
    const int top = content.center().y() - 2;
    p.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                         : palette().color(QPalette::Disabled, QPalette::ButtonText));
    for (int i = 0; i < (size + 1) / 2; ++i) p.drawLine(arrowLeft + i, top + i, arrowLeft + size - 1 - i, top + i);

    // The swatch fills the rest.
    const QRect swatch(content.left() + 1, content.top() + 1, arrowLeft - 4 - content.left(), content.height() - 2);
    if (swatch.width() > 0 && swatch.height() > 0) {
        p.fillRect(swatch, ToQColor(DisplayedColor()));
        if (isEnabled()) {
            p.setPen(Qt::black);
            p.drawRect(swatch.adjusted(0, 0, -1, -1));
        }
    }
}

}  // namespace clipvane
