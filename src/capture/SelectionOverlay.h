#pragma once
// The selection overlay: a borderless window over the primary screen showing
// a frozen copy of it, on which the user drags a rectangle (Region), picks a
// window (WindowObject) or places a fixed-size rectangle (FixedRect). It
// takes the keyboard and mouse while open. Accepted when the left button is
// released or on a double click; rejected by a right click or Esc.
#include <QDialog>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>

#include <vector>

#include "capture/OverlayGeometry.h"
#include "image/PixelImage.h"

namespace clipvane {

class ScreenPlatform;

class SelectionOverlay : public QDialog {
    Q_OBJECT
public:
    SelectionOverlay(OverlayMode mode, ScreenPlatform& platform, QWidget* parent = nullptr);

    void SetFixedRectSize(int w, int h) { fixedW_ = w, fixedH_ = h; }
    void SetWindowGrid(const WindowGrid* grid) { grid_ = grid; }
    // WindowObject mode: a drag of a few pixels or more picks the dragged
    // rectangle instead of a window (WindowRect() is then that rectangle and
    // Window() is 0). The scrolling capture uses it for a part of a window.
    void SetDragAllowed(bool allowed) { dragAllowed_ = allowed; }

    // Takes the frozen screen; exec() does it when it has not been done.
    bool FreezeScreen();
    int exec() override;

    // Results, in screen coordinates (the overlay's own).
    Rect DragRect() const { return dragRect_; }
    Rect FixedRectResult() const { return fixedRect_; }
    Rect WindowRect() const { return windowRect_; }
    WindowId Window() const { return window_; }
    const PixelImage& FrozenScreen() const { return frozen_; }

    // State the tests look at.
    OverlayMode Mode() const { return mode_; }
    bool BoxBottomRight() const { return boxBottomRight_; }
    QPoint CursorPosition() const { return QPoint(cursorX_, cursorY_); }
    const PixelImage& Magnifier() const { return magnifier_; }
    // The help text's font (a point size, so it follows the font DPI); the
    // box and its lines are sized from the font's metrics.
    void SetInfoFont(const QFont& font);
    const QFont& InfoFont() const { return infoFont_; }
    // One line of the help box: where it is drawn (relative to the box's
    // top-left), what, and whether it may wrap inside its rectangle.
    struct HelpLine {
        QRect rect;
        QString text;
        bool wrap = true;
    };
    std::vector<HelpLine> HelpLines() const;
    QSize BoxSize() const { return boxSize_; }
    // Milliseconds from exec() to the end of the first paint, -1 before it.
    qint64 FirstPaintMs() const { return firstPaintMs_; }
    // True while another window of the program is active over the overlay
    // (a message box): the keyboard and pointer are left to it meanwhile.
    bool YieldsInput() const { return yieldsInput_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void MoveTo(int x, int y);
    // WindowObject mode with dragging allowed: the pointer went far enough from the press.
    bool DraggedFar() const;
    QRegion Decorations() const;
    void PaintRectModes(QPainter& p);
    void PaintWindowMode(QPainter& p);
    void TakeInput();
    // Gives the grabs up while another window of the program is active, and
    // takes them again when the overlay is active once more.
    void FollowActivation();
    // Sizes the box and places its lines for the font and the screen.
    void LayoutHelp();
    QString MouseText() const;
    Rect BoxRect() const;

    OverlayMode mode_;
    ScreenPlatform& platform_;
    const WindowGrid* grid_ = nullptr;
    int fixedW_ = 80, fixedH_ = 80;
    int screenW_ = 0, screenH_ = 0;
    QPoint screenOrigin_;
    PixelImage frozen_;
    QImage frozenImage_;
    PixelImage magnifier_;
    int cursorX_ = 0, cursorY_ = 0;
    QPoint dragStart_, dragCurrent_;
    bool dragging_ = false;
    bool dragAllowed_ = false;
    Rect dragRect_;
    Rect fixedRect_;
    Rect windowRect_;
    WindowId window_ = 0;
    bool boxBottomRight_ = false;
    QFont infoFont_;
    QSize boxSize_;
    std::vector<HelpLine> help_;  // the last line is the mouse position
    QElapsedTimer openTimer_;
    qint64 firstPaintMs_ = -1;
    int inputAttempts_ = 0;
    bool yieldsInput_ = false;
};

}  // namespace clipvane
