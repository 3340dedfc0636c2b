#pragma once
// Paints one editor view: grey background, the document's image with its
// objects at the zoom, and for the Crop tool the darkened image with the band
// at full brightness, its dotted outline and corner squares.
class QPainter;

namespace clipvane {

class ImageDocument;
struct ViewState;

struct ViewPaintArgs {
    int scrollX = 0;
    int scrollY = 0;
    int viewportWidth = 0;
    int viewportHeight = 0;
};

// Drops a band too small to show (under 4 zoomed pixels), as painting does.
void ValidateBand(ViewState& state);

void PaintView(QPainter& painter, ViewState& state, ImageDocument* doc, const ViewPaintArgs& args);

}  // namespace clipvane
