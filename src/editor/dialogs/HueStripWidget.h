#pragma once
// The hue strip of the Color Tone dialog: a press or a drag with the left
// button picks the colour under the pointer.
#include <QImage>
#include <QWidget>
#include <functional>

namespace clipvane {

class HueStripWidget : public QWidget {
    Q_OBJECT
public:
    explicit HueStripWidget(QWidget* parent = nullptr);
    std::function<void(int x)> onPick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage strip_;
};

}  // namespace clipvane
