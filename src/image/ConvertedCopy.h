#pragma once
// Conversions between 24 and 32 bits on the effect threads: a copy at
// another depth in one pass, and the thread count they share.
#include <cstdint>

#include "image/PixelImage.h"

namespace clipvane {

// Threads for converting an image of `pixels` pixels: EffectThreads() when
// set, else one per processor from kParallelPixels pixels on, else one.
int ConversionThreads(int64_t pixels);

// Makes `out` what `out = source; out.ConvertTo(depth);` makes, byte for byte
// (header, pixels, row padding, origin and frame delay). Between 24 and 32
// bits the rows are converted straight from `source` into fresh storage in
// bands on the threads EffectThreads() allows, so neither the copy nor the
// conversion runs on one thread alone and the new pages are faulted in by the
// threads that write them. Other depths take the copy and ConvertTo. False
// (`out` as it was) when the storage is refused.
bool ConvertedCopy(const PixelImage& source, int depth, PixelImage& out);

}  // namespace clipvane
