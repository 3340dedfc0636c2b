#pragma once
// Effects for tests: a trivial per-pixel effect and the plain pixel-by-pixel
// application that the optimised row paths are checked against.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "image/ImageEffect.h"
#include "image/PixelImage.h"

namespace clipvane::test {

// Adds a constant to the blue byte of every pixel (24 bits and up).
class AddBlueEffect : public ImageEffect {
public:
    explicit AddBlueEffect(int amount) : amount_(amount) {}
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() >= 24; }
    void ProcessPixel(PixelImage&, int, int, uint8_t* pixel) override { pixel[0] = uint8_t(pixel[0] + amount_); }

private:
    int amount_;
};

// Inverts the blue byte, row by row in order; at row `holdAt` it runs
// `atHold` (on the thread doing the work) and then waits, at most ten
// seconds, until `release` is set: the test acts while the work is known to
// be half done.
class HeldEffect : public ImageEffect {
public:
    bool CanApply(const PixelImage& image) const override { return !image.IsEmpty() && image.Depth() >= 24; }
    void ProcessRow(PixelImage& image, int y, uint8_t* row, int width) override {
        if (y == holdAt) {
            if (atHold) atHold();
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!release.load() && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const int step = image.Depth() / 8;
        for (int x = 0; x < width; ++x) row[x * step] = uint8_t(255 - row[x * step]);
    }
    int holdAt = 4;
    std::function<void()> atHold;
    std::atomic<bool> release{false};
};

// The effect sequence of ApplyEffect with ProcessPixel called for every
// pixel, as the unoptimised framework would.
inline void ApplyPlain(PixelImage& image, ImageEffect& effect) {
    if (!effect.CanApply(image)) return;
    effect.Begin(image);
    if (effect.Mode() == ImageEffect::kWholeImage) {
        effect.ProcessImage(image, nullptr);
    } else {
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) effect.ProcessPixel(image, x, y, image.PixelAddress(x, y));
    }
    effect.End(image);
}

}  // namespace clipvane::test
