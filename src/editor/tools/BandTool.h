#pragma once
// A tool that drags a rubber band over the image (Crop, and Text, Shape,
// Highlight and Stamp to place their objects): a press off the band starts a
// new one, a press inside moves it, a press on a corner square resizes it
// (BandGeometry has the rules). The band is kept in zoomed and in image
// pixels; a zoom change recomputes the zoomed one. Esc drops the band.
// Subclasses add what a press or release means for them and may paint the
// image their own way.
#include "editor/tools/BandGeometry.h"
#include "editor/tools/Tool.h"

namespace clipvane {

class BandTool : public Tool {
public:
    using Tool::Tool;

    ViewCursor Cursor() const override { return ViewCursor::Cross; }
    void Deactivate() override;
    void Press(int vx, int vy) override;
    void Move(int vx, int vy, bool dragging) override;
    bool KeyPress(int key) override;
    void ZoomChanged() override;
    void ImageChanged(bool resized) override;
    void SelectionCleared() override;
    void BeforePaint() override;
    void PaintOverlay(QPainter& painter, const ToolPaintArgs& args) override;

    const Rect& Band() const { return band_; }            // zoomed image pixels
    const Rect& BandImage() const { return bandImage_; }  // image pixels
    bool BandValid() const { return bandValid_; }
    BandMode Mode() const { return mode_; }

    // Drops the band.
    void ClearBand();

protected:
    // The band's dotted outline with its four corner squares.
    static void DrawBand(QPainter& painter, const QRect& band);
    // The last press, clamped to the zoomed image.
    const PressPoint& Pressed() const { return press_; }
    // Shows `image` (image pixels) as the band.
    void SetBandImage(const Rect& image);

private:
    PressPoint press_;
    Rect band_;       // zoomed image pixels
    Rect pressBand_;  // band at the press
    Rect bandImage_;  // band in image pixels
    bool bandValid_ = false;
    BandMode mode_ = BandMode::New;
};

}  // namespace clipvane
