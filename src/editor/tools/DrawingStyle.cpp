#include "editor/tools/DrawingStyle.h"

namespace clipvane {

DrawingStyle DefaultStyle(EditorTool tool) {
    DrawingStyle style;
    switch (tool) {
    case EditorTool::Shape: style.shadow = false; break;
    case EditorTool::Highlight:
        style.transparency = 50;
        style.color = MakeColorRef(0, 0, 128);
        break;
    default: break;
    }
    return style;
}

EditorTool PanelToolFor(ObjectKind kind) {
    switch (kind) {
    case kObjectLine: return EditorTool::Line;
    case kObjectText: return EditorTool::Text;
    case kObjectShape: return EditorTool::Shape;
    case kObjectArrow: return EditorTool::Arrow;
    case kObjectHighlight: return EditorTool::Highlight;
    case kObjectStamp: return EditorTool::Stamp;
    }
    return EditorTool::Select;
}

DrawingStyle StyleOf(const AnnotationObject& object) {
    DrawingStyle style = DefaultStyle(PanelToolFor(object.kind));
    style.transparency = object.transparency;
    style.shadow = object.shadow != 0;
    switch (object.kind) {
    case kObjectLine: {
        const auto& line = static_cast<const LineObject&>(object);
        style.width = line.width;
        style.lineStyle = line.style;
        style.color = line.color;
        break;
    }
    case kObjectArrow: {
        const auto& arrow = static_cast<const LineObject&>(object);
        style.arrowStyle = arrow.style;
        style.color = arrow.color;
        break;
    }
    case kObjectText: {
        const auto& text = static_cast<const TextObject&>(object);
        style.boxStyle = text.boxStyle;
        style.backColor = text.backColor;
        break;
    }
    case kObjectShape: {
        const auto& shape = static_cast<const ShapeObject&>(object);
        style.width = shape.width;
        style.borderStyle = shape.borderStyle;
        style.borderColor = shape.borderColor;
        style.fillColor = shape.fillColor;
        break;
    }
    case kObjectHighlight: style.color = static_cast<const HighlightObject&>(object).color; break;
    case kObjectStamp: style.stampIndex = static_cast<const StampObject&>(object).stampIndex; break;
    }
    return style;
}

void ApplyStyle(const DrawingStyle& style, AnnotationObject& object) {
    object.transparency = style.transparency;
    object.shadow = style.shadow ? 1 : 0;
    switch (object.kind) {
    case kObjectLine: {
        auto& line = static_cast<LineObject&>(object);
        line.width = style.width;
        line.style = style.lineStyle;
        line.color = style.color;
        break;
    }
    case kObjectArrow: {
        // The Arrow panel has no width list: arrows are one pixel wide.
        auto& arrow = static_cast<LineObject&>(object);
        arrow.width = 1;
        arrow.style = style.arrowStyle;
        arrow.color = style.color;
        break;
    }
    case kObjectText: {
        auto& text = static_cast<TextObject&>(object);
        text.boxStyle = style.boxStyle;
        text.backColor = style.backColor;
        break;
    }
    case kObjectShape: {
        auto& shape = static_cast<ShapeObject&>(object);
        shape.width = style.width;
        shape.borderStyle = style.borderStyle;
        shape.borderColor = style.borderColor;
        shape.fillColor = style.fillColor;
        break;
    }
    case kObjectHighlight: static_cast<HighlightObject&>(object).color = style.color; break;
    case kObjectStamp: static_cast<StampObject&>(object).stampIndex = style.stampIndex; break;
    }
}

}  // namespace clipvane
