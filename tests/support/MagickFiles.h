#pragma once
// Helpers for the file-layer tests: a scratch folder, running ImageMagick to
// make and check real files, and reading its decoded pixels.
#include <cstdint>
#include <string>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane::test {

// A fresh folder under the system's temporary directory, removed with its
// contents when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Names of the entries in the folder (no "." or "..").
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};

// Runs a shell command; returns its exit status (-1 when it could not run).
int Run(const std::string& command);
// Runs a shell command and returns its standard output.
std::string Capture(const std::string& command);
// Single-quoted for the shell.
std::string Quote(const std::string& s);

// `convert ARGS` (ImageMagick); true on exit status 0.
bool Magick(const std::string& args);
// Pixels of FILE (its first frame when `frame` is 0) as ImageMagick decodes
// them: width x height RGBA, 8 bits per channel, top row first. `options`
// go before the output (for example "-auto-orient": ImageMagick keeps the
// rows of a bottom-up TGA in stored order unless asked to orient them).
struct RgbaPixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};
RgbaPixels MagickPixels(const std::string& file, int frame = 0, const std::string& options = "");
// The same for a PixelImage (palette looked up, 16-bit 5-5-5 and 5-6-5
// expanded as the image core does, alpha 255 below 32 bits).
RgbaPixels ImagePixels(const clipvane::PixelImage& image);
// Largest difference of any channel between two pixel sets of one size; -1
// when the sizes differ.
int MaxDifference(const RgbaPixels& a, const RgbaPixels& b, bool withAlpha = true);
// Mean absolute difference over the colour channels; -1 when sizes differ.
double MeanDifference(const RgbaPixels& a, const RgbaPixels& b);

std::vector<uint8_t> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

}  // namespace clipvane::test
