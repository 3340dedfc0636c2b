#include "editor/tools/DrawingStyle.h"

#include <string_view>
#include <vector>

#include "annotation/ObjectKinds.h"
#include "annotation/ObjectsJson.h"

namespace clipvane {

namespace {

// One panel control and the object member it shows: an int or a colour of
// the style.
struct PanelBinding {
    const char* member;
    int DrawingStyle::*value = nullptr;
    ColorRef DrawingStyle::*color = nullptr;
};

// The tool that draws a kind, whose panel shows it, and what the panel
// controls. `fixed` members take one value whatever the panel holds.
struct KindPanel {
    ObjectKind kind;
    EditorTool tool;
    std::vector<PanelBinding> bindings;
    std::vector<std::pair<const char*, int>> fixed;
    bool editableText = false;
};

const std::vector<KindPanel>& KindPanels() {
    static const std::vector<KindPanel> panels = {
        {kObjectLine,
         EditorTool::Line,
         {{"width", &DrawingStyle::width},
          {"style", &DrawingStyle::lineStyle},
          {"color", nullptr, &DrawingStyle::color}},
         {}},
        // The Arrow panel has no width list: arrows are one pixel wide.
        {kObjectArrow,
         EditorTool::Arrow,
         {{"style", &DrawingStyle::arrowStyle}, {"color", nullptr, &DrawingStyle::color}},
         {{"width", 1}}},
        {kObjectText,
         EditorTool::Text,
         {{"boxStyle", &DrawingStyle::boxStyle}, {"backColor", nullptr, &DrawingStyle::backColor}},
         {},
         true},
        {kObjectShape,
         EditorTool::Shape,
         {{"width", &DrawingStyle::width},
          {"borderStyle", &DrawingStyle::borderStyle},
          {"borderColor", nullptr, &DrawingStyle::borderColor},
          {"fillColor", nullptr, &DrawingStyle::fillColor}},
         {}},
        {kObjectHighlight, EditorTool::Highlight, {{"color", nullptr, &DrawingStyle::color}}, {}},
        {kObjectStamp, EditorTool::Stamp, {{"stampIndex", &DrawingStyle::stampIndex}}, {}},
    };
    return panels;
}

const KindPanel* PanelOf(ObjectKind kind) {
    for (const KindPanel& panel : KindPanels())
        if (panel.kind == kind) return &panel;
    return nullptr;
}

const ObjectMember& MemberOf(const AnnotationObject& object, const char* key) { return *KindInfo(object).Member(key); }

}  // namespace

bool KindForTool(EditorTool tool, ObjectKind& kind) {
    for (const KindPanel& panel : KindPanels())
        if (panel.tool == tool) {
            kind = panel.kind;
            return true;
        }
    return false;
}

bool HasEditableText(ObjectKind kind) {
    const KindPanel* panel = PanelOf(kind);
    return panel && panel->editableText;
}

DrawingStyle DefaultStyle(EditorTool tool) {
    ObjectKind kind = kObjectLine;
    if (!KindForTool(tool, kind)) return DrawingStyle();
    // A panel starts with what a new object of its kind holds.
    return StyleOf(*NewEditorObject(kind));
}

EditorTool PanelToolFor(ObjectKind kind) {
    const KindPanel* panel = PanelOf(kind);
    return panel ? panel->tool : EditorTool::Select;
}

DrawingStyle StyleOf(const AnnotationObject& object) {
    DrawingStyle style;
    style.transparency = object.transparency;
    style.shadow = object.shadow != 0;
    const KindPanel* panel = PanelOf(object.kind);
    if (!panel) return style;
    for (const PanelBinding& b : panel->bindings) {
        const ObjectMember& m = MemberOf(object, b.member);
        if (b.value) style.*b.value = m.IntOf(object);
        if (b.color) style.*b.color = *static_cast<const ColorRef*>(m.field(const_cast<AnnotationObject&>(object)));
    }
    return style;
}

void ApplyStyle(const DrawingStyle& style, AnnotationObject& object) {
    object.transparency = style.transparency;
    object.shadow = style.shadow ? 1 : 0;
    const KindPanel* panel = PanelOf(object.kind);
    if (!panel) return;
    for (const PanelBinding& b : panel->bindings) {
        const ObjectMember& m = MemberOf(object, b.member);
        if (b.value) *m.IntIn(object) = style.*b.value;
        if (b.color) *static_cast<ColorRef*>(m.field(object)) = style.*b.color;
    }
    for (const auto& [member, value] : panel->fixed) *MemberOf(object, member).IntIn(object) = value;
}

}  // namespace clipvane
