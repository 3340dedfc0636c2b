// The colour button and its pop-up: the colour table, choosing and cancelling
// with the mouse and keyboard, the events the parent sees, the custom
// colours and the disabled look.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QStringList>
#include <gtest/gtest.h>

#include "support/QtTestApp.h"
#include "widgets/ColorButton.h"

namespace clipvane {
namespace {

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct ColorButtonFixture : ::testing::Test {
    ColorButtonFixture() {
        button.SetColor(0x400080);  // Light Maroon, cell (0, 0)
        QObject::connect(&button, &ColorButton::colorChanged, [this](ColorRef c) { Log("changed", c); });
        QObject::connect(&button, &ColorButton::dropDown, [this](ColorRef c) { Log("dropDown", c); });
        QObject::connect(&button, &ColorButton::closeUp, [this](ColorRef c) { Log("closeUp", c); });
        QObject::connect(&button, &ColorButton::selectionEndOk, [this](ColorRef c) { Log("ok", c); });
        QObject::connect(&button, &ColorButton::selectionEndCancel, [this](ColorRef c) { Log("cancel", c); });
    }
    ~ColorButtonFixture() override {
        if (button.Popup()) button.Popup()->EndCancel();
        FlushDeletes();
        ColorPopup::SetDialogRunner(nullptr);
    }
    void Log(const char* what, ColorRef c) { events << QString("%1 %2").arg(what).arg(c, 6, 16, QChar('0')); }

    ColorPopup* Open() {
        button.ShowPopup();
        events.clear();
        return button.Popup();
    }
    static void Move(ColorPopup* popup, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, popup->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(popup, &move);
    }
    static void Click(ColorPopup* popup, QPoint at) {
        Move(popup, at);
        QMouseEvent release(QEvent::MouseButtonRelease, at, popup->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(popup, &release);
    }
    static void Key(ColorPopup* popup, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(popup, &press);
    }

    ColorButton button;
    QStringList events;
};

TEST(ColorTable, NamedEntriesInOrderAndSystemColoursFromThePalette) {
    struct Expect {
        int row, column;
        ColorRef color;
        const char* name;
    };
    for (const Expect& e : {Expect{0, 0, 0x400080, "Light Maroon"}, Expect{0, 7, 0xE8D0FF, "Very Light Pink"},
                            Expect{1, 4, 0x00D7FF, "Gold"}, Expect{3, 4, 0xD4FF7F, "Aquamarine"},
                            Expect{4, 5, 0xFF0000, "Blue"}, Expect{5, 0, 0xED9564, "Cornflower Blue"},
                            Expect{6, 2, 0x989898, "Gray 40%"}, Expect{6, 7, 0xFFFFFF, "White"}}) {
        EXPECT_EQ(ColorTableEntry(e.row, e.column).color, e.color) << e.name;
        EXPECT_STREQ(ColorTableEntry(e.row, e.column).name, e.name);
    }
    EXPECT_STREQ(ColorTableEntry(8, 7).name, "Desktop");

    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Base, QColor(10, 20, 30));
    palette.setColor(QPalette::ToolTipBase, QColor(200, 100, 50));
    RefreshSystemColors(palette);
    EXPECT_EQ(ColorTableEntry(8, 0).color, 0x030201u);  // BtnFace
    EXPECT_EQ(ColorTableEntry(7, 0).color, 0x1E140Au);  // Window
    EXPECT_EQ(ColorTableEntry(7, 2).color, 0x3264C8u);  // InfoBk
}

TEST(ColorTable, ConversionKeepsRedInTheLowByte) {
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(FromQColor(QColor(0x56, 0x34, 0x12, 7)), 0x123456u);
}

TEST_F(ColorButtonFixture, ClickingACellChoosesItAndTellsTheParent) {
    button.ShowPopup();
    ASSERT_EQ(events, QStringList{"dropDown 400080"});
    ColorPopup* popup = button.Popup();
    EXPECT_EQ(std::make_pair(popup->ChosenRow(), popup->ChosenColumn()), std::make_pair(0, 0));
    events.clear();
    // The separator and the border are no cells: the pop-up stays.
    Click(popup, popup->SeparatorRect().center());
    Click(popup, QPoint(1, 1));
    EXPECT_TRUE(events.isEmpty());

    Click(popup, popup->CellRect(2, 2).center());  // Green
    EXPECT_EQ(button.Color(), 0x008000u);
    EXPECT_EQ(events, (QStringList{"closeUp 008000", "ok 008000", "changed 008000"}));
    EXPECT_EQ(std::make_pair(button.LastRow(), button.LastColumn()), std::make_pair(2, 2));
    FlushDeletes();
    EXPECT_EQ(button.Popup(), nullptr);

    // Choosing the current colour again ends the pop-up without a change.
    popup = Open();
    Click(popup, popup->CellRect(2, 2).center());
    EXPECT_EQ(events, (QStringList{"closeUp 008000", "ok 008000"}));
}

TEST_F(ColorButtonFixture, TrackingFollowsThePointerAndCancelRestores) {
    button.SetTrackSelection(true);
    ColorPopup* popup = Open();
    Move(popup, popup->CellRect(1, 5).center());  // Yellow
    EXPECT_EQ(button.Color(), 0x00FFFFu);
    Key(popup, Qt::Key_Escape);
    EXPECT_EQ(button.Color(), 0x400080u);
    EXPECT_EQ(events, (QStringList{"closeUp 400080", "cancel 400080"}));
    FlushDeletes();

    // A tracked colour is still a change when chosen...
    popup = Open();
    Click(popup, popup->CellRect(1, 5).center());
    EXPECT_EQ(events.last(), "changed 00ffff");
    FlushDeletes();
    // ...and a release outside cancels back to it.
    popup = Open();
    Move(popup, popup->CellRect(0, 2).center());
    Click(popup, QPoint(-20, -20));
    EXPECT_EQ(button.Color(), 0x00FFFFu);
    EXPECT_EQ(events.last(), "cancel 00ffff");
}

TEST_F(ColorButtonFixture, CustomDialogFillsTheCustomRowsAndKeepsThePopupOpen) {
    ColorRef dialogStart = 0;
    ColorPopup::SetDialogRunner([&](ColorRef start, CustomColors& custom, ColorRef& chosen) {
        dialogStart = start;
        custom[0] = chosen = 0x123456;
        return true;
    });
    ColorPopup* popup = Open();
    Click(popup, popup->CustomRect().center());
    EXPECT_EQ(dialogStart, 0x400080u);
    ASSERT_EQ(button.Popup(), popup);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(ColorTableEntry(11, 0).color, 0x123456u);
    // Kept by the button even if the pop-up is then cancelled.
    Key(popup, Qt::Key_Escape);
    EXPECT_EQ(button.Custom()[0], 0x123456u);
    EXPECT_EQ(button.Color(), 0x400080u);
    FlushDeletes();

    popup = Open();
    Click(popup, popup->CellRect(11, 0).center());
    EXPECT_EQ(button.Color(), 0x123456u);

    // Another button's pop-up shows that button's own custom colours.
    ColorButton other;
    other.ShowPopup();
    EXPECT_EQ(ColorTableEntry(11, 0).color, 0xFFFFFFu);
    other.Popup()->EndCancel();
}

TEST_F(ColorButtonFixture, ArrowKeysWrapAndSkipTheSeparator) {
    ColorPopup* popup = Open();  // chosen cell (0, 0)
    const struct {
        int key, row, column;
    } steps[] = {{Qt::Key_Left, 0, 7},  {Qt::Key_Right, 0, 0}, {Qt::Key_Up, 12, 0}, {Qt::Key_Down, 0, 0},
                 {Qt::Key_Up, 12, 0},   {Qt::Key_Up, 11, 0},   {Qt::Key_Up, 10, 0}, {Qt::Key_Up, 8, 0},
                 {Qt::Key_Down, 10, 0}, {Qt::Key_Up, 8, 0},    {Qt::Key_Up, 7, 0},  {Qt::Key_Left, 7, 7}};
    for (const auto& step : steps) {
        Key(popup, step.key);
        EXPECT_EQ(std::make_pair(popup->HotRow(), popup->HotColumn()), std::make_pair(step.row, step.column));
    }
    const ColorRef expected = ColorTableEntry(7, 7).color;  // a system colour
    Key(popup, Qt::Key_Return);
    EXPECT_EQ(button.Color(), expected);
    EXPECT_EQ(std::make_pair(button.LastRow(), button.LastColumn()), std::make_pair(7, 7));
    FlushDeletes();

    // A colour not in the table marks no cell; the first arrow key starts at the top left.
    button.SetColor(0x010203);
    popup = Open();
    EXPECT_EQ(popup->ChosenRow(), -1);
    Key(popup, Qt::Key_Down);
    EXPECT_EQ(std::make_pair(popup->HotRow(), popup->HotColumn()), std::make_pair(0, 0));
}

TEST_F(ColorButtonFixture, DisabledButtonShowsGreyButKeepsItsColour) {
    button.setEnabled(false);
    EXPECT_EQ(button.DisplayedColor(), ColorButton::kDisabledColor);
    EXPECT_EQ(button.Color(), 0x400080u);
    button.setEnabled(true);
    EXPECT_EQ(button.DisplayedColor(), 0x400080u);
}

}  // namespace
}  // namespace clipvane
