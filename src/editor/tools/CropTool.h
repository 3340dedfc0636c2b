#pragma once
// The Crop tool: a band tool whose press burns the objects into the image and
// shows the image darkened around the band; Enter crops the image to the
// band. A press with no objects records nothing; a burn and the crop after it
// are one undo step together.
#include "editor/tools/BandTool.h"
#include "image/PixelImage.h"

namespace clipvane {

class CropTool : public BandTool {
public:
    using BandTool::BandTool;

    void Deactivate() override;
    void Press(int vx, int vy) override;
    bool KeyPress(int key) override;
    void ImageChanged(bool resized) override;
    void BeforePaint() override;
    bool PaintImage(QPainter& painter, const ToolPaintArgs& args) override;
    void PaintOverlay(QPainter& painter, const ToolPaintArgs& args) override;

    // Crops the document image to the band. False when there was nothing to crop.
    bool Commit();

    // The darkened copy of the image, made at each press.
    const PixelImage& Preview() const { return preview_; }

private:
    bool ShowsPreview() const { return BandValid() && !preview_.IsEmpty(); }

    PixelImage preview_;
    // The id of the step the last burning press recorded (0: none pending).
    uint64_t burnStep_ = 0;
};

// The crop preview: every blue, green and red byte halved, alpha kept.
PixelImage DarkenedCopy(const PixelImage& image);

// Copies the part of `source` inside `rect` (clipped to the image) into
// `destination`, whose origin becomes the clipped rectangle's top-left. False
// for an empty or sub-8-bit source, a missing or identical destination, or an
// empty intersection.
bool CopyRegion(const PixelImage& source, PixelImage* destination, const Rect& rect);

}  // namespace clipvane
