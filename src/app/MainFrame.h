#pragma once
#include <QMainWindow>

namespace cv {

// The main window: menus, bars, document tabs and the tray icon hang off it.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
};

}  // namespace cv
