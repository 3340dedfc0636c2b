#pragma once
// The view state of one editor view: the image size it shows, its zoom and
// the tool it shows. Shared by the view and its painter; the tools keep their
// own state.
#include "editor/tools/EditorTool.h"
#include "editor/view/ZoomMath.h"

namespace clipvane {

struct ViewState {
    int imageWidth = 0;
    int imageHeight = 0;
    int zoomIndex = kZoomActualIndex;
    // The current tool as last reported by the view's ToolController (for the
    // frame's toolbar); the controller decides it.
    EditorTool tool = EditorTool::Move;

    float Factor() const { return ZoomFactor(zoomIndex); }
    int ZoomedWidth() const { return ZoomedLength(imageWidth, Factor()); }
    int ZoomedHeight() const { return ZoomedLength(imageHeight, Factor()); }
};

}  // namespace clipvane
