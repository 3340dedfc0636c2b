// A native Wayland client for the Wayland tests: a borderless window of one
// colour (RRGGBB, first argument; 200 x 150 by default, or WIDTHxHEIGHT as the
// second argument) with the app id the test session's sway places at
// (300, 200). With "busy" as the first argument it shows instead, full
// screen, a picture with as much detail as a desktop full of windows and text
// (coloured blocks, gradients and fine noise), for the benchmarks. Prints
// "ready" once its first frame is on the screen.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

#include <cstdio>

namespace {

class ColourWindow : public QRasterWindow {
public:
    explicit ColourWindow(QColor colour, bool busy) : colour_(colour), busy_(busy) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (busy_) {
            QPainter(this).drawImage(0, 0, BusyPicture(size()));
        } else {
            QPainter(this).fillRect(QRect(QPoint(0, 0), size()), colour_);
        }
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
    static QImage BusyPicture(QSize size) {
        QImage image(size, QImage::Format_RGB32);
        uint32_t seed = 12345;
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1103515245u + 12345u;
                const uint32_t block = uint32_t((x / 24) * 7919 + (y / 18) * 104729) * 2654435761u;
                const uint32_t noise = (seed >> 16) & 0x0F;
                const bool flat = (block >> 28) < 9;  // most blocks flat, as windows are
                const uint32_t r = flat ? (block >> 8) & 0xFF : (x * 255 / image.width()) ^ noise;
                const uint32_t g = flat ? (block >> 16) & 0xFF : (y * 255 / image.height()) ^ noise;
                const uint32_t b = flat ? (block >> 24) : 128 ^ (noise << 2);
                row[x] = 0xFF000000u | r << 16 | g << 8 | b;
            }
        }
        return image;
    }

    QColor colour_;
    bool busy_;
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
    const bool busy = colour == QLatin1String("busy");
    ColourWindow window(busy ? QColor(Qt::black) : QColor(QLatin1Char('#') + colour), busy);
    window.setTitle(QStringLiteral("clipvane test colour"));
    window.resize(size);
    if (busy) {
        window.showFullScreen();
    } else {
        window.show();
    }
    return app.exec();
}
