// The selection overlay itself: the box side as the mouse moves, the
// magnifier and its crosshair, the size label, the cursors of the modes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QThread>
#include <QMouseEvent>
#include <QFontMetrics>
#include <QPixmap>

#include <functional>

#include "FakeDesktop.h"
#include "capture/SelectionOverlay.h"

namespace {

using namespace clipvane;
using clipvane::test::FakePlatform;

class OverlayTest : public ::testing::Test {
protected:
    void SetUp() override { platform_.screen = Rect{0, 0, 1920, 1080}; }
    static void Move(SelectionOverlay& d, int x, int y, Qt::MouseButtons held = Qt::NoButton) {
        QMouseEvent ev(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&d, &ev);
    }
    static void Button(SelectionOverlay& d, QEvent::Type type, Qt::MouseButton b, int x, int y) {
        QMouseEvent ev(type, QPointF(x, y), QPointF(x, y), b,
                       type == QEvent::MouseButtonPress ? Qt::MouseButtons(b) : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&d, &ev);
    }
    static uint32_t Screen(int x, int y) { return FakePlatform::PixelAt(x, y); }
    FakePlatform platform_;
};

TEST_F(OverlayTest, InformationBoxJumpsBetweenCorners) {
    SelectionOverlay d(OverlayMode::Region, platform_);
    d.FreezeScreen();
    EXPECT_FALSE(d.BoxBottomRight());
    Move(d, 10, 10);
    EXPECT_TRUE(d.BoxBottomRight());
    Move(d, 900, 600);
    EXPECT_TRUE(d.BoxBottomRight());
    Move(d, 1800, 1000);
    EXPECT_FALSE(d.BoxBottomRight());
    Move(d, 900, 600);
    EXPECT_FALSE(d.BoxBottomRight());
}

TEST_F(OverlayTest, MagnifierHoldsTheBlockAroundTheCursorBlackOutside) {
    SelectionOverlay d(OverlayMode::FixedRect, platform_);
    d.SetFixedRectSize(100, 100);
    d.FreezeScreen();
    Move(d, 500, 400);
    ASSERT_EQ(d.Magnifier().Width(), 31);
    ASSERT_EQ(d.Magnifier().Height(), 31);
    EXPECT_EQ(test::Rgb(d.Magnifier(), 15, 15), Screen(500, 400));
    EXPECT_EQ(test::Rgb(d.Magnifier(), 0, 30), Screen(485, 415));
    Move(d, 5, 5);
    EXPECT_EQ(test::Rgb(d.Magnifier(), 0, 0), 0u);
    EXPECT_EQ(test::Rgb(d.Magnifier(), 10, 10), Screen(0, 0));
    EXPECT_TRUE(d.DragRect().IsEmpty());  // the fixed mode never drags
    EXPECT_EQ(d.FixedRectResult(), (Rect{0, 0, 55, 55}));
}

TEST_F(OverlayTest, PaintsTheBoxMagnifierAndCrosshairOverTheFrozenScreen) {
    SelectionOverlay d(OverlayMode::Region, platform_);
    d.FreezeScreen();
    Move(d, 900, 600);  // box at the top left
    const QImage shot = d.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1920, 1080));
    auto rgb = [&](int x, int y) { return uint32_t(shot.pixel(x, y) & 0xFFFFFF); };
    EXPECT_EQ(rgb(1000, 900), Screen(1000, 900));  // untouched screen
    EXPECT_EQ(rgb(3, 180), 0x969696u);             // box fill
    EXPECT_EQ(rgb(0, 100), 0x0000FFu);             // box frame
    // The far corner: the box is as large as its text needs, at least 190 x 320.
    EXPECT_GE(d.BoxSize().width(), 190);
    EXPECT_GE(d.BoxSize().height(), 320);
    EXPECT_EQ(rgb(d.BoxSize().width() - 1, d.BoxSize().height() - 1), 0x0000FFu);
    EXPECT_EQ(rgb(15, 100), 0x00FF00u);  // magnifier frame
    // Magnified centre pixel as it is; the middle column above it inverted.
    EXPECT_EQ(rgb(15 + 80, 15 + 80), Screen(900, 600));
    EXPECT_EQ(rgb(15 + 80, 15 + 8), Screen(900, 586) ^ 0xFFFFFFu);
    EXPECT_EQ(rgb(15 + 8, 15 + 30), Screen(886, 590));  // off the crosshair
}

TEST_F(OverlayTest, SelectionIsFramedWithItsSizeLabel) {
    SelectionOverlay d(OverlayMode::Region, platform_);
    d.FreezeScreen();
    Move(d, 700, 500);
    Button(d, QEvent::MouseButtonPress, Qt::LeftButton, 700, 500);
    Move(d, 1000, 700, Qt::LeftButton);
    EXPECT_EQ(d.DragRect(), (Rect{700, 500, 1000, 700}));
    const QImage shot = d.grab().toImage();
    EXPECT_EQ(shot.pixel(700, 600) & 0xFFFFFF, 0u);  // black frame
    EXPECT_EQ(shot.pixel(999, 600) & 0xFFFFFF, 0u);
    EXPECT_EQ(shot.pixel(850, 520) & 0xFFFFFF, Screen(850, 520));
    // The label sits in the middle: some white text on black there (a few
    // rows, since where the glyphs' solid strokes fall depends on the font).
    bool white = false;
    for (int y = 590; y < 610; ++y)
        for (int x = 820; x < 880; ++x) white |= (shot.pixel(x, y) & 0xFFFFFF) == 0xFFFFFFu;
    EXPECT_TRUE(white);
}

TEST_F(OverlayTest, OnlyTheRegionModeShowsTheCross) {
    SelectionOverlay region(OverlayMode::Region, platform_);
    EXPECT_EQ(region.cursor().shape(), Qt::CrossCursor);
    SelectionOverlay window(OverlayMode::WindowObject, platform_);
    EXPECT_FALSE(window.testAttribute(Qt::WA_SetCursor));
    SelectionOverlay fixed(OverlayMode::FixedRect, platform_);
    EXPECT_FALSE(fixed.testAttribute(Qt::WA_SetCursor));
}

TEST_F(OverlayTest, WindowModeOutlinesTheWindowUnderTheCursor) {
    WindowGrid grid;
    grid.Build({TopWindow{3, Rect{400, 300, 800, 600}}}, 1920, 1080);
    SelectionOverlay d(OverlayMode::WindowObject, platform_);
    d.SetWindowGrid(&grid);
    d.FreezeScreen();
    Move(d, 500, 400);
    EXPECT_EQ(d.WindowRect(), (Rect{400, 300, 800, 600}));
    const QImage shot = d.grab().toImage();
    // A red pen mixed with NOT XOR: ~(red ^ screen).
    EXPECT_EQ(shot.pixel(401, 450) & 0xFFFFFF, ~(0xFF0000u ^ Screen(401, 450)) & 0xFFFFFF);
    EXPECT_EQ(shot.pixel(410, 450) & 0xFFFFFF, Screen(410, 450));
    EXPECT_EQ(shot.pixel(3, 120) & 0xFFFFFF, 0x969696u);  // the shorter box
    Move(d, 1000, 800);
    EXPECT_TRUE(d.WindowRect().IsEmpty());
}

// Every line of the help box fits in its rectangle and every rectangle in the
// box, whatever the font: the text was cut ("Left click to captur") when the
// box had a fixed size.
TEST_F(OverlayTest, TheHelpBoxFitsItsTextAtAnyFontSize) {
    // The fourth case is window picking with dragging allowed (the scrolling capture).
    const OverlayMode modes[] = {OverlayMode::Region, OverlayMode::WindowObject, OverlayMode::FixedRect,
                                 OverlayMode::WindowObject};
    for (int variant = 0; variant < 4; ++variant) {
        const OverlayMode mode = modes[variant];
        for (int pixels : {14, 22, 40}) {
            SelectionOverlay d(mode, platform_);
            d.SetDragAllowed(variant == 3);
            QFont font = d.InfoFont();
            font.setPixelSize(pixels);
            d.SetInfoFont(font);
            d.FreezeScreen();
            Move(d, 1919, 1079);  // the widest mouse line
            const QFontMetrics fm(font);
            const QRect box(QPoint(0, 0), d.BoxSize());
            int previousBottom = 0;
            for (const SelectionOverlay::HelpLine& line : d.HelpLines()) {
                const int flags = Qt::AlignLeft | Qt::AlignTop | (line.wrap ? Qt::TextWordWrap : 0);
                const QRect needed = fm.boundingRect(line.rect, flags, line.text);
                EXPECT_TRUE(line.rect.contains(needed)) << line.text.toStdString() << " at " << pixels << " px";
                EXPECT_TRUE(box.contains(line.rect)) << line.text.toStdString() << " at " << pixels << " px";
                EXPECT_GE(line.rect.top(), previousBottom) << "lines overlap at " << pixels << " px";
                previousBottom = line.rect.bottom();
                // No word is broken inside: each fits the line's width.
                for (const QString& word : line.text.split(QLatin1Char(' ')))
                    EXPECT_LE(fm.horizontalAdvance(word), line.rect.width()) << word.toStdString();
            }
            EXPECT_TRUE(d.HelpLines().back().text.startsWith(QStringLiteral("Mouse: x = 1919; y = 1079")));
            EXPECT_EQ(d.HelpLines().size(), variant == 3 ? 4u : mode == OverlayMode::WindowObject ? 3u : 4u);
        }
    }
}

// The font is given in points, so a higher font DPI gives larger text and a larger box.
TEST_F(OverlayTest, TheHelpFontFollowsTheFontDpi) {
    SelectionOverlay d(OverlayMode::Region, platform_);
    EXPECT_GT(d.InfoFont().pointSizeF(), 0);
    const QSize normal = d.BoxSize();
    QFont twice = d.InfoFont();
    twice.setPointSizeF(d.InfoFont().pointSizeF() * 2);
    d.SetInfoFont(twice);
    EXPECT_GT(d.BoxSize().height(), normal.height());
}

}  // namespace

namespace {

bool SpinFor(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return done();
}

// A box of the program that opens over the overlay must get the keys and
// clicks (the overlay's grabs would leave it waiting forever); the overlay
// takes them back once it is active again.
TEST_F(OverlayTest, AnotherWindowOfTheProgramGetsTheInputWhileItIsActive) {
    SelectionOverlay overlay(OverlayMode::Region, platform_);
    overlay.FreezeScreen();
    overlay.show();
    overlay.activateWindow();
    if (!SpinFor([&] { return overlay.isActiveWindow(); })) GTEST_SKIP() << "no window activation here";
    EXPECT_FALSE(overlay.YieldsInput());
    {
        QDialog box;
        box.show();
        box.activateWindow();
        ASSERT_TRUE(SpinFor([&] { return box.isActiveWindow(); }));
        EXPECT_TRUE(SpinFor([&] { return overlay.YieldsInput(); }));
    }
    overlay.activateWindow();
    EXPECT_TRUE(SpinFor([&] { return !overlay.YieldsInput(); }));
}

}  // namespace
