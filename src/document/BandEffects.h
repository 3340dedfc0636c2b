#pragma once
// Effects on part of an image: the Image and Filter commands on the Crop
// tool's band, and Redact. The effects run on a copy of the band that is
// written back, so filters that read neighbouring pixels (blur, emboss, oil
// paint, splash, the mosaic's edge cells) see only pixels inside the band, and
// every pixel outside keeps its bytes.
#include <vector>

#include "image/Bitmap.h"
#include "image/ImageEffect.h"
#include "image/PixelImage.h"

namespace clipvane {

// The part of `image` inside `band` (clipped to the image) as a new image of
// the same depth; empty when the band misses the image or the image has fewer
// than 8 bits per pixel.
PixelImage CopyBand(const PixelImage& image, const Rect& band);

// Runs `effects` in order on a copy of the band and writes the result back at
// the image's depth. False, with the image unchanged, when the band misses the
// image or an effect changed the copy's size.
bool ApplyEffectsInBand(PixelImage& image, const Rect& band, const std::vector<ImageEffect*>& effects,
                        ProgressReporter* progress = nullptr);

// The band grown by a margin on every side, clipped to a w x h image: what the
// effect dialogs' thumbnail shows around a band.
Rect BandSurroundings(const Rect& band, int width, int height);

// Redact's mosaic cell for a band `bandHeight` pixels tall: the band's height,
// at least 12 and at most 200 pixels.
int RedactCell(int bandHeight);

}  // namespace clipvane
