#include "widgets/HyperlinkLabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QMouseEvent>
#include <QUrl>

namespace clipvane {

namespace {

std::function<bool(const QString&)>& Opener() {
    static std::function<bool(const QString&)> opener = [](const QString& url) {
        return QDesktopServices::openUrl(QUrl(url));
    };
    return opener;
}

// The result reported when the desktop has no handler for the address.
constexpr int kNoAssociation = 31;

}  // namespace

HyperlinkLabel::HyperlinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (url_.isEmpty()) url_ = text;
    setToolTip(url_);
    Restyle();
}

void HyperlinkLabel::SetURL(const QString& url) {
    url_ = url;
    if (text().isEmpty()) setText(url);
    setToolTip(url_);
    adjustSize();
}

void HyperlinkLabel::SetUnderline(Underline mode) {
    underline_ = mode;
    Restyle();
}

QColor HyperlinkLabel::CurrentColour() const {
    if (hovering_) return HoverColour();
    return visited_ ? VisitedColour() : LinkColour();
}

void HyperlinkLabel::Restyle() {
    QFont f = font();
    f.setUnderline(underline_ == kUnderlineAlways || (underline_ == kUnderlineHover && hovering_));
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, CurrentColour());
    setPalette(p);
    adjustSize();
    update();
}

void HyperlinkLabel::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    Restyle();
    QLabel::enterEvent(event);
}

void HyperlinkLabel::leaveEvent(QEvent* event) {
    hovering_ = false;
    Restyle();
    QLabel::leaveEvent(event);
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Activate();
    QLabel::mouseReleaseEvent(event);
}

bool HyperlinkLabel::Activate() {
    hovering_ = false;
    const bool ok = Opener()(url_);
    visited_ = ok;
    Restyle();
    if (!ok) {
        QApplication::beep();
        QMessageBox::warning(window(), QStringLiteral("Clipvane"),
                             QStringLiteral("Unable to open hyperlink:\n\n") + HyperlinkErrorText(kNoAssociation));
    }
    return ok;
}

void HyperlinkLabel::SetOpener(std::function<bool(const QString&)> opener) { Opener() = std::move(opener); }

QString HyperlinkErrorText(int result) {
    switch (result) {
    case 0: return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2: return QStringLiteral("The specified file was not found.");
    case 3: return QStringLiteral("The specified path was not found.");
    case 5: return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8: return QStringLiteral("There was not enough memory to complete the operation.");
    case 11: return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26: return QStringLiteral("A sharing violation occurred. ");
    case 27: return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28: return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29: return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
    case 31: return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32: return QStringLiteral("The specified dynamic-link library was not found.");
    default: return QStringLiteral("Unknown Error (%1) occurred.").arg(result);
    }
}

}  // namespace clipvane
