// Filter / Redact through the main window's dispatcher (the path of the menu,
// the Tools bar, the shortcut and D-Bus Command): where it is offered, the
// status-bar request for a band, and the band commands on the Crop band.
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <gtest/gtest.h>

#include <cstring>

#include "MainWindowFixture.h"
#include "app/CommandTable.h"
#include "editor/view/EditorView.h"
#include "support/ImageBuilders.h"

namespace clipvane {
namespace {

using test::FrameFixture;

TEST_F(FrameFixture, RedactIsInTheFilterMenuTheToolsBarAndOnCtrlShiftX) {
    MainWindow& f = Make();
    QAction* redact = f.Action(kCmdRedact);
    ASSERT_NE(redact, nullptr);
    EXPECT_EQ(redact->text(), QStringLiteral("Redact"));
    EXPECT_TRUE(redact->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Shift+X"))));
    EXPECT_FALSE(redact->icon().isNull());
    EXPECT_TRUE(f.ToolsToolBar()->actions().contains(redact));
    bool inFilterMenu = false;
    for (const MenuSpec& menu : MenuBarLayout())
        if (std::strcmp(menu.title, "F&ilter") == 0)
            for (unsigned id : menu.entries) inFilterMenu |= id == kCmdRedact;
    EXPECT_TRUE(inFilterMenu);
}

TEST_F(FrameFixture, RedactWithoutABandAsksForOneInTheStatusBar) {
    MainWindow& f = Make();
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    ImageDocument* doc = f.ActiveDocument();
    ASSERT_NE(doc, nullptr);
    const int steps = doc->UndoCount();
    ASSERT_TRUE(f.Dispatch(kCmdRedact));
    EXPECT_EQ(f.statusBar()->currentMessage(), QStringLiteral("Redact: draw a band with the Crop tool first"));
    EXPECT_EQ(doc->UndoCount(), steps);
}

TEST_F(FrameFixture, CommandsByIdWorkOnTheCropBand) {
    MainWindow& f = Make();
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    ImageDocument* doc = f.ActiveDocument();
    EditorView* view = f.ActiveView();
    ASSERT_TRUE(doc && view);
    doc->image = test::Gradient(120, 90, 24);
    doc->UpdateAllViews();
    const PixelImage original = doc->image;
    ASSERT_TRUE(f.Dispatch(kCmdToolCrop));
    view->Tools().Press(20, 30);
    view->Tools().Move(80, 50);
    view->Tools().Release(80, 50);
    const Rect band{20, 30, 80, 50};
    ASSERT_EQ(view->EffectBand(), band);

    ASSERT_TRUE(f.Dispatch(kCmdInvert));
    ASSERT_TRUE(f.Dispatch(kCmdRedact));
    EXPECT_EQ(doc->UndoCount(), 2);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool inside = x >= band.left && x < band.right && y >= band.top && y < band.bottom;
            if (!inside) {
                ASSERT_EQ(std::memcmp(doc->image.PixelAddress(x, y), original.PixelAddress(x, y), 3), 0)
                    << x << "," << y;
            } else {
                // Cells as tall as the band (20 pixels), from its top-left corner.
                const int cx = band.left + (x - band.left) / 20 * 20;
                ASSERT_EQ(std::memcmp(doc->image.PixelAddress(x, y), doc->image.PixelAddress(cx, band.top), 3), 0)
                    << x << "," << y;
            }
        }
}

}  // namespace
}  // namespace clipvane
