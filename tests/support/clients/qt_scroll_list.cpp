// A Qt client for the scrolling capture's end-to-end tests: a window with a
// scroll area holding ROWS numbered rows of 20 pixels, each filled with a
// colour that encodes its number (red = n % 256, green = (n / 256) * 16 + 8,
// blue = 0xA5) and labelled "Row n". Prints its window id once shown.
//   qt_scroll_list ROWS WIDTHxHEIGHT+X+Y
#include <QApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollArea>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kRowHeight = 20;

class Rows : public QWidget {
public:
    explicit Rows(int count) : count_(count) { setFixedSize(400, count * kRowHeight); }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        const int first = event->rect().top() / kRowHeight;
        const int last = std::min(count_ - 1, event->rect().bottom() / kRowHeight);
        for (int n = first; n <= last; ++n) {
            const QRect row(0, n * kRowHeight, width(), kRowHeight);
            p.fillRect(row, QColor(n % 256, (n / 256) * 16 + 8, 0xA5));
            p.setPen(Qt::white);
            p.drawText(row.adjusted(40, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Row %1").arg(n));
        }
    }

private:
    int count_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int rows = 0, w = 0, h = 0, x = 0, y = 0;
    if (argc < 3 || std::sscanf(argv[1], "%d", &rows) != 1 || rows <= 0 || rows > 4000 ||
        std::sscanf(argv[2], "%dx%d+%d+%d", &w, &h, &x, &y) != 4) {
        std::fprintf(stderr, "usage: qt_scroll_list ROWS WxH+X+Y\n");
        return 2;
    }
    QScrollArea area;
    area.setWindowTitle(QStringLiteral("scroll list"));
    area.setWidget(new Rows(rows));
    area.setGeometry(x, y, w, h);
    area.show();
    QTimer::singleShot(300, [&area] {
        std::printf("%llu\n", static_cast<unsigned long long>(area.winId()));
        std::fflush(stdout);
    });
    return app.exec();
}
