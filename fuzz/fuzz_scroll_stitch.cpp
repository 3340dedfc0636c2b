// The scrolling capture's stitcher takes whatever the screen shows: frames of
// any content, moved any way (down, up, not at all, changed). It must answer
// every step and finish with at most the height limit, never reading or
// writing outside its frames and rows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/PixelImage.h"
#include "image/ScrollStitch.h"

namespace {

// Views of a page whose rows come from a small set, so that repeats, blank
// stretches and sticky bands are common.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    int Next(int range) { return at < size ? int(data[at++]) % range : 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const int width = 1 + in.Next(200), height = 2 + in.Next(60), maxHeight = 1 + in.Next(255) * 4;
    const int depth = in.Next(2) ? 24 : 32, kinds = 1 + in.Next(8);
    const int header = in.Next(height / 2 + 1), footer = in.Next(height / 2 + 1);
    std::vector<int> page(400);
    for (int& row : page) row = in.Next(kinds);
    auto view = [&](int offset, int change) {
        clipvane::PixelImage v;
        v.Create(width, height, depth);
        for (int y = 0; y < height; ++y) {
            int value = 250 - y;  // sticky rows
            if (y >= header && y < height - footer) value = page[size_t(std::clamp(offset + y, 0, 399))];
            std::memset(v.Row(y), value * 31 + change, size_t(width) * size_t(depth / 8));
        }
        return v;
    };
    clipvane::ScrollStitcher stitcher;
    if (!stitcher.Start(view(0, 0), maxHeight)) std::abort();
    int offset = 0;
    while (in.at < in.size) {
        offset = std::clamp(offset + in.Next(80) - 20, 0, 399);
        stitcher.Add(view(offset, in.Next(10) == 0 ? 1 : 0));
        if (stitcher.Height() > maxHeight || stitcher.Width() > width) std::abort();
    }
    clipvane::PixelImage result;
    if (!stitcher.Finish(result) || result.Height() > maxHeight || result.Width() > width) std::abort();
    return 0;
}
