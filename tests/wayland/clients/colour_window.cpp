// A native Wayland client for the Wayland tests: a borderless window of one
// colour (RRGGBB, first argument; 200 x 150 by default, or WIDTHxHEIGHT as the
// second argument) with the app id the test session's sway places at
// (300, 200). Prints "ready" once its first frame is on the screen.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

#include <cstdio>

namespace {

class ColourWindow : public QRasterWindow {
public:
    explicit ColourWindow(QColor colour) : colour_(colour) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(0, 0), size()), colour_);
        if (!announced_) {
            announced_ = true;
            // The compositor shows the frame on its next repaint.
            QTimer::singleShot(300, [] {
                std::puts("ready");
                std::fflush(stdout);
            });
        }
    }

private:
    QColor colour_;
    bool announced_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication::setDesktopFileName(QStringLiteral("clipvane-test-colour"));
    QGuiApplication app(argc, argv);
    const QString colour = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("ff8000");
    QSize size(200, 150);
    if (argc > 2) {
        const QStringList wh = QString::fromLatin1(argv[2]).split(QLatin1Char('x'));
        if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
    }
    ColourWindow window(QColor(QLatin1Char('#') + colour));
    window.setTitle(QStringLiteral("clipvane test colour"));
    window.resize(size);
    window.show();
    return app.exec();
}
