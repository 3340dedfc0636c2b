// The capture driver with a fake desktop and host: delivery by view mode,
// numbered files and the counter, waits, restore rules, the overlay modes,
// remote control and the command queue.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QLineEdit>
#include <QSpinBox>
#include <QDialog>
#include <QMouseEvent>
#include <QTimer>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "FakeDesktop.h"
#include "capture/CaptureDriver.h"
#include "capture/SelectionOverlay.h"
#include "capture/CaptureSettingsDialog.h"
#include "imagefile/ImageFile.h"
#include "support/PixelChecks.h"

namespace {

namespace fs = std::filesystem;
using namespace clipvane;
using clipvane::test::FakeHost;
using clipvane::test::FakePlatform;

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("cv_driver_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        auto platform = std::make_unique<FakePlatform>();
        fake_ = platform.get();
        driver_ = std::make_unique<CaptureDriver>(host_, std::move(platform));
        driver_->LoadSettings(QString::fromStdString((dir_ / "config.ini").string()));
        driver_->SetWaitFunction([this](int ms) { waits_.push_back(ms); });
        Settings().imageSavePath = (dir_ / "shots").string();
    }
    void TearDown() override {
        driver_.reset();
        fs::remove_all(dir_);
    }
    CaptureSettings& Settings() { return driver_->Settings(); }

    FakeHost host_;
    FakePlatform* fake_ = nullptr;
    std::unique_ptr<CaptureDriver> driver_;
    std::vector<int> waits_;
    fs::path dir_;
};

TEST_F(DriverTest, FullScreenDeliversTheWholeScreenToANewDocument) {
    Settings().capDelayTime = 0;  // raised to the 800 ms floor
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_EQ(waits_, std::vector<int>{800});
    ASSERT_EQ(host_.delivered.size(), 1u);
    const PixelImage& img = host_.delivered[0];
    EXPECT_EQ(img.Width(), 320);
    EXPECT_EQ(img.Height(), 240);
    EXPECT_EQ(img.Depth(), 24);
    EXPECT_EQ(test::Rgb(img, 17, 33), FakePlatform::PixelAt(17, 33));
    EXPECT_EQ(host_.events, QStringList{"new"});
    Settings().capDelayTime = 1500;
    driver_->CaptureFullScreen();
    EXPECT_EQ(waits_.back(), 1500);
}

TEST_F(DriverTest, ReplaceModeUsesTheActiveDocumentOrCreatesOne) {
    Settings().capAppViewMode = kViewReplace;
    // No document yet: a new one receives it and records the undo step as well.
    ASSERT_TRUE(driver_->CaptureFullScreen());
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_EQ(host_.events, (QStringList{"new+undo", "replace"}));
}

TEST_F(DriverTest, ViewModeTwoSkipsTheEditorButStillSavesTheFile) {
    Settings().capAppViewMode = kViewNone;
    Settings().isAutoSave = true;
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_TRUE(host_.delivered.empty());
    EXPECT_TRUE(host_.events.isEmpty());  // no document, so no path either
    EXPECT_TRUE(fs::exists(dir_ / "shots" / "Snap1.bmp"));
}

TEST_F(DriverTest, NumberedFilesAdvanceTheCounterAndNameTheDocument) {
    Settings().isAutoSave = true;
    Settings().imageSaveTitle = "Title";
    Settings().imageFormat = kFormatBmp;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(driver_->CaptureFullScreen());
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(fs::exists(dir_ / "shots" / ("Title" + std::to_string(n) + ".bmp")));
    EXPECT_EQ(Settings().startNum, 4);
    EXPECT_TRUE(host_.events.contains(QString::fromStdString("path:" + (dir_ / "shots" / "Title3.bmp").string())));
    // The counter is in the file already, before any close.
    EXPECT_EQ(driver_->Profile().GetInt("AudoSaveSet", "StartNum", 0), 4);
    PixelImage back;
    ASSERT_TRUE(LoadFromFile((dir_ / "shots" / "Title2.bmp").string(), back));
    EXPECT_EQ(back.Width(), 320);
    EXPECT_EQ(back.GetPixel(5, 6) & 0xFFFFFF, FakePlatform::PixelAt(5, 6));
}

TEST_F(DriverTest, AFailedSaveIsReportedAndStillUsesTheNumber) {
    Settings().isAutoSave = true;
    Settings().imageSavePath = (dir_ / "blocker" / "inside").string();
    std::ofstream(dir_ / "blocker") << "a file where the folder should be";
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_EQ(Settings().startNum, 2);
    ASSERT_EQ(host_.messages.size(), 1);
    EXPECT_TRUE(host_.messages[0].contains(QStringLiteral("Snap1.bmp"))) << host_.messages[0].toStdString();
    EXPECT_FALSE(host_.events.join(' ').contains(QStringLiteral("path:")));
}

TEST_F(DriverTest, AFormatOutsideTheListWritesAFileWithoutExtension) {
    Settings().isAutoSave = true;
    Settings().imageFormat = 5;
    driver_->CaptureFullScreen();
    EXPECT_EQ(Settings().startNum, 2);
    // No extension, no writer: the failure is reported, the number used up.
    EXPECT_EQ(host_.messages.size(), 1);
    EXPECT_FALSE(fs::exists(dir_ / "shots" / "Snap1"));
}

TEST_F(DriverTest, AFailedGrabIsReportedNotDelivered) {
    fake_->failGrabs = true;
    EXPECT_FALSE(driver_->CaptureFullScreen());
    EXPECT_TRUE(host_.delivered.empty());
    EXPECT_EQ(host_.messages.size(), 1);
    fake_->windows = {TopWindow{5, Rect{10, 10, 60, 60}}};
    fake_->active = 5;
    EXPECT_FALSE(driver_->CaptureActiveWindow());
    EXPECT_TRUE(host_.delivered.empty());
    EXPECT_EQ(host_.messages.size(), 2);
}

TEST_F(DriverTest, ActiveWindowWaitsOneSecondAndClipsToTheScreen) {
    fake_->windows = {TopWindow{5, Rect{-4, -4, 324, 100}}};  // a maximised frame past the edges
    fake_->active = 5;
    Settings().capDelayTime = 3000;  // not used here
    ASSERT_TRUE(driver_->CaptureActiveWindow());
    EXPECT_EQ(waits_, std::vector<int>{1000});
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 320);
    EXPECT_EQ(host_.delivered[0].Height(), 100);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 0, 0), FakePlatform::PixelAt(0, 0));
}

TEST_F(DriverTest, ActiveWindowWithoutAWindowIsAbandoned) {
    fake_->active = 0;
    EXPECT_FALSE(driver_->CaptureActiveWindow());
    fake_->windows = {TopWindow{5, Rect{400, 300, 500, 400}}};  // wholly off screen
    fake_->active = 5;
    EXPECT_FALSE(driver_->CaptureActiveWindow());
    EXPECT_TRUE(host_.delivered.empty());
}

TEST_F(DriverTest, MainWindowHiddenAndRestoredAsTheSettingsSay) {
    QWidget main;
    host_.window = &main;
    main.show();
    Settings().hideWindowBeforeCapture = true;
    Settings().restoreWindowAfterCapture = true;
    bool visibleDuringWait = true;
    driver_->SetWaitFunction([&](int) { visibleDuringWait = main.isVisible(); });
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_FALSE(visibleDuringWait);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(main.isMinimized());

    Settings().restoreWindowAfterCapture = false;
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_TRUE(main.isMinimized());

    // Active window without restoring: left hidden.
    main.showNormal();
    fake_->windows = {TopWindow{5, Rect{0, 0, 50, 50}}};
    fake_->active = 5;
    ASSERT_TRUE(driver_->CaptureActiveWindow());
    EXPECT_FALSE(main.isVisible());

    // With hiding off the main window stays up during the wait.
    main.showNormal();
    Settings().hideWindowBeforeCapture = false;
    ASSERT_TRUE(driver_->CaptureFullScreen());
    EXPECT_TRUE(visibleDuringWait);
}

// Runs the overlay with a scripted sequence of mouse and key events.
struct Step {
    QEvent::Type type;
    Qt::MouseButton button;
    QPoint at;
};

int Drive(SelectionOverlay& dialog, const std::vector<Step>& steps) {
    dialog.FreezeScreen();
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        for (const Step& s : steps) {
            if (s.type == QEvent::KeyPress) {
                QKeyEvent key(QEvent::KeyPress, s.button, Qt::NoModifier);
                QCoreApplication::sendEvent(&dialog, &key);
                continue;
            }
            const bool move = s.type == QEvent::MouseMove;
            const Qt::MouseButtons held =
                s.type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(s.button);
            QMouseEvent ev(s.type, QPointF(s.at), QPointF(s.at), move ? Qt::NoButton : s.button, held, Qt::NoModifier);
            QCoreApplication::sendEvent(&dialog, &ev);
            if (!dialog.isVisible()) return;
        }
    });
    return dialog.exec();
}

TEST_F(DriverTest, RegionDragFromBottomRightToTopLeft) {
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseMove, Qt::NoButton, {200, 150}},
                         {QEvent::MouseButtonPress, Qt::LeftButton, {200, 150}},
                         {QEvent::MouseMove, Qt::LeftButton, {120, 100}},
                         {QEvent::MouseMove, Qt::LeftButton, {100, 90}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {100, 90}}});
    });
    ASSERT_TRUE(driver_->CaptureRegion());
    ASSERT_EQ(host_.delivered.size(), 1u);
    const PixelImage& img = host_.delivered[0];
    EXPECT_EQ(img.Width(), 100);
    EXPECT_EQ(img.Height(), 60);
    EXPECT_EQ(test::Rgb(img, 0, 0), FakePlatform::PixelAt(100, 90));
    EXPECT_EQ(test::Rgb(img, 99, 59), FakePlatform::PixelAt(199, 149));
}

TEST_F(DriverTest, RegionClickWithoutDragAndRightClickAreAbandoned) {
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {50, 50}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {50, 50}}});
    });
    EXPECT_FALSE(driver_->CaptureRegion());
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {10, 10}},
                         {QEvent::MouseMove, Qt::LeftButton, {90, 90}},
                         {QEvent::MouseButtonPress, Qt::RightButton, {90, 90}}});
    });
    EXPECT_FALSE(driver_->CaptureRegion());
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {10, 10}},
                         {QEvent::MouseMove, Qt::LeftButton, {90, 90}},
                         {QEvent::KeyPress, Qt::MouseButton(Qt::Key_Escape), {}}});
    });
    EXPECT_FALSE(driver_->CaptureRegion());
    EXPECT_TRUE(host_.delivered.empty());
}

TEST_F(DriverTest, FixedRectangleNearTheCornerIsClamped) {
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseMove, Qt::NoButton, {10, 10}},
                         {QEvent::MouseButtonPress, Qt::LeftButton, {10, 10}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10}}});
    });
    ASSERT_TRUE(driver_->CaptureFixedRect());
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 60);
    EXPECT_EQ(host_.delivered[0].Height(), 60);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 0, 0), FakePlatform::PixelAt(0, 0));
}

TEST_F(DriverTest, FixedRectangleClickedWithoutMovingIsTakenAtThePointer) {
    QCursor::setPos(100, 80);
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {100, 80}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {100, 80}}});
    });
    ASSERT_TRUE(driver_->CaptureFixedRect());
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 100);
    EXPECT_EQ(host_.delivered[0].Height(), 100);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 0, 0), FakePlatform::PixelAt(50, 30));
}

TEST_F(DriverTest, ConfirmedSettingsKeepTheTitleAsTypedAndExpandTheHomeFolder) {
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<CaptureSettingsDialog*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            dialog->SavePage()->title->setText(QString());
            dialog->SavePage()->path->setText(QStringLiteral("~/shots"));
            dialog->BasicPage()->delay->setValue(10);
            dialog->accept();
        }
    });
    driver_->EditSettings(nullptr);
    EXPECT_EQ(Settings().imageSaveTitle, "");
    EXPECT_EQ(Settings().imageSavePath, std::string(std::getenv("HOME")) + "/shots");
    EXPECT_EQ(Settings().capDelayTime, 800);
    EXPECT_EQ(driver_->Profile().GetString("AudoSaveSet", "ImageSavePath"), "~/shots");
    EXPECT_EQ(driver_->Profile().GetInt("CaptureSet", "CapDelayTime", 0), 10);
}

TEST_F(DriverTest, WindowObjectPicksTheWindowUnderTheCursorUnclipped) {
    fake_->windows = {TopWindow{7, Rect{250, 200, 400, 300}}, TopWindow{8, Rect{0, 0, 200, 200}}};
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseMove, Qt::NoButton, {260, 210}},
                         {QEvent::MouseButtonPress, Qt::LeftButton, {260, 210}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {260, 210}}});
    });
    ASSERT_TRUE(driver_->CaptureWindowObject());
    EXPECT_TRUE(waits_.empty());
    ASSERT_EQ(host_.delivered.size(), 1u);
    const PixelImage& img = host_.delivered[0];
    EXPECT_EQ(img.Width(), 150);  // the full window, black past the screen edge
    EXPECT_EQ(img.Height(), 100);
    EXPECT_EQ(test::Rgb(img, 0, 0), FakePlatform::PixelAt(250, 200));
    EXPECT_EQ(test::Rgb(img, 149, 99), 0u);

    driver_->SetOverlayRunner([](SelectionOverlay& d) {  // nothing under the cursor
        return Drive(d, {{QEvent::MouseButtonRelease, Qt::LeftButton, {300, 100}}});
    });
    EXPECT_FALSE(driver_->CaptureWindowObject());
}

// A page shown in the window at (20, 10)-(140, 210): every row differs.
PixelImage ScrollPage(int height) {
    PixelImage page;
    EXPECT_TRUE(page.Create(120, height, 24));
    uint32_t seed = 3;
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < 360; ++i) page.Row(y)[i] = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
    return page;
}

TEST_F(DriverTest, ScrollingPicksAWindowAndDeliversTheWholePage) {
    fake_->page = ScrollPage(700);
    fake_->scrollArea = Rect{20, 10, 140, 210};
    fake_->windows = {TopWindow{9, fake_->scrollArea}};
    Settings().isAutoSave = true;
    Settings().imageFormat = kFormatPng;
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseMove, Qt::NoButton, {60, 60}},
                         {QEvent::MouseButtonPress, Qt::LeftButton, {60, 60}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {60, 60}}});
    });
    ASSERT_TRUE(driver_->Run(CaptureMode::Scrolling));
    EXPECT_EQ(driver_->LastScrollEnd(), ScrollEnd::EndOfPage);
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_TRUE(test::SamePixels(host_.delivered[0], fake_->page));
    EXPECT_TRUE(host_.messages.isEmpty()) << host_.messages.join('\n').toStdString();
    // Delivered like every capture: a new document, and the numbered file.
    EXPECT_EQ(host_.events.first(), QStringLiteral("new"));
    PixelImage saved;
    ASSERT_TRUE(LoadFromFile((dir_ / "shots" / "Snap1.png").string(), saved));
    EXPECT_TRUE(test::SamePixels(saved, fake_->page));
}

TEST_F(DriverTest, ScrollingDragsThePartThatScrolls) {
    fake_->page = ScrollPage(500);
    fake_->scrollArea = Rect{20, 10, 140, 210};
    fake_->windows = {TopWindow{9, Rect{0, 0, 300, 230}}};
    // Columns 10 to 89 of the area, all its rows.
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {30, 10}},
                         {QEvent::MouseMove, Qt::LeftButton, {70, 100}},
                         {QEvent::MouseMove, Qt::LeftButton, {110, 210}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {110, 210}}});
    });
    ASSERT_TRUE(driver_->Run(CaptureMode::Scrolling));
    ASSERT_EQ(host_.delivered.size(), 1u);
    const PixelImage& img = host_.delivered[0];
    ASSERT_EQ(img.Width(), 80);
    ASSERT_EQ(img.Height(), 500);
    for (int y = 0; y < 500; ++y) ASSERT_EQ(std::memcmp(img.Row(y), fake_->page.Row(y) + 30, 240), 0) << "row " << y;
}

TEST_F(DriverTest, ScrollingSmallWindowIsCapturedAsAWindowAndCancelGivesNothing) {
    fake_->page = ScrollPage(500);
    fake_->scrollArea = Rect{20, 10, 140, 210};
    fake_->windows = {TopWindow{4, Rect{200, 100, 300, 160}}, TopWindow{9, fake_->scrollArea}};
    driver_->SetOverlayRunner([](SelectionOverlay& d) {  // 100 x 60: too low to scroll
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {250, 130}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {250, 130}}});
    });
    ASSERT_TRUE(driver_->Run(CaptureMode::Scrolling));
    EXPECT_EQ(fake_->wheelNotches, 0);
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 100);
    EXPECT_EQ(host_.delivered[0].Height(), 60);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 0, 0), FakePlatform::PixelAt(200, 100));

    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {60, 60}},
                         {QEvent::MouseButtonPress, Qt::RightButton, {60, 60}}});
    });
    EXPECT_FALSE(driver_->Run(CaptureMode::Scrolling));
    EXPECT_EQ(fake_->wheelNotches, 0);
    EXPECT_EQ(host_.delivered.size(), 1u);
    EXPECT_TRUE(host_.messages.isEmpty());
}

TEST_F(DriverTest, ScrollingThatCannotJoinDeliversThePartAndSaysSo) {
    fake_->page = ScrollPage(700);
    for (int y = 300; y < 700; ++y) std::memcpy(fake_->page.Row(y), fake_->page.Row(300 + y % 6), 360);
    fake_->scrollArea = Rect{20, 10, 140, 210};
    fake_->windows = {TopWindow{9, fake_->scrollArea}};
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonPress, Qt::LeftButton, {60, 60}},
                         {QEvent::MouseButtonRelease, Qt::LeftButton, {60, 60}}});
    });
    ASSERT_TRUE(driver_->Run(CaptureMode::Scrolling));
    ASSERT_EQ(host_.delivered.size(), 1u);
    const PixelImage& img = host_.delivered[0];
    EXPECT_GE(img.Height(), 300);
    for (int y = 0; y < img.Height(); ++y) ASSERT_EQ(std::memcmp(img.Row(y), fake_->page.Row(y), 360), 0);
    ASSERT_EQ(host_.messages.size(), 1);
    EXPECT_TRUE(host_.messages[0].contains(QStringLiteral("part captured so far was kept")))
        << host_.messages[0].toStdString();
}

TEST_F(DriverTest, ClipboardCopyFollowsTheSetting) {
    Settings().copyToClipboard = true;
    ASSERT_TRUE(driver_->CaptureFullScreen());
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    const QByteArray bmp = data->data(QStringLiteral("image/bmp"));
    ASSERT_EQ(bmp.size(), 14 + 40 + 320 * 3 * 240);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    // Rows bottom-up: the first stored row is the screen's last.
    const auto* firstRow = reinterpret_cast<const uint8_t*>(bmp.constData()) + 54;
    const uint32_t p = FakePlatform::PixelAt(0, 239);
    EXPECT_EQ(firstRow[0], uint8_t(p));
    EXPECT_EQ(firstRow[2], uint8_t(p >> 16));
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), QSize(320, 240));
    EXPECT_EQ(image.pixel(17, 33) & 0xFFFFFF, FakePlatform::PixelAt(17, 33));
}

TEST_F(DriverTest, QueuedCommandsRunInOrderAfterTheRunningCapture) {
    std::vector<int> order;
    QObject::connect(driver_.get(), &CaptureDriver::captureFinished, [&](int mode, bool) { order.push_back(mode); });
    fake_->windows = {TopWindow{5, Rect{0, 0, 50, 50}}};
    fake_->active = 5;
    // Each wait lets the event loop run, as the real wait does, and asks for more.
    driver_->SetOverlayRunner([](SelectionOverlay&) { return int(QDialog::Rejected); });
    bool asked = false;
    driver_->SetWaitFunction([&](int) {
        if (!asked) {
            asked = true;
            driver_->RemoteCapture(3);
            driver_->RemoteCapture(5);  // does nothing
            driver_->Request(CaptureMode::Scrolling);
            EXPECT_TRUE(driver_->Busy());
        }
        QCoreApplication::processEvents();
    });
    driver_->Request(CaptureMode::FullScreen);
    EXPECT_TRUE(order.empty());  // nothing runs inside the caller
    for (int i = 0; i < 20 && order.size() < 3; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int>{int(CaptureMode::FullScreen), int(CaptureMode::ActiveWindow),
                                       int(CaptureMode::Scrolling)}));
}

TEST_F(DriverTest, RequestsWhileTheOverlayIsOpenAreRefusedNotQueued) {
    std::vector<int> order;
    QObject::connect(driver_.get(), &CaptureDriver::captureFinished, [&](int mode, bool) { order.push_back(mode); });
    bool refused = false;
    driver_->SetOverlayRunner([&](SelectionOverlay&) {
        EXPECT_FALSE(driver_->BusyReason().isEmpty());
        // A hotkey pressed again, a script's D-Bus call.
        refused = !driver_->Request(CaptureMode::FullScreen);
        driver_->RemoteCapture(2);
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        EXPECT_EQ(driver_->Pending(), 0);
        return int(QDialog::Rejected);
    });
    ASSERT_TRUE(driver_->Request(CaptureMode::Region));
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(refused);
    EXPECT_EQ(order, std::vector<int>{int(CaptureMode::Region)});
    ASSERT_EQ(host_.messages.size(), 2);
    EXPECT_TRUE(host_.messages[0].contains(QStringLiteral("in progress"))) << host_.messages[0].toStdString();
    // Once the overlay has closed, requests are taken again.
    EXPECT_TRUE(driver_->BusyReason().isEmpty());
    EXPECT_TRUE(driver_->Request(CaptureMode::FullScreen));
}

TEST_F(DriverTest, RemoteWindowCaptureAndHighlightIgnoreBadWindows) {
    fake_->windows = {TopWindow{0x400001, Rect{10, 20, 110, 70}}};
    int finished = 0;
    QObject::connect(driver_.get(), &CaptureDriver::captureFinished, [&](int, bool) { ++finished; });
    driver_->Highlight(0xdead);
    driver_->CaptureWindow(1, 0xdead);
    driver_->CaptureWindow(0, 0x400001);  // only removes the highlight
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(finished, 0);
    EXPECT_TRUE(host_.delivered.empty());

    driver_->Highlight(0x400001);
    QCoreApplication::processEvents();
    EXPECT_EQ(driver_->HighlightedWindow(), 0x400001u);
    driver_->CaptureWindow(1, 0x400001);
    for (int i = 0; i < 5 && !finished; ++i) QCoreApplication::processEvents();
    ASSERT_EQ(host_.delivered.size(), 1u);
    EXPECT_EQ(host_.delivered[0].Width(), 100);
    EXPECT_EQ(host_.delivered[0].Height(), 50);
    EXPECT_EQ(test::Rgb(host_.delivered[0], 0, 0), FakePlatform::PixelAt(10, 20));
    EXPECT_EQ(std::count(waits_.begin(), waits_.end(), 200), 1);
}

TEST_F(DriverTest, TheWindowBelowTheMainWindowComesToTheTopAndTheMainWindowIsNeverPicked) {
    QWidget main;
    host_.window = &main;
    main.show();
    const WindowId mainId = WindowId(main.effectiveWinId());
    // The window manager still lists the main window after it was hidden.
    fake_->windows = {TopWindow{mainId, Rect{0, 0, 320, 240}}, TopWindow{42, Rect{10, 10, 100, 100}},
                      TopWindow{43, Rect{0, 0, 320, 240}}};
    fake_->active = 42;
    Settings().hideWindowBeforeCapture = true;
    ASSERT_TRUE(driver_->CaptureActiveWindow());
    EXPECT_EQ(fake_->activated, std::vector<WindowId>{42});
    EXPECT_EQ(host_.delivered.back().Width(), 90);

    main.show();
    fake_->activated.clear();
    driver_->SetOverlayRunner([](SelectionOverlay& d) {
        return Drive(d, {{QEvent::MouseButtonRelease, Qt::LeftButton, {200, 200}}});
    });
    ASSERT_TRUE(driver_->CaptureWindowObject());
    EXPECT_EQ(fake_->activated, std::vector<WindowId>{42});
    EXPECT_EQ(host_.delivered.back().Width(), 320);  // window 43 under the main window's place, not the main window
}

TEST(CaptureModeNames, CommandLineNames) {
    CaptureMode m{};
    ASSERT_TRUE(CaptureModeFromName(QStringLiteral("fixed"), &m));
    EXPECT_EQ(m, CaptureMode::FixedRect);
    ASSERT_TRUE(CaptureModeFromName(QStringLiteral("window"), &m));
    EXPECT_EQ(m, CaptureMode::WindowObject);
    EXPECT_FALSE(CaptureModeFromName(QStringLiteral("Full"), &m));
}

// A desktop that keeps windows from programs (Wayland): the window modes
// say so once each, suggest a region, and neither hide the main window, wait,
// grab nor deliver; the other modes still work.
TEST_F(DriverTest, WindowModesExplainThemselvesWhereWindowsAreUnknown) {
    fake_->knowsWindows = false;
    fake_->windows = {TopWindow{0x400001, Rect{10, 20, 110, 70}}};
    fake_->active = 0x400001;
    QWidget main;
    main.show();
    host_.window = &main;
    Settings().hideWindowBeforeCapture = true;
    for (CaptureMode mode : {CaptureMode::WindowObject, CaptureMode::ActiveWindow, CaptureMode::Scrolling}) {
        host_.messages.clear();
        EXPECT_FALSE(driver_->Run(mode));
        ASSERT_EQ(host_.messages.size(), 1) << int(mode);
        EXPECT_TRUE(host_.messages[0].contains(QStringLiteral("not possible on this desktop")));
        EXPECT_TRUE(host_.messages[0].contains(QStringLiteral("Rectangle Region")));
        EXPECT_FALSE(driver_->UnavailableReason(mode).isEmpty());
    }
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(waits_.empty());
    EXPECT_TRUE(fake_->grabs.empty());
    EXPECT_TRUE(fake_->activated.empty());
    EXPECT_TRUE(host_.delivered.empty());

    // Remote marking and capture by window id: one message each, nothing queued.
    host_.messages.clear();
    driver_->Highlight(0x400001);
    driver_->CaptureWindow(1, 0x400001);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(host_.messages.size(), 2);
    EXPECT_EQ(driver_->HighlightedWindow(), 0u);
    EXPECT_TRUE(host_.delivered.empty());
    EXPECT_EQ(driver_->Pending(), 0);

    EXPECT_TRUE(driver_->UnavailableReason(CaptureMode::FullScreen).isEmpty());
    EXPECT_TRUE(driver_->UnavailableReason(CaptureMode::Region).isEmpty());
    EXPECT_TRUE(driver_->Run(CaptureMode::FullScreen));
    EXPECT_EQ(host_.delivered.size(), 1u);
}

}  // namespace
