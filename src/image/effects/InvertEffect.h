#pragma once
// Invert: every enabled channel level v becomes 255 - v.
#include "image/ImageEffect.h"

namespace clipvane {

class InvertEffect : public LookupEffect {
public:
    explicit InvertEffect(int channels = 7) : LookupEffect(channels) {}
    int MapLevel(int level) override { return 255 - level; }
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
};

}  // namespace clipvane
