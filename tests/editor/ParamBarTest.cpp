// The "Param Setting" bar: which panel it shows and when it starts over, and
// a real view's selected object loaded into it and changed through it.
#include <QComboBox>
#include <gtest/gtest.h>

#include "document/ImageDocument.h"
#include "editor/panels/ParamBar.h"
#include "editor/view/EditorView.h"
#include "support/AnnotationBuilders.h"
#include "support/ImageBuilders.h"
#include "widgets/ColorButton.h"

namespace clipvane {
namespace {

TEST(ParamBarPanels, KeepsThePanelOfTheSameToolAndStartsOverForAnother) {
    ParamBar bar;
    EXPECT_EQ(bar.Panel(), nullptr);
    EXPECT_EQ(bar.Style(), DrawingStyle{});
    int changes = 0;
    QObject::connect(&bar, &ParamBar::styleChanged, [&](const DrawingStyle&) { ++changes; });

    bar.ShowToolPanel(EditorTool::Line);
    ToolPanel* line = bar.Panel();
    ASSERT_NE(line, nullptr);
    line->WidthList()->setCurrentIndex(5);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bar.Style().width, 6);

    bar.ShowToolPanel(EditorTool::Line);
    EXPECT_EQ(bar.Panel(), line);
    EXPECT_EQ(bar.Style().width, 6);

    bar.ShowToolPanel(EditorTool::Shape);
    EXPECT_EQ(bar.Panel()->Tool(), EditorTool::Shape);
    EXPECT_FALSE(line->isVisible());
    bar.ShowToolPanel(EditorTool::Line);
    EXPECT_EQ(bar.Style(), DefaultStyle(EditorTool::Line));
    EXPECT_EQ(changes, 1);  // showing panels reports nothing
}

TEST(ParamBarSelection, ASelectedShapeIsLoadedAndTurnedIntoAFilledEllipse) {
    ImageDocument doc;
    doc.image = test::Gradient(120, 90);
    EditorView view(&doc);
    ParamBar bar;
    // Passed on as the frame does.
    QObject::connect(&bar, &ParamBar::styleChanged,
                     [&](const DrawingStyle& style) { view.SetPanelStyle(style, true); });
    auto made = test::MakeShape(10, 10, 60, 50);
    made->width = 4;
    made->borderStyle = 2;
    made->borderColor = 0x0000FF;
    made->fillColor = 0x00FF00;
    auto* shape = static_cast<ShapeObject*>(doc.AddObject(std::move(made)));
    const int undoBefore = doc.UndoCount();
    view.Selection().selected = shape;
    bar.LoadSelected(*shape);

    ToolPanel* panel = bar.Panel();
    ASSERT_EQ(panel->Tool(), EditorTool::Shape);
    EXPECT_EQ(panel->WidthList()->currentText(), QStringLiteral("4"));
    EXPECT_EQ(panel->BorderList()->currentText(), QStringLiteral("Rectangle(Fill)"));
    EXPECT_EQ(panel->BorderColorPicker()->Color(), 0x0000FFu);
    EXPECT_EQ(panel->FillColorPicker()->Color(), 0x00FF00u);

    panel->BorderList()->setCurrentIndex(panel->BorderList()->findText(QStringLiteral("Ellipse(Fill)")));
    EXPECT_EQ(shape->borderStyle, 3);
    EXPECT_EQ(shape->width, 4);
    EXPECT_EQ(shape->fillColor, 0x00FF00u);
    EXPECT_EQ(doc.UndoCount(), undoBefore);
}

}  // namespace
}  // namespace clipvane
