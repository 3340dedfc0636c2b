#pragma once
// Paints one editor view: grey background, the document's image with its
// objects at the zoom, and what the current tool shows (the Crop tool its
// darkened image with the band at full brightness and its corner squares),
// then the handles of the selected object.
class QPainter;

namespace clipvane {

class AnnotationObject;
class ImageDocument;
class Tool;
struct ViewState;

struct ViewPaintArgs {
    int scrollX = 0;
    int scrollY = 0;
    int viewportWidth = 0;
    int viewportHeight = 0;
};

void PaintView(QPainter& painter, const ViewState& state, ImageDocument* doc, Tool& tool, const ViewPaintArgs& args,
               const AnnotationObject* selected = nullptr);

}  // namespace clipvane
