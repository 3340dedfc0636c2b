// The panel values of each drawing tool, and their transfer to and from
// objects of each kind.
#include <gtest/gtest.h>

#include "annotation/ObjectKinds.h"
#include "annotation/ObjectsJson.h"
#include "editor/tools/DrawingStyle.h"

namespace clipvane {
namespace {

TEST(DrawingStyle, EachPanelStartsFromItsOwnDefaults) {
    const DrawingStyle line = DefaultStyle(EditorTool::Line);
    EXPECT_EQ(line.width, 2);
    EXPECT_EQ(line.lineStyle, 0);
    EXPECT_EQ(line.color, 0u);
    EXPECT_EQ(line.transparency, 0);
    EXPECT_TRUE(line.shadow);

    const DrawingStyle highlight = DefaultStyle(EditorTool::Highlight);
    EXPECT_EQ(highlight.transparency, 50);  // the slider in the middle
    EXPECT_EQ(highlight.color, MakeColorRef(0, 0, 128));
    EXPECT_TRUE(highlight.shadow);

    const DrawingStyle shape = DefaultStyle(EditorTool::Shape);
    EXPECT_FALSE(shape.shadow);
    EXPECT_EQ(shape.width, 2);
    EXPECT_EQ(shape.borderColor, 0u);
    EXPECT_EQ(shape.fillColor, MakeColorRef(0, 128, 128));

    const DrawingStyle text = DefaultStyle(EditorTool::Text);
    EXPECT_EQ(text.boxStyle, 0);
    EXPECT_EQ(text.backColor, 0xFFFFFFu);
    EXPECT_TRUE(text.shadow);
}

TEST(DrawingStyle, AnArrowIsAlwaysOnePixelWide) {
    LineObject arrow(kObjectArrow);
    DrawingStyle style = DefaultStyle(EditorTool::Arrow);
    style.width = 7;  // left over from another panel: the Arrow panel has no width list
    style.arrowStyle = 1;
    style.color = 0x123456;
    ApplyStyle(style, arrow);
    EXPECT_EQ(arrow.width, 1);
    EXPECT_EQ(arrow.style, 1);
    EXPECT_EQ(arrow.color, 0x123456u);
}

TEST(DrawingStyle, EachKindTakesOnlyItsOwnFields) {
    DrawingStyle style;
    style.width = 5;
    style.lineStyle = 1;
    style.arrowStyle = 1;
    style.boxStyle = 1;
    style.borderStyle = 3;
    style.color = 0x0000FF;
    style.backColor = 0x00FF00;
    style.borderColor = 0xFF0000;
    style.fillColor = 0x00FFFF;
    style.transparency = 30;
    style.shadow = false;
    style.stampIndex = 4;

    TextObject text;
    ApplyStyle(style, text);
    EXPECT_EQ(text.boxStyle, 1);
    EXPECT_EQ(text.backColor, 0x00FF00u);
    EXPECT_EQ(text.textColor, 0u);  // the text colour belongs to the text dialog
    EXPECT_EQ(text.transparency, 30);
    EXPECT_EQ(text.shadow, 0);

    ShapeObject shape;
    ApplyStyle(style, shape);
    EXPECT_EQ(shape.width, 5);
    EXPECT_EQ(shape.borderStyle, 3);
    EXPECT_EQ(shape.borderColor, 0xFF0000u);
    EXPECT_EQ(shape.fillColor, 0x00FFFFu);

    HighlightObject highlight;
    ApplyStyle(style, highlight);
    EXPECT_EQ(highlight.color, 0x0000FFu);
    EXPECT_EQ(highlight.transparency, 30);

    StampObject stamp;
    ApplyStyle(style, stamp);
    EXPECT_EQ(stamp.stampIndex, 4);
    EXPECT_TRUE(stamp.image.IsEmpty());  // the picture is the caller's to load
}

TEST(DrawingStyle, AnObjectLoadedIntoItsPanelAppliesBackUnchanged) {
    ShapeObject shape;
    shape.width = 9;
    shape.borderStyle = 2;
    shape.borderColor = 0x010203;
    shape.fillColor = 0x040506;
    shape.transparency = 77;
    shape.shadow = 1;
    EXPECT_EQ(PanelToolFor(shape.kind), EditorTool::Shape);
    const DrawingStyle style = StyleOf(shape);
    EXPECT_EQ(style.width, 9);
    EXPECT_TRUE(style.shadow);
    ShapeObject copy;
    ApplyStyle(style, copy);
    EXPECT_EQ(copy.width, 9);
    EXPECT_EQ(copy.borderStyle, 2);
    EXPECT_EQ(copy.borderColor, 0x010203u);
    EXPECT_EQ(copy.fillColor, 0x040506u);
    EXPECT_EQ(copy.transparency, 77);
    EXPECT_EQ(copy.shadow, 1);

    LineObject line;
    line.width = 4;
    line.style = 1;
    line.color = 0xABCDEF;
    const DrawingStyle lineStyle = StyleOf(line);
    EXPECT_EQ(PanelToolFor(line.kind), EditorTool::Line);
    EXPECT_EQ(lineStyle.width, 4);
    EXPECT_EQ(lineStyle.lineStyle, 1);
    EXPECT_EQ(lineStyle.color, 0xABCDEFu);
}

// A kind without a panel entry, or one bound to a member its kind does not
// have, would leave its objects unstyled or crash on the first restyle.
TEST(DrawingStyle, EveryKindHasAPanelWhoseToolDrawsIt) {
    for (const ObjectKindInfo& info : ObjectKinds()) {
        SCOPED_TRACE(info.name);
        const EditorTool tool = PanelToolFor(info.kind);
        ObjectKind drawn = kObjectLine;
        ASSERT_TRUE(KindForTool(tool, drawn));
        EXPECT_EQ(drawn, info.kind);
        const auto object = NewEditorObject(info.kind);
        const DrawingStyle style = StyleOf(*object);
        EXPECT_EQ(style, DefaultStyle(tool));
        ApplyStyle(style, *object);
        EXPECT_EQ(StyleOf(*object), style);
    }
    ObjectKind none = kObjectLine;
    EXPECT_FALSE(KindForTool(EditorTool::Select, none));
}

}  // namespace
}  // namespace clipvane
