#pragma once
// The effect family: every pixel operation is an effect object run by
// PixelImage::ApplyEffect through CanApply, Begin, per-pixel or whole-image
// work, and End.
//
// Per-pixel effects are driven one row at a time through ProcessRow. Its
// default calls ProcessPixel for every pixel of the row, left to right, so an
// effect that only defines ProcessPixel sees exactly the documented order;
// hot effects override ProcessRow with a tight loop that gives the same bytes.
//
// An effect whose rows do not depend on each other says so (IndependentRows):
// ApplyEffect then hands groups of rows to several threads at once, each row
// still left to right. Such an effect keeps no per-row scratch in its members,
// since ProcessRow runs on several threads at the same time.
#include <cmath>
#include <cstdint>
#include <memory>

#include "image/PixelImage.h"

namespace clipvane {

class ImageEffect {
public:
    enum { kWholeImage = 0, kPerPixel = 1 };

    virtual ~ImageEffect() = default;
    virtual bool CanApply(const PixelImage& image) const = 0;
    virtual int Mode() const { return kPerPixel; }
    virtual void Begin(PixelImage& /*image*/) {}
    virtual void ProcessPixel(PixelImage& /*image*/, int /*x*/, int /*y*/, uint8_t* /*pixel*/) {}
    virtual void ProcessImage(PixelImage& /*image*/, ProgressReporter* /*progress*/) {}
    virtual void End(PixelImage& /*image*/) {}

    // Processes row y, whose first pixel is at `row`, pixels 0..width-1.
    virtual void ProcessRow(PixelImage& image, int y, uint8_t* row, int width);

    // True when a row's result does not depend on other rows having been
    // processed (it reads only its own row, or a copy taken in Begin), so that
    // rows may run on several threads. False, the safe answer, keeps the top
    // row first order on the calling thread.
    virtual bool IndependentRows() const { return false; }
    // Rows are handed out in groups of this many, aligned to the top row and
    // processed in order within a group: an effect whose rows depend only on
    // earlier rows of the same group, or that works a whole group at the
    // group's first row, gives the group's height.
    virtual int RowGroup() const { return 1; }
};

// Threads that ApplyEffect uses for effects with independent rows; 0 (the
// default) means one per processor, and then only images of at least
// kParallelPixels pixels are split. An explicit count splits every image.
void SetEffectThreads(int threads);
int EffectThreads();
inline constexpr int64_t kParallelPixels = 1 << 18;

// The per-pixel part of ApplyEffect: every row of `image` through ProcessRow,
// progress 100 x rows done / height after rows. Several threads take groups
// of rows when the effect allows it; `progress` is then called from the
// calling thread only, between waves of rows while no other thread runs,
// with values that go up and end at 100. Once `progress` says Cancelled, no
// further row is started and the image is left half done.
void ProcessEffectRows(ImageEffect& effect, PixelImage& image, ProgressReporter* progress);

// An effect that may keep an unchanged copy of the image it works on.
class SourceEffect : public ImageEffect {
public:
    bool CanApply(const PixelImage& image) const override;
    // Replaces `source` by a deep copy of `image` (nothing happens for null).
    void TakeSource(const PixelImage* image);

protected:
    std::unique_ptr<PixelImage> source;
};

// A per-channel level table built in Begin; alpha is untouched.
class LookupEffect : public SourceEffect {
public:
    // Channel set: bit 1 red, bit 2 green, bit 4 blue.
    explicit LookupEffect(int channels = 7);
    void Begin(PixelImage& image) override;
    void ProcessPixel(PixelImage& image, int x, int y, uint8_t* pixel) override;
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override;
    virtual int MapLevel(int level) = 0;
    // Each pixel through the table filled in Begin.
    bool IndependentRows() const override { return true; }

protected:
    int32_t table[256] = {};
    bool red = true;
    bool green = true;
    bool blue = true;
};

// (red x 30 + green x 59 + blue x 11) / 100 of a blue, green, red pixel.
inline int GreyValue(const uint8_t* pixel) { return (pixel[2] * 30 + pixel[1] * 59 + pixel[0] * 11) / 100; }

inline int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Rounding half away from zero, and conversion toward zero.
inline int RoundHalfAway(double v) { return v > 0 ? int(v + 0.5) : int(v - 0.5); }
inline int Trunc(double v) { return int(v); }

// The 15-bit linear congruential generator of the C standard's example,
// one per effect object so that results depend only on the seed.
class RandomGenerator {
public:
    explicit RandomGenerator(uint32_t seed = 1) : next_(seed) {}
    void Seed(uint32_t seed) { next_ = seed; }
    int Next() {
        next_ = next_ * kMultiplier + kIncrement;
        return int((next_ / 65536u) % 32768u);
    }
    uint32_t State() const { return next_; }
    // Moves `steps` draws ahead, exactly as that many Next() calls would, in
    // a few dozen multiplications: the step is x -> a x + c (mod 2^32), and
    // its powers are composed by squaring. A band of rows can so start where
    // the row-order run would be when it reaches the band.
    void Jump(uint64_t steps) {
        uint32_t a = kMultiplier, c = kIncrement;  // the step applied 2^i times
        uint32_t ra = 1, rc = 0;                   // the steps taken so far
        for (; steps != 0; steps >>= 1) {
            if (steps & 1) {
                ra *= a;
                rc = rc * a + c;
            }
            c = c * a + c;
            a *= a;
        }
        next_ = next_ * ra + rc;
    }
    static constexpr int kMax = 32767;

private:
    static constexpr uint32_t kMultiplier = 1103515245u;
    static constexpr uint32_t kIncrement = 12345u;
    uint32_t next_;
};

// A seed from the current time, for effects constructed without one.
uint32_t TimeSeed();

}  // namespace clipvane
