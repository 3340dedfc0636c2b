#pragma once
// The editor's tools, numbered as the tool panels and the settings know them.

namespace clipvane {

enum class EditorTool {
    Select = 0,
    Move = 1,
    Crop = 2,
    Text = 3,
    Zoom = 4,
    Line = 5,
    Arrow = 6,
    Shape = 7,
    Highlight = 8,
    Stamp = 9,
};

inline constexpr int kEditorToolCount = 10;

}  // namespace clipvane
