#pragma once
// Joins the frames of a scrolling capture into one tall image.
//
// Each frame is the same area of the screen after one more scroll step. A new
// frame is registered against the previous one: rows that stay put in both
// (a sticky header or toolbar at the top, a footer at the bottom) are set
// aside, and the rest is matched by row hashes, then checked byte for byte
// over the whole overlap. A match is accepted only when exactly one scroll
// distance fits; the rows that came into view are then appended. The result
// holds the header once at its top, the content, and the last frame's footer
// once at its bottom. Columns at either edge that do not follow the
// content's movement (a scroll bar on the left or the right) are left out of
// the result.
//
// Memory: the stitched rows (faulted in as they are written, up to the height
// limit) and the previous frame; Finish hands the rows over to the result a
// slice at a time, releasing each slice as it goes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/PixelImage.h"

namespace clipvane {

enum class StitchStep {
    Appended,      // the content moved by a distance that fits uniquely
    NoMovement,    // the frame shows what the previous one showed: the end of the page
    Ambiguous,     // several distances fit (blank lines, a repeating pattern)
    NoMatch,       // no distance fits (the content changed, or moved past the overlap)
    LimitReached,  // the result reached the height limit; the rows past it are dropped
};

// The leftmost and the rightmost columns of a frame wider than four times
// this, where a scroll bar may sit.
inline constexpr int kScrollBarBand = 32;

class ScrollStitcher {
public:
    ScrollStitcher() = default;
    ~ScrollStitcher();
    ScrollStitcher(const ScrollStitcher&) = delete;
    ScrollStitcher& operator=(const ScrollStitcher&) = delete;

    // Starts over with the first frame (24 or 32 bits). The result never
    // gets taller than `maxHeight` rows. False for an empty frame, another
    // depth or a refused allocation.
    bool Start(PixelImage first, int maxHeight);

    // Registers the next frame against the previous one. Only Appended moves
    // on to the new frame; after any other answer the stitched rows stay as
    // they were and Finish gives them with the previous frame's remainder. A
    // frame of another size or depth is NoMatch.
    StitchStep Add(PixelImage frame);

    // The distance of the last Appended step, in rows, and how many rows moved
    // in it (the frame less the rows that stayed put).
    int LastShift() const { return lastShift_; }
    int MovingRows() const { return movingRows_; }
    // The last accepted frame.
    const PixelImage& Previous() const { return prev_; }
    // Height of the result if Finish were called now.
    int Height() const;
    // The width the result will have.
    int Width() const { return contentRight_ - contentLeft_; }
    int Steps() const { return steps_; }
    // Bytes held by the stitched rows so far (not counting the previous frame).
    size_t RowBytes() const { return size_t(rows_) * rowBytes_; }

    // The tall image (the depth of the frames): everything stitched, then the
    // rows of the last accepted frame below what was stitched. Leaves the
    // stitcher empty. False when nothing was started or the result could not
    // be allocated.
    bool Finish(PixelImage& result);

private:
    void AppendRow(const uint8_t* row);
    bool Reserve(size_t rows);
    void Release();
    void HashFrame(const PixelImage& frame, std::vector<uint64_t>& hashes) const;
    // Compares the columns that registration uses.
    bool RowsEqual(const PixelImage& a, int ya, const PixelImage& b, int yb) const;
    void NarrowToMovingColumns(const PixelImage& cur, int top, int count, int shift);

    PixelImage prev_;
    std::vector<uint64_t> prevHashes_;
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 0;
    int maxHeight_ = 0;
    int matchLeft_ = 0;  // columns [matchLeft_, matchRight_) are compared by registration
    int matchRight_ = 0;
    int contentLeft_ = 0;  // columns [contentLeft_, contentRight_) are kept in the result
    int contentRight_ = 0;
    int edge_ = 0;  // first row of prev_ not yet stitched
    int lastShift_ = 0;
    int movingRows_ = 0;
    int steps_ = 0;

    // The stitched rows, top-down, in an anonymous mapping reserved for the
    // height limit and faulted in as rows are written.
    uint8_t* store_ = nullptr;
    size_t storeBytes_ = 0;
    size_t rowBytes_ = 0;
    int rows_ = 0;
};

}  // namespace clipvane
