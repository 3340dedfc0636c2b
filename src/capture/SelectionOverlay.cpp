#include "capture/SelectionOverlay.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

#include "document/QImageBridge.h"
#include "platform/PixelCopy.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {

const QColor kBoxFill(150, 150, 150);
const QColor kBoxFrame(0, 0, 255);
const QColor kMagnifierFrame(0, 255, 0);
const QColor kMouseText(255, 255, 123);

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QFont DefaultInfoFont() {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(10.5);  // 14 pixels at 96 dots per inch
    f.setBold(true);
    return f;
}

constexpr int kBoxMargin = 15;
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop;

// Frames a rectangle one pixel wide along its inside edge.
void FrameRect(QPainter& p, const QRect& r, const QColor& colour) {
    if (r.width() <= 0 || r.height() <= 0) return;
    p.setPen(QPen(colour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void Text(QPainter& p, const QPoint& origin, const SelectionOverlay::HelpLine& line, const QColor& colour) {
    p.setPen(colour);
    p.drawText(line.rect.translated(origin), kTextFlags | (line.wrap ? Qt::TextWordWrap : 0), line.text);
}

}  // namespace

SelectionOverlay::SelectionOverlay(OverlayMode mode, ScreenPlatform& platform, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::X11BypassWindowManagerHint),
      mode_(mode),
      platform_(platform) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    if (mode_ == OverlayMode::Region) setCursor(Qt::CrossCursor);
    infoFont_ = DefaultInfoFont();
    LayoutHelp();
}

void SelectionOverlay::SetInfoFont(const QFont& font) {
    infoFont_ = font;
    LayoutHelp();
}

QString SelectionOverlay::MouseText() const { return tr("Mouse: x = %1; y = %2").arg(cursorX_).arg(cursorY_); }

// The lines stack from below the magnifier (or the box's top in the window
// mode), each as tall as its text wrapped to the box's inner width. The box
// is at least its classic size and grows to fit: wide enough for the mouse
// line with the largest coordinates and for the lines that do not wrap.
void SelectionOverlay::LayoutHelp() {
    const bool windowMode = mode_ == OverlayMode::WindowObject;
    std::vector<HelpLine> lines;
    if (windowMode) {
        lines = {{QRect(), tr("- Left click to capture"), false},
                 {QRect(), tr("- Right click or press [Esc] to cancel"), true}};
        if (dragAllowed_) lines.insert(lines.begin() + 1, {QRect(), tr("- Or drag over the part that scrolls"), true});
    } else {
        lines = {{QRect(), tr("- Click and hold the left mouse button as you drag to select a region."), true},
                 {QRect(), tr("- Release the button to capture."), true},
                 {QRect(), tr("- Right click or press [Esc] to cancel."), true}};
    }
    lines.push_back({QRect(), QString(), false});  // the mouse position
    const QFontMetrics fm(infoFont_);
    const int digits = int(QString::number(std::max({screenW_, screenH_, 9999})).size()) + 1;  // room for a minus
    const QString widestMouse = tr("Mouse: x = %1; y = %1").arg(QString(digits, QLatin1Char('8')));
    int inner = std::max(kInfoBoxWidth - 2 * kBoxMargin, fm.horizontalAdvance(widestMouse) + 2);
    if (!windowMode) inner = std::max(inner, kMagnifierSize);
    for (const HelpLine& l : lines) {
        if (!l.wrap && !l.text.isEmpty()) inner = std::max(inner, fm.horizontalAdvance(l.text) + 2);
        // A wrapping line still needs its longest word on one line.
        for (const QString& word : l.text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            inner = std::max(inner, fm.horizontalAdvance(word) + 2);
    }
    const int gap = std::max(fm.height() / 2, 4);
    int y = windowMode ? 30 : kBoxMargin + kMagnifierSize + 10;
    for (HelpLine& l : lines) {
        const QString text = l.text.isEmpty() ? widestMouse : l.text;
        const int h =
            fm.boundingRect(QRect(0, 0, inner, 1 << 20), kTextFlags | (l.wrap ? Qt::TextWordWrap : 0), text).height();
        l.rect = QRect(kBoxMargin, y, inner, std::max(h, fm.height()));
        y += l.rect.height() + gap;
    }
    const int minH = windowMode ? kInfoBoxHeightWindow : kInfoBoxHeightRect;
    boxSize_ = QSize(inner + 2 * kBoxMargin, std::max(minH, y - gap + kBoxMargin));
    help_ = std::move(lines);
}

std::vector<SelectionOverlay::HelpLine> SelectionOverlay::HelpLines() const {
    std::vector<HelpLine> lines = help_;
    if (!lines.empty()) lines.back().text = MouseText();
    return lines;
}

Rect SelectionOverlay::BoxRect() const {
    return InfoBoxRect(boxBottomRight_, screenW_, screenH_, boxSize_.width(), boxSize_.height());
}

bool SelectionOverlay::FreezeScreen() {
    const Rect screen = platform_.PrimaryScreen();
    screenW_ = screen.Width();
    screenH_ = screen.Height();
    screenOrigin_ = QPoint(screen.left, screen.top);
    const bool ok = platform_.Grab(screen, frozen_);
    if (!ok) frozen_.Create(std::max(screenW_, 1), std::max(screenH_, 1), 24);  // black rather than nothing
    frozenImage_ = ToQImage(frozen_);
    setGeometry(screen.left, screen.top, screenW_, screenH_);
    LayoutHelp();
    return ok;
}

int SelectionOverlay::exec() {
    openTimer_.start();
    if (frozen_.IsEmpty()) FreezeScreen();
    // The pointer already rests somewhere on the screen: that counts as a
    // first mouse move, so a click without moving still finds the box side,
    // the magnifier, the fixed rectangle or the window under it.
    const QPoint p = QCursor::pos() - screenOrigin_;
    if (p.x() >= 0 && p.y() >= 0 && p.x() < screenW_ && p.y() < screenH_) MoveTo(p.x(), p.y());
    // A Wayland client cannot place its windows: the compositor puts a full
    // screen window over the whole output instead.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        setWindowState(windowState() | Qt::WindowFullScreen);
    return QDialog::exec();
}

void SelectionOverlay::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    inputAttempts_ = 0;
    QTimer::singleShot(0, this, &SelectionOverlay::TakeInput);
}

// The keyboard and pointer grabs fail while the window is not yet viewable
// or another client holds a grab; retry for a short while.
void SelectionOverlay::TakeInput() {
    // Wayland grants grabs to popups only (and says so on every attempt);
    // the compositor gives the full-screen overlay the keyboard anyway.
    if (!isVisible() || yieldsInput_ || QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
    QWindow* w = windowHandle();
    const bool keyboard = w && w->setKeyboardGrabEnabled(true);
    const bool mouse = w && w->setMouseGrabEnabled(true);
    if ((!keyboard || !mouse) && ++inputAttempts_ < 40) QTimer::singleShot(25, this, &SelectionOverlay::TakeInput);
}

void SelectionOverlay::FollowActivation() {
    QWidget* active = QApplication::activeWindow();
    const bool yield = isVisible() && active && active != this;
    if (yield == yieldsInput_) return;
    yieldsInput_ = yield;
    if (yield) {
        // A box over the overlay that waits for an answer would otherwise
        // never get the keys and clicks the overlay holds.
        if (QWindow* w = windowHandle()) {
            w->setKeyboardGrabEnabled(false);
            w->setMouseGrabEnabled(false);
        }
    } else {
        inputAttempts_ = 0;
        TakeInput();
    }
}

void SelectionOverlay::MoveTo(int x, int y) {
    const QRegion before = Decorations();
    cursorX_ = x;
    cursorY_ = y;
    if (mode_ == OverlayMode::WindowObject) {
        const TopWindow* w = grid_ ? grid_->WindowAt(x, y) : nullptr;
        windowRect_ = w ? w->frame : Rect{};
        if (dragging_) {
            dragCurrent_ = QPoint(x, y);
            dragRect_ = NormalisedRect(dragStart_.x(), dragStart_.y(), x, y);
            if (DraggedFar()) windowRect_ = dragRect_;  // outlined like a window
        }
        boxBottomRight_ =
            BoxAtBottomRight(x, y, screenW_, screenH_, boxSize_.width(), boxSize_.height(), boxBottomRight_);
    } else {
        boxBottomRight_ =
            BoxAtBottomRight(x, y, screenW_, screenH_, boxSize_.width(), boxSize_.height(), boxBottomRight_);
        CropImage(frozen_, Rect{x - 15, y - 15, x + 16, y + 16}, magnifier_);
        if (dragging_) {
            dragCurrent_ = QPoint(x, y);
            dragRect_ = NormalisedRect(dragStart_.x(), dragStart_.y(), x, y);
        }
        if (mode_ == OverlayMode::FixedRect) fixedRect_ = FixedRectAt(x, y, fixedW_, fixedH_, screenW_, screenH_);
    }
    update(before | Decorations());
}

// Everything drawn over the frozen screen, so a move repaints only that.
QRegion SelectionOverlay::Decorations() const {
    const bool windowMode = mode_ == OverlayMode::WindowObject;
    QRegion r(ToQRect(BoxRect()));
    if (windowMode) {
        r |= ToQRect(windowRect_).adjusted(-4, -4, 4, 4);
        return r;
    }
    r |= ToQRect(dragRect_).adjusted(-2, -2, 2, 2);
    const QFontMetrics fm(font());
    const QString label = QStringLiteral("%1X%2").arg(dragRect_.Width()).arg(dragRect_.Height());
    int lx = 0, ly = 0;
    SizeLabelOrigin(dragRect_, fm.horizontalAdvance(label), fm.height(), &lx, &ly);
    r |= QRect(lx - 2, ly - 2, fm.horizontalAdvance(label) + 4, fm.height() + 4);
    if (mode_ == OverlayMode::FixedRect)
        r |= ToQRect(FixedRectUnclamped(cursorX_, cursorY_, fixedW_, fixedH_)).adjusted(-2, -2, 2, 2);
    return r;
}

void SelectionOverlay::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    for (const QRect& r : event->region()) p.drawImage(r, frozenImage_, r);
    if (mode_ == OverlayMode::WindowObject) {
        PaintWindowMode(p);
    } else {
        PaintRectModes(p);
    }
    if (firstPaintMs_ < 0 && openTimer_.isValid()) firstPaintMs_ = openTimer_.elapsed();
}

void SelectionOverlay::PaintRectModes(QPainter& p) {
    const QRect box = ToQRect(BoxRect());
    const QRect magRect(box.left() + kBoxMargin, box.top() + kBoxMargin, kMagnifierSize, kMagnifierSize);

    QImage mag = ToQImage(magnifier_);
    if (!mag.isNull()) {  // the crosshair: middle row and column inverted, the centre pixel kept
        for (int i = 0; i < mag.width() && i < mag.height(); ++i) {
            if (i == 15) continue;
            auto* row = reinterpret_cast<uint32_t*>(mag.scanLine(15));
            row[i] ^= 0x00ffffff;
            reinterpret_cast<uint32_t*>(mag.scanLine(i))[15] ^= 0x00ffffff;
        }
    }
    p.fillRect(box, kBoxFill);
    if (!mag.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(magRect, mag);
    }
    FrameRect(p, magRect, kMagnifierFrame);
    FrameRect(p, box, kBoxFrame);

    // Size label, white on black, centred in the selection or above-left of it.
    const QString label = QStringLiteral("%1X%2").arg(dragRect_.Width()).arg(dragRect_.Height());
    const QFontMetrics fm(font());
    const int tw = fm.horizontalAdvance(label), th = fm.height();
    int lx = 0, ly = 0;
    SizeLabelOrigin(dragRect_, tw, th, &lx, &ly);
    p.setFont(font());
    p.fillRect(QRect(lx, ly, tw, th), Qt::black);
    p.setPen(Qt::white);
    p.drawText(QRect(lx, ly, tw, th), Qt::AlignLeft | Qt::AlignTop, label);

    p.setFont(infoFont_);
    const std::vector<HelpLine> lines = HelpLines();
    for (size_t i = 0; i < lines.size(); ++i)
        Text(p, box.topLeft(), lines[i], i + 1 == lines.size() ? kMouseText : QColor(Qt::white));

    FrameRect(p, ToQRect(dragRect_), Qt::black);
    if (mode_ == OverlayMode::FixedRect) {  // a focus rectangle: every other pixel inverted
        const QRect focus = ToQRect(FixedRectUnclamped(cursorX_, cursorY_, fixedW_, fixedH_));
        if (focus.width() > 0 && focus.height() > 0) {
            QPen dots(QColor(255, 255, 255), 1);
            dots.setDashPattern({1, 1});
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.setPen(dots);
            p.setBrush(Qt::NoBrush);
            p.drawRect(focus.adjusted(0, 0, -1, -1));
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
}

void SelectionOverlay::PaintWindowMode(QPainter& p) {
    const QRect box = ToQRect(BoxRect());
    if (!windowRect_.IsEmpty()) {  // a 4-pixel red outline inside the window's frame, inverted against the screen
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(QColor(255, 0, 0), 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(ToQRect(windowRect_)).adjusted(2, 2, -2, -2));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    p.fillRect(box, kBoxFill);
    FrameRect(p, box, kBoxFrame);
    p.setFont(infoFont_);
    const std::vector<HelpLine> lines = HelpLines();
    for (size_t i = 0; i < lines.size(); ++i)
        Text(p, box.topLeft(), lines[i], i + 1 == lines.size() ? kMouseText : QColor(Qt::white));
}

bool SelectionOverlay::DraggedFar() const {
    constexpr int kDragDistance = 8;
    return std::max(std::abs(dragCurrent_.x() - dragStart_.x()), std::abs(dragCurrent_.y() - dragStart_.y())) >=
           kDragDistance;
}

void SelectionOverlay::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    MoveTo(p.x(), p.y());
}

void SelectionOverlay::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        reject();
        return;
    }
    if (event->button() == Qt::LeftButton &&
        (mode_ == OverlayMode::Region || (mode_ == OverlayMode::WindowObject && dragAllowed_))) {
        dragStart_ = dragCurrent_ = p;
        dragRect_ = Rect{p.x(), p.y(), p.x(), p.y()};
        dragging_ = true;
    }
}

void SelectionOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    switch (mode_) {
    case OverlayMode::Region:
        dragging_ = false;
        dragCurrent_ = p;
        break;
    case OverlayMode::FixedRect: dragging_ = false; break;
    case OverlayMode::WindowObject: {
        if (dragging_) MoveTo(p.x(), p.y());
        if (dragging_ && DraggedFar()) {
            windowRect_ = dragRect_;
            window_ = 0;
        } else {
            const TopWindow* w = grid_ ? grid_->WindowAt(p.x(), p.y()) : nullptr;
            windowRect_ = w ? w->frame : Rect{};
            window_ = w ? w->id : 0;
        }
        dragging_ = false;
        break;
    }
    }
    accept();
}

void SelectionOverlay::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) accept();
}

void SelectionOverlay::keyPressEvent(QKeyEvent* event) {
    int dx = 0, dy = 0;
    switch (event->key()) {
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Escape: reject(); return;
    default: return;  // every other key is swallowed
    }
    cursorX_ += dx;
    cursorY_ += dy;
    // The pointer warp comes back as an ordinary motion event.
    QCursor::setPos(screenOrigin_ + QPoint(cursorX_, cursorY_));
}

bool SelectionOverlay::event(QEvent* event) {
    // Keys go straight to keyPressEvent: no focus chain, no shortcuts, no default button.
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::WindowActivate) FollowActivation();
    // The new active window is known once the deactivation has been handled.
    if (event->type() == QEvent::WindowDeactivate) QTimer::singleShot(0, this, &SelectionOverlay::FollowActivation);
    return QDialog::event(event);
}

}  // namespace clipvane
