#include "document/BandEffects.h"

#include <algorithm>
#include <cstring>

namespace clipvane {

PixelImage CopyBand(const PixelImage& image, const Rect& band) {
    PixelImage out;
    if (image.IsEmpty() || image.Depth() < 8) return out;
    const Rect r = band.Intersected(Rect{0, 0, image.Width(), image.Height()});
    if (r.IsEmpty() || !out.Create(r.Width(), r.Height(), image.Depth())) return PixelImage();
    const size_t bytes = size_t(image.Depth()) * size_t(r.Width()) / 8;
    for (int y = 0; y < r.Height(); ++y) std::memcpy(out.Row(y), image.PixelAddress(r.left, r.top + y), bytes);
    if (image.Depth() <= 8) out.CopyPalette(image);
    return out;
}

bool ApplyEffectsInBand(PixelImage& image, const Rect& band, const std::vector<ImageEffect*>& effects,
                        ProgressReporter* progress) {
    const Rect r = band.Intersected(Rect{0, 0, image.Width(), image.Height()});
    PixelImage part = CopyBand(image, r);
    if (part.IsEmpty()) return false;
    for (ImageEffect* effect : effects)
        if (effect) part.ApplyEffect(*effect, progress);
    if (part.Width() != r.Width() || part.Height() != r.Height()) return false;
    if (part.Depth() != image.Depth()) part.ConvertTo(image.Depth());
    return image.Paste(part, r.left, r.top);
}

Rect BandSurroundings(const Rect& band, int width, int height) {
    // A quarter of the band's shorter side, at least 16 pixels: enough to see
    // the band in its place without shrinking it to nothing in the thumbnail.
    const int margin = std::max(16, std::min(band.Width(), band.Height()) / 4);
    const Rect grown{band.left - margin, band.top - margin, band.right + margin, band.bottom + margin};
    return grown.Intersected(Rect{0, 0, width, height});
}

int RedactCell(int bandHeight) {
    // A cell as tall as the band covers a whole line of text from its top to
    // its bottom and about two letters across, so no cell keeps a stroke, gap
    // or ascender of a letter to read back; smaller cells leave a coarse copy
    // of each glyph that can be matched against rendered text. Below 12 pixels
    // a line of screen text is still covered whole by one row of cells; above
    // 200 (the Mosaic dialog's largest block) the band is already unreadable.
    return std::clamp(bandHeight, 12, 200);
}

}  // namespace clipvane
