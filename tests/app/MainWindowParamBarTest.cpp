// The "Param Setting" bar in the main frame: tool changes, the selected
// object, document tabs and changes made while no document is open.
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QMdiArea>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/MainWindow.h"
#include "document/ImageDocument.h"
#include "editor/panels/ParamBar.h"
#include "editor/view/EditorView.h"
#include "support/AnnotationBuilders.h"

namespace clipvane {
namespace {

struct ParamBarFrameFixture : test::FrameFixture {
    ToolPanel* Panel() const { return frame->ParamPanels()->Panel(); }
    EditorTool PanelTool() const { return Panel() ? Panel()->Tool() : EditorTool::Select; }
};

TEST_F(ParamBarFrameFixture, TheSelectedLineIsLoadedAndFollowsTheSliderWithoutUndo) {
    MainWindow& f = Make();
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    ImageDocument* doc = f.ActiveDocument();
    EditorView* view = f.ActiveView();
    auto made = test::MakeLine(2, 2, 50, 40, 5);
    made->transparency = 10;
    auto* line = static_cast<LineObject*>(doc->AddObject(std::move(made)));
    const int undoBefore = doc->UndoCount();
    view->Selection().selected = line;
    view->SelectionChanged();

    ASSERT_EQ(PanelTool(), EditorTool::Line);
    EXPECT_EQ(Panel()->WidthList()->currentText(), QStringLiteral("5"));
    EXPECT_EQ(view->Style(), StyleOf(*line));

    Panel()->OpacitySlider()->setValue(70);
    EXPECT_EQ(line->transparency, 70);
    EXPECT_EQ(line->width, 5);
    EXPECT_EQ(doc->UndoCount(), undoBefore);

    // A shape selected without the bar being told keeps its own values when
    // the Line panel changes.
    auto* shape = static_cast<ShapeObject*>(doc->AddObject(test::MakeShape(5, 5, 30, 30)));
    shape->borderStyle = 2;
    shape->width = 7;
    view->Selection().selected = shape;
    Panel()->WidthList()->setCurrentIndex(0);
    EXPECT_EQ(shape->width, 7);
    EXPECT_EQ(shape->borderStyle, 2);
    EXPECT_EQ(shape->transparency, 0);
    EXPECT_EQ(view->Style().width, 1);
}

TEST_F(ParamBarFrameFixture, TabsShowTheirOwnToolAndChangesReachOnlyTheActiveView) {
    MainWindow& f = Make();
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    DocumentWindow* first = f.ActiveFrame();
    ASSERT_TRUE(f.Dispatch(kCmdToolShape));
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    DocumentWindow* second = f.ActiveFrame();
    ASSERT_NE(first, second);
    EXPECT_EQ(PanelTool(), EditorTool::Move);  // a new view starts with Move
    ASSERT_NE(Panel()->findChild<QGroupBox*>(), nullptr);

    f.MdiArea()->setActiveSubWindow(first);
    test::Settle();
    ASSERT_EQ(PanelTool(), EditorTool::Shape);
    Panel()->OpacitySlider()->setValue(30);
    EXPECT_EQ(first->View()->Style().transparency, 30);
    EXPECT_EQ(second->View()->Style().transparency, 0);

    // A tool change in a view that is not shown leaves the bar alone.
    second->View()->Tools().SetTool(EditorTool::Arrow);
    EXPECT_EQ(PanelTool(), EditorTool::Shape);
    f.MdiArea()->setActiveSubWindow(second);
    test::Settle();
    EXPECT_EQ(PanelTool(), EditorTool::Arrow);
    EXPECT_EQ(second->View()->Style(), DefaultStyle(EditorTool::Arrow));
}

TEST_F(ParamBarFrameFixture, ChangesWithoutADocumentWindowGoNowhere) {
    MainWindow& f = Make();
    f.ShowToolPanel(int(EditorTool::Line));
    ASSERT_EQ(PanelTool(), EditorTool::Line);
    Panel()->OpacitySlider()->setValue(40);
    EXPECT_EQ(f.ParamPanels()->Style().transparency, 40);

    // The last document closed: the bar still takes changes.
    ASSERT_TRUE(f.Dispatch(kCmdFileNew));
    f.ActiveFrame()->Document()->SetModified(false);
    f.ActiveFrame()->close();
    test::Settle();
    ASSERT_EQ(f.ActiveFrame(), nullptr);
    f.ShowToolPanel(int(EditorTool::Shape));
    Panel()->OpacitySlider()->setValue(10);
    EXPECT_EQ(f.ParamPanels()->Style().transparency, 10);
}

}  // namespace
}  // namespace clipvane
