#pragma once
// The editing state of one editor view: tool, zoom, the rubber band and the
// press that started the current drag. Shared by the view, its painter and
// the tool state machine.
#include "editor/tools/BandGeometry.h"
#include "editor/view/ZoomMath.h"
#include "image/Bitmap.h"
#include "image/PixelImage.h"

namespace clipvane {

class AnnotationObject;

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

// Tools that drag a rubber band.
inline bool IsBandTool(EditorTool t) {
    return t == EditorTool::Crop || t == EditorTool::Text || t == EditorTool::Shape || t == EditorTool::Highlight ||
           t == EditorTool::Stamp;
}

struct ViewState {
    PixelImage preview;  // the Crop tool's darkened copy, made at each Crop press
    int imageWidth = 0;
    int imageHeight = 0;
    bool buttonDown = false;
    int pressX = 0;
    int pressY = 0;
    int pressScrollX = 0;
    int pressScrollY = 0;
    Rect band;       // zoomed image pixels
    Rect pressBand;  // band at the press
    Rect bandImage;  // band in image pixels
    bool bandValid = false;
    EditorTool tool = EditorTool::Move;
    BandMode bandMode = BandMode::New;
    int zoomIndex = kZoomActualIndex;
    AnnotationObject* selected = nullptr;

    float Factor() const { return ZoomFactor(zoomIndex); }
    int ZoomedWidth() const { return ZoomedLength(imageWidth, Factor()); }
    int ZoomedHeight() const { return ZoomedLength(imageHeight, Factor()); }

    void ClearBand() {
        band = {};
        bandImage = {};
        bandValid = false;
    }
    // Drops the selection and the band rectangles; bandValid stays.
    void ClearSelection() {
        selected = nullptr;
        band = {};
        pressBand = {};
        bandImage = {};
    }
};

// The crop preview: every blue, green and red byte halved, alpha kept.
PixelImage DarkenedCopy(const PixelImage& image);

// Copies the part of `source` inside `rect` (clipped to the image) into
// `destination`, whose origin becomes the clipped rectangle's top-left. False
// for an empty or sub-8-bit source, a missing or identical destination, or an
// empty intersection.
bool CopyRegion(const PixelImage& source, PixelImage* destination, const Rect& rect);

}  // namespace clipvane
