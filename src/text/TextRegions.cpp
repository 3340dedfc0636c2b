#include "text/TextRegions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

#include "image/PixelImage.h"

namespace clipvane {
namespace {

// A grey step this large between neighbours is a glyph's edge; the flat
// colours and soft gradients of a user interface stay below it.
constexpr int kEdgeStep = 40;
// Gaps this short between edges on one row are closed: letters of a word.
constexpr int kLetterGap = 4;
// Edge runs longer than these are borders, rules and panel boundaries, not
// glyphs: cleared so they do not join the text beside them into one region.
// Rows of a glyph's horizontal stroke stay short; a button's edge does not.
constexpr int kLongRow = 32;
constexpr int kLongColumn = 64;
// Region sizes that can be text.
constexpr int kMinHeight = 4;
constexpr int kMaxHeight = 200;
// How far (percent) a region's threshold moves from Otsu's towards its background.
constexpr int kInkBias = 30;

struct Run {
    int y, x0, x1;  // [x0, x1)
};

int Find(std::vector<int>& parent, int i) {
    while (parent[size_t(i)] != i) {
        parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        i = parent[size_t(i)];
    }
    return i;
}

Rect Union(const Rect& a, const Rect& b) {
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// The edge mask: 1 where a pixel differs strongly from its right or lower
// neighbour, long straight runs removed.
std::vector<uint8_t> EdgeMask(const GreyImage& grey) {
    const int w = grey.width, h = grey.height;
    std::vector<uint8_t> mask(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = &grey.pixels[size_t(y) * size_t(w)];
        const uint8_t* below = y + 1 < h ? row + w : row;
        uint8_t* out = &mask[size_t(y) * size_t(w)];
        for (int x = 0; x < w; ++x) {
            const int right = x + 1 < w ? row[x + 1] : row[x];
            out[x] = std::abs(row[x] - right) >= kEdgeStep || std::abs(row[x] - below[x]) >= kEdgeStep;
        }
    }
    std::vector<uint8_t> cleared = mask;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &mask[size_t(y) * size_t(w)];
        for (int x = 0; x < w;) {
            int end = x;
            while (end < w && row[end]) ++end;
            if (end - x >= kLongRow)
                std::fill(&cleared[size_t(y) * size_t(w) + size_t(x)], &cleared[size_t(y) * size_t(w) + size_t(end)],
                          0);
            x = end + 1;
        }
    }
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h;) {
            int end = y;
            while (end < h && mask[size_t(end) * size_t(w) + size_t(x)]) ++end;
            if (end - y >= kLongColumn)
                for (int yy = y; yy < end; ++yy) cleared[size_t(yy) * size_t(w) + size_t(x)] = 0;
            y = end + 1;
        }
    }
    return cleared;
}

// Boxes of the connected runs of the mask, with gaps up to kLetterGap closed.
std::vector<Rect> Components(const std::vector<uint8_t>& mask, int w, int h) {
    std::vector<Run> runs;
    std::vector<size_t> rowStart(size_t(h) + 1, 0);
    for (int y = 0; y < h; ++y) {
        rowStart[size_t(y)] = runs.size();
        const uint8_t* row = &mask[size_t(y) * size_t(w)];
        int x = 0;
        while (x < w) {
            while (x < w && !row[x]) ++x;
            if (x >= w) break;
            const int x0 = x;
            int last = x;
            while (x < w) {
                if (row[x]) {
                    last = x++;
                } else if (x - last <= kLetterGap) {
                    ++x;
                } else {
                    break;
                }
            }
            runs.push_back(Run{y, x0, last + 1});
        }
    }
    rowStart[size_t(h)] = runs.size();
    std::vector<int> parent(runs.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (int y = 1; y < h; ++y) {
        size_t a = rowStart[size_t(y) - 1], b = rowStart[size_t(y)];
        const size_t aEnd = rowStart[size_t(y)], bEnd = rowStart[size_t(y) + 1];
        while (a < aEnd && b < bEnd) {
            if (runs[a].x0 < runs[b].x1 && runs[b].x0 < runs[a].x1) {
                const int ra = Find(parent, int(a)), rb = Find(parent, int(b));
                if (ra != rb) parent[size_t(std::max(ra, rb))] = std::min(ra, rb);
            }
            if (runs[a].x1 < runs[b].x1)
                ++a;
            else
                ++b;
        }
    }
    std::vector<int> boxOf(runs.size(), -1);
    std::vector<Rect> boxes;
    for (size_t i = 0; i < runs.size(); ++i) {
        const int root = Find(parent, int(i));
        const Rect r{runs[i].x0, runs[i].y, runs[i].x1, runs[i].y + 1};
        if (boxOf[size_t(root)] < 0) {
            boxOf[size_t(root)] = int(boxes.size());
            boxes.push_back(r);
        } else {
            Rect& box = boxes[size_t(boxOf[size_t(root)])];
            box = Union(box, r);
        }
    }
    return boxes;
}

// Two boxes belong to one region: words of one line (mostly the same rows, a
// gap of about a space or two), or a small mark just above or below (the dot
// of an i, an accent).
bool SameRegion(const Rect& a, const Rect& b) {
    const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    const int lower = std::min(a.Height(), b.Height());
    const int taller = std::max(a.Height(), b.Height());
    const int gap = std::max(a.left, b.left) - std::min(a.right, b.right);
    if (overlap * 2 >= lower && gap <= std::max(3, taller * 6 / 5)) return true;
    const int vgap = std::max(a.top, b.top) - std::min(a.bottom, b.bottom);
    return vgap <= 2 && gap < 0 && lower * 2 < taller;
}

}  // namespace

GreyImage GreyOf(const PixelImage& image, const Rect& area) {
    GreyImage grey;
    const Rect r = area.Intersected(Rect{0, 0, image.Width(), image.Height()});
    if (image.IsEmpty() || (image.Depth() != 24 && image.Depth() != 32) || r.IsEmpty()) return grey;
    grey.width = r.Width();
    grey.height = r.Height();
    grey.pixels.resize(size_t(grey.width) * size_t(grey.height));
    const int step = image.Depth() / 8;
    for (int y = 0; y < grey.height; ++y) {
        const uint8_t* p = image.PixelAddress(r.left, r.top + y);
        uint8_t* out = &grey.pixels[size_t(y) * size_t(grey.width)];
        for (int x = 0; x < grey.width; ++x, p += step) out[x] = uint8_t((p[2] * 77 + p[1] * 150 + p[0] * 29) >> 8);
    }
    return grey;
}

std::vector<Rect> FindTextRegions(const GreyImage& grey) {
    if (grey.width < 2 || grey.height < 2) return {};
    std::vector<Rect> boxes = Components(EdgeMask(grey), grey.width, grey.height);
    // Thin upright bars are the sides of buttons, fields and panels, never a
    // glyph on its own: joined to the text beside them they spoil its region.
    std::erase_if(boxes, [](const Rect& r) {
        return r.Height() > kMaxHeight || (r.Width() < 2 && r.Height() < 2) ||
               (r.Height() >= 20 && r.Width() * 6 < r.Height());
    });
    // Join boxes of one line until nothing changes; sorted by left edge, a box
    // can only join one that starts before its right edge plus the widest gap.
    bool changed = true;
    while (changed) {
        changed = false;
        std::sort(boxes.begin(), boxes.end(), [](const Rect& a, const Rect& b) { return a.left < b.left; });
        std::vector<bool> gone(boxes.size(), false);
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (gone[i]) continue;
            for (size_t j = i + 1; j < boxes.size(); ++j) {
                if (boxes[j].left > boxes[i].right + kMaxHeight * 6 / 5) break;
                if (gone[j] || !SameRegion(boxes[i], boxes[j])) continue;
                boxes[i] = Union(boxes[i], boxes[j]);
                gone[j] = true;
                changed = true;
            }
        }
        size_t kept = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (!gone[i]) boxes[kept++] = boxes[i];
        boxes.resize(kept);
    }
    std::vector<Rect> regions;
    const Rect whole{0, 0, grey.width, grey.height};
    for (const Rect& b : boxes) {
        if (b.Height() < kMinHeight || b.Height() > kMaxHeight * 3 || b.Width() < 3) continue;
        const int margin = std::max(2, b.Height() / 5);
        regions.push_back(
            Rect{b.left - margin, b.top - margin, b.right + margin, b.bottom + margin}.Intersected(whole));
    }
    std::sort(regions.begin(), regions.end(),
              [](const Rect& a, const Rect& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
    return regions;
}

int ScaleForRegion(int height) {
    // The recogniser reads lines best when capitals are some 30 pixels tall.
    if (height <= 0) return 1;
    return std::clamp((48 + height - 1) / height, 1, 4);
}

int OtsuThreshold(const uint32_t histogram[256]) {
    uint64_t total = 0, sum = 0;
    for (int i = 0; i < 256; ++i) {
        total += histogram[i];
        sum += uint64_t(i) * histogram[i];
    }
    if (total == 0) return 127;
    uint64_t countLow = 0, sumLow = 0;
    double best = -1;
    int threshold = 127;
    for (int t = 0; t < 255; ++t) {
        countLow += histogram[t];
        sumLow += uint64_t(t) * histogram[t];
        if (countLow == 0 || countLow == total) continue;
        const double meanLow = double(sumLow) / double(countLow);
        const double meanHigh = double(sum - sumLow) / double(total - countLow);
        const double between =
            double(countLow) * double(total - countLow) * (meanLow - meanHigh) * (meanLow - meanHigh);
        if (between > best) {
            best = between;
            threshold = t;
        }
    }
    return threshold;
}

PreparedRegion PrepareRegion(const GreyImage& grey, const Rect& region, uint64_t maxPixels) {
    PreparedRegion out;
    const Rect r = region.Intersected(Rect{0, 0, grey.width, grey.height});
    out.source = r;
    if (r.IsEmpty()) return out;
    const int w = r.Width(), h = r.Height();
    uint32_t histogram[256] = {};
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) ++histogram[grey.At(x, y)];
    const int split = OtsuThreshold(histogram);
    uint64_t light = 0, lightSum = 0, darkSum = 0;
    for (int i = 0; i < 256; ++i) (i > split ? lightSum : darkSum) += uint64_t(i) * histogram[i];
    for (int i = split + 1; i < 256; ++i) light += histogram[i];
    const uint64_t count = uint64_t(w) * uint64_t(h);
    // The background is the larger class: light text on dark is turned over.
    out.inverted = light * 2 < count;
    // The threshold moves a little towards the background's mean, so the
    // faint pixels of thin strokes (an underscore, a comma) stay ink.
    const int background = out.inverted ? int(darkSum / std::max<uint64_t>(1, count - light))
                                        : int(lightSum / std::max<uint64_t>(1, light));
    const int threshold = split + (background - split) * kInkBias / 100;
    int s = ScaleForRegion(h);
    while (s > 1 && uint64_t(w * s + 2 * kRegionBorder) * uint64_t(h * s + 2 * kRegionBorder) > maxPixels) --s;
    out.scale = s;
    GreyImage& img = out.image;
    img.width = w * s + 2 * kRegionBorder;
    img.height = h * s + 2 * kRegionBorder;
    img.pixels.assign(size_t(img.width) * size_t(img.height), 255);
    // Bilinear upscale of the source grey, then the region's own threshold:
    // thresholding after the upscale keeps the antialiased edges' shape.
    const int t256 = threshold * 256 + 128;
    for (int oy = 0; oy < h * s; ++oy) {
        const int sy256 = std::max(0, ((2 * oy + 1) * 256 / (2 * s)) - 128);
        const int y0 = std::min(h - 1, sy256 >> 8), y1 = std::min(h - 1, y0 + 1), fy = sy256 & 255;
        uint8_t* dst = &img.pixels[size_t(oy + kRegionBorder) * size_t(img.width) + kRegionBorder];
        for (int ox = 0; ox < w * s; ++ox) {
            const int sx256 = std::max(0, ((2 * ox + 1) * 256 / (2 * s)) - 128);
            const int x0 = std::min(w - 1, sx256 >> 8), x1 = std::min(w - 1, x0 + 1), fx = sx256 & 255;
            const int top = grey.At(r.left + x0, r.top + y0) * (256 - fx) + grey.At(r.left + x1, r.top + y0) * fx;
            const int bottom = grey.At(r.left + x0, r.top + y1) * (256 - fx) + grey.At(r.left + x1, r.top + y1) * fx;
            const int v = (top * (256 - fy) + bottom * fy) >> 8;  // grey x 256
            const bool high = v > t256;
            dst[ox] = (high != out.inverted) ? 255 : 0;
        }
    }
    return out;
}

}  // namespace clipvane
