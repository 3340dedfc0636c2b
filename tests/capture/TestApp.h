#pragma once
#include <QApplication>

namespace cvtest {

// One QApplication for the whole test program (offscreen platform).
inline QApplication* EnsureApp() {
    static int argc = 1;
    static char name[] = "test_capture";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    return qApp;
}

}  // namespace cvtest
