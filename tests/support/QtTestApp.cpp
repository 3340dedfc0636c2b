// The main of the Qt test programs. Built twice: with CLIPVANE_TEST_WIDGETS
// for the widget layers (a QApplication), without it for the QtGui-only
// layers (a QGuiApplication: text rendering needs fonts, and fonts need an
// application object).
#include <gmock/gmock.h>

#ifdef CLIPVANE_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    // CTest lists the cases before each run: no application object needed.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
