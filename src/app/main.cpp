#include <QApplication>

#include <cstdio>
#include <string>

#include "app/DisplayCheck.h"
#include "app/MainFrame.h"

int main(int argc, char** argv) {
    std::string why;
    if (!cv::DisplayAvailable(&why)) {
        std::fprintf(stderr, "clipvane: %s. Clipvane needs an X11 desktop session.\n", why.c_str());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Clipvane"));
    cv::CMainFrame frame;
    frame.show();
    return app.exec();
}
