#pragma once
// The visible mark of a window highlighted by remote control: a black frame
// three pixels wide around the window, above every other window, that lets
// clicks through everywhere but on the frame itself.
#include <QWidget>

namespace clipvane {

class HighlightFrame : public QWidget {
    Q_OBJECT
public:
    HighlightFrame();
    // `frame` in screen coordinates; the mark is drawn just outside it, so a
    // grab of the window never contains it.
    void ShowAround(const QRect& frame);
};

}  // namespace clipvane
