// The "Param Setting" bar: which panel it shows and when it starts over, and
// a real view's selected object loaded into it and changed through it.
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
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

// A view on a document with one selected object, its panel values passed on
// as the frame does.
struct SelectedFixture : ::testing::Test {
    SelectedFixture() {
        doc.image = test::Gradient(120, 90);
        view = std::make_unique<EditorView>(&doc);
        QObject::connect(&bar, &ParamBar::styleChanged,
                         [this](const DrawingStyle& style) { view->SetPanelStyle(style, true); });
    }
    template <class T>
    T* Select(std::unique_ptr<T> object) {
        T* added = static_cast<T*>(doc.AddObject(std::move(object)));
        undoBefore = doc.UndoCount();
        doc.SetModified(false);
        view->Selection().selected = added;
        bar.LoadSelected(*added);
        view->SetPanelStyle(bar.Style(), false);
        return added;
    }

    ImageDocument doc;
    std::unique_ptr<EditorView> view;
    ParamBar bar;
    int undoBefore = 0;
};

TEST_F(SelectedFixture, ASelectedShapeIsLoadedAndTurnedIntoAFilledEllipse) {
    auto made = test::MakeShape(10, 10, 60, 50);
    made->width = 4;
    made->borderStyle = 2;
    made->borderColor = 0x0000FF;
    made->fillColor = 0x00FF00;
    made->transparency = 20;
    made->shadow = 1;
    ShapeObject* shape = Select(std::move(made));

    ToolPanel* panel = bar.Panel();
    ASSERT_EQ(panel->Tool(), EditorTool::Shape);
    EXPECT_EQ(panel->WidthList()->currentText(), QStringLiteral("4"));
    EXPECT_EQ(panel->BorderList()->currentText(), QStringLiteral("Rectangle(Fill)"));
    EXPECT_EQ(panel->BorderColorPicker()->Color(), 0x0000FFu);
    EXPECT_EQ(panel->FillColorPicker()->Color(), 0x00FF00u);
    EXPECT_EQ(panel->OpacitySlider()->value(), 20);
    EXPECT_TRUE(panel->ShadowCheck()->isChecked());
    EXPECT_EQ(view->Style(), StyleOf(*shape));

    panel->BorderList()->setCurrentIndex(panel->BorderList()->findText(QStringLiteral("Ellipse(Fill)")));
    EXPECT_EQ(shape->borderStyle, 3);
    EXPECT_EQ(shape->width, 4);
    EXPECT_EQ(shape->borderColor, 0x0000FFu);
    EXPECT_EQ(shape->fillColor, 0x00FF00u);
    EXPECT_EQ(shape->transparency, 20);
    EXPECT_EQ(doc.UndoCount(), undoBefore);
}

TEST_F(SelectedFixture, TheSliderChangesASelectedLineAtOnceWithoutAnUndoStep) {
    auto made = test::MakeLine(5, 5, 80, 60, 3);
    made->color = 0x00FFFF;
    LineObject* line = Select(std::move(made));
    ASSERT_EQ(bar.Panel()->Tool(), EditorTool::Line);
    EXPECT_EQ(bar.Panel()->WidthList()->currentText(), QStringLiteral("3"));

    bar.Panel()->OpacitySlider()->setValue(60);
    EXPECT_EQ(line->transparency, 60);
    EXPECT_EQ(line->width, 3);
    EXPECT_EQ(line->color, 0x00FFFFu);
    EXPECT_EQ(doc.UndoCount(), undoBefore);
    EXPECT_TRUE(doc.modified);

    // Another kind selected next: its own panel, the line no longer follows.
    HighlightObject* highlight = Select(test::MakeHighlight(0, 0, 30, 30, 10));
    ASSERT_EQ(bar.Panel()->Tool(), EditorTool::Highlight);
    EXPECT_EQ(bar.Panel()->OpacitySlider()->value(), 10);
    const int shadowBefore = highlight->shadow;
    bar.Panel()->ShadowCheck()->click();
    EXPECT_EQ(highlight->shadow, shadowBefore ? 0 : 1);
    EXPECT_EQ(line->transparency, 60);
}

}  // namespace
}  // namespace clipvane
