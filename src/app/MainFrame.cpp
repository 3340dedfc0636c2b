#include "app/MainFrame.h"

namespace cv {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Clipvane"));
    resize(1024, 720);
}

}  // namespace cv
