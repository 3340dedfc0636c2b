#pragma once
// The view state of one editor view: the image size it shows and its zoom.
// Shared by the view and its painter; the tools keep their own state and the
// view's ToolController knows the current tool.
#include "editor/view/ZoomMath.h"

namespace clipvane {

struct ViewState {
    int imageWidth = 0;
    int imageHeight = 0;
    int zoomIndex = kZoomActualIndex;

    float Factor() const { return ZoomFactor(zoomIndex); }
    int ZoomedWidth() const { return ZoomedLength(imageWidth, Factor()); }
    int ZoomedHeight() const { return ZoomedLength(imageHeight, Factor()); }
};

}  // namespace clipvane
