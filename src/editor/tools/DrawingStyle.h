#pragma once
// The values of the tool panel shown in the "Param Setting" bar: what a
// drawing tool gives the object it creates, and what a selected object shows
// in (and takes from) the panel. Each panel uses its own fields; a panel
// starts from DefaultStyle of its tool every time it is shown.
#include "annotation/AnnotationObject.h"
#include "editor/tools/EditorTool.h"

namespace clipvane {

struct DrawingStyle {
    int width = 2;                  // Line and Shape width lists: 1..10
    int lineStyle = 0;              // Line: 0 "Solid", 1 "Dot"
    int arrowStyle = 0;             // Arrow: 0 "Fill Arrow", 1 "Empty Arrow"
    int boxStyle = 0;               // Text: 0 "Solid", 1 "Transparent"
    int borderStyle = 0;            // Shape: "Rectangle", "Ellipse", "Rectangle(Fill)", "Ellipse(Fill)"
    ColorRef color = 0;             // Line, Arrow and Highlight
    ColorRef backColor = 0xFFFFFF;  // Text background
    ColorRef borderColor = 0;       // Shape border
    ColorRef fillColor = MakeColorRef(0, 128, 128);  // Shape fill
    int transparency = 0;                            // the "Opacity:" slider, 0..100
    bool shadow = true;                              // "Shadow"
    int stampIndex = 0;                              // 1-based position in the stamp list, 0 for none

    bool operator==(const DrawingStyle&) const = default;
};

// The panel's values when it is shown for `tool` (Select, Move, Crop and Zoom
// have no panel and get the plain defaults).
DrawingStyle DefaultStyle(EditorTool tool);

// The tool whose panel shows an object of this kind.
EditorTool PanelToolFor(ObjectKind kind);
// The kind a drawing tool makes; false for the tools that draw no object.
bool KindForTool(EditorTool tool, ObjectKind& kind);
// Whether the object menu's "Edit Text" applies to the kind.
bool HasEditableText(ObjectKind kind);

// An object's values as its panel shows them.
DrawingStyle StyleOf(const AnnotationObject& object);

// Copies the panel's values into an object, each kind taking its own fields.
// A stamp's picture is the caller's to set, since it comes from a file.
void ApplyStyle(const DrawingStyle& style, AnnotationObject& object);

}  // namespace clipvane
