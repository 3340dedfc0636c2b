#include "image/ScrollStitch.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "image/PixelLimit.h"

namespace clipvane {

namespace {

constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline uint64_t Mix(uint64_t h, uint64_t v) {
    h ^= v;
    h *= kMul;
    return h ^ (h >> 29);
}

// A 64-bit hash of `bytes` bytes; four independent lanes keep the multiplier busy.
uint64_t HashRow(const uint8_t* p, size_t bytes) {
    uint64_t a = 1, b = 2, c = 3, d = 4;
    size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        a = Mix(a, Load64(p + i));
        b = Mix(b, Load64(p + i + 8));
        c = Mix(c, Load64(p + i + 16));
        d = Mix(d, Load64(p + i + 24));
    }
    uint64_t tail = 0;
    for (int shift = 0; i < bytes; ++i, shift = (shift + 8) & 63) {
        tail ^= uint64_t(p[i]) << shift;
        if (shift == 56) {
            a = Mix(a, tail);
            tail = 0;
        }
    }
    a = Mix(a, tail ^ bytes);
    return Mix(Mix(Mix(a, b), c), d);
}

// Rows handed from the stitched store to the result before their pages are released.
constexpr size_t kFinishSliceBytes = size_t(4) << 20;

}  // namespace

ScrollStitcher::~ScrollStitcher() { Release(); }

void ScrollStitcher::Release() {
    if (store_) munmap(store_, storeBytes_);
    store_ = nullptr;
    storeBytes_ = 0;
    rows_ = 0;
}

bool ScrollStitcher::Start(PixelImage first, int maxHeight) {
    Release();
    prev_.Destroy();
    prevHashes_.clear();
    steps_ = 0;
    lastShift_ = 0;
    movingRows_ = 0;
    edge_ = 0;
    if (first.IsEmpty() || (first.Depth() != 24 && first.Depth() != 32) || maxHeight <= 0) return false;
    width_ = first.Width();
    height_ = first.Height();
    bytesPerPixel_ = first.Depth() / 8;
    rowBytes_ = size_t(width_) * size_t(bytesPerPixel_);
    // The limit never lets the result past what a PixelImage may hold.
    const uint64_t maxRows = MaxPixelCount() / uint64_t(width_);
    maxHeight_ = int(std::min<uint64_t>({uint64_t(maxHeight), maxRows, uint64_t(INT_MAX)}));
    if (maxHeight_ <= 0) return false;
    // The reservation costs address space only: pages are faulted in as rows are written.
    storeBytes_ = rowBytes_ * size_t(maxHeight_);
    void* p = mmap(nullptr, storeBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        storeBytes_ = 0;
        return false;
    }
    store_ = static_cast<uint8_t*>(p);
    madvise(store_, storeBytes_, MADV_HUGEPAGE);  // fewer faults while rows stream in; a refusal is harmless
    // A frame wide enough to have one may hold a scroll bar in its leftmost
    // or rightmost columns: registration leaves both bands out, and they stay
    // in the result only as long as they move with the content.
    const bool bands = width_ > 4 * kScrollBarBand;
    matchLeft_ = bands ? kScrollBarBand : 0;
    matchRight_ = bands ? width_ - kScrollBarBand : width_;
    contentLeft_ = 0;
    contentRight_ = width_;
    prev_ = std::move(first);
    HashFrame(prev_, prevHashes_);
    return true;
}

void ScrollStitcher::HashFrame(const PixelImage& frame, std::vector<uint64_t>& hashes) const {
    hashes.resize(size_t(height_));
    const size_t bytes = size_t(matchRight_ - matchLeft_) * size_t(bytesPerPixel_);
    const size_t from = size_t(matchLeft_) * size_t(bytesPerPixel_);
    for (int y = 0; y < height_; ++y) hashes[size_t(y)] = HashRow(frame.Row(y) + from, bytes);
}

bool ScrollStitcher::RowsEqual(const PixelImage& a, int ya, const PixelImage& b, int yb) const {
    const size_t from = size_t(matchLeft_) * size_t(bytesPerPixel_);
    const size_t bytes = size_t(matchRight_ - matchLeft_) * size_t(bytesPerPixel_);
    return std::memcmp(a.Row(ya) + from, b.Row(yb) + from, bytes) == 0;
}

int ScrollStitcher::Height() const {
    if (!store_) return 0;
    return std::min(maxHeight_, rows_ + (height_ - edge_));
}

void ScrollStitcher::AppendRow(const uint8_t* row) {
    std::memcpy(store_ + size_t(rows_) * rowBytes_, row, rowBytes_);
    ++rows_;
}

void ScrollStitcher::NarrowToMovingColumns(const PixelImage& cur, int top, int count, int shift) {
    // A column that does not follow the content in some overlapping row is
    // not content: on the right the result ends left of the leftmost such
    // column, on the left it starts right of the rightmost one.
    const size_t bpp = size_t(bytesPerPixel_);
    for (int y = top; y < top + count && (contentRight_ > matchRight_ || contentLeft_ < matchLeft_); ++y) {
        const uint8_t* a = cur.Row(y);
        const uint8_t* b = prev_.Row(y + shift);
        for (size_t i = size_t(matchRight_) * bpp; i < size_t(contentRight_) * bpp; ++i) {
            if (a[i] != b[i]) {
                contentRight_ = int(i / bpp);
                break;
            }
        }
        for (size_t i = size_t(matchLeft_) * bpp; i > size_t(contentLeft_) * bpp; --i) {
            if (a[i - 1] != b[i - 1]) {
                contentLeft_ = int((i - 1) / bpp) + 1;
                break;
            }
        }
    }
}

StitchStep ScrollStitcher::Add(PixelImage frame) {
    if (!store_ || frame.Width() != width_ || frame.Height() != height_ || frame.Depth() != bytesPerPixel_ * 8) {
        return StitchStep::NoMatch;
    }
    if (rows_ >= maxHeight_) return StitchStep::LimitReached;
    std::vector<uint64_t> hashes;
    HashFrame(frame, hashes);
    const int h = height_;

    // Rows that stay put in both frames: a header from the top, a footer from the bottom.
    int top = 0;
    while (top < h && hashes[size_t(top)] == prevHashes_[size_t(top)] && RowsEqual(frame, top, prev_, top)) ++top;
    if (top == h) return StitchStep::NoMovement;
    int bottom = 0;
    while (bottom < h - top && hashes[size_t(h - 1 - bottom)] == prevHashes_[size_t(h - 1 - bottom)] &&
           RowsEqual(frame, h - 1 - bottom, prev_, h - 1 - bottom))
        ++bottom;
    const int end = h - bottom;  // the moving rows are [top, end) in both frames
    const int span = end - top;

    // Rows that occur once among the old frame's moving rows pin a distance;
    // blank lines and repeated rows do not.
    std::vector<uint64_t> sorted(prevHashes_.begin() + top, prevHashes_.begin() + end);
    std::sort(sorted.begin(), sorted.end());
    std::vector<uint8_t> single(size_t(h), 0);
    for (int y = top; y < end; ++y) {
        const auto range = std::equal_range(sorted.begin(), sorted.end(), prevHashes_[size_t(y)]);
        single[size_t(y)] = range.second - range.first == 1;
    }

    // Every distance at which the new frame's moving rows continue the old
    // one's (new row y shows what old row y + shift showed), with or without a
    // pinning row in the overlap. One pinned distance wins over any number of
    // unpinned ones (a few blank lines that also fit at the bottom); without
    // a pinned one, a single distance is taken only when nothing else fits.
    int pinned = 0, pinnedShift = 0, loose = 0, looseShift = 0;
    for (int d = 1; d < span && pinned < 2; ++d) {
        bool fits = true, pins = false;
        for (int y = top; y < end - d; ++y) {
            if (hashes[size_t(y)] != prevHashes_[size_t(y + d)]) {
                fits = false;
                break;
            }
            pins = pins || single[size_t(y + d)];
        }
        if (!fits) continue;
        if (pins) {
            if (pinned++ == 0) pinnedShift = d;
        } else if (loose++ == 0) {
            looseShift = d;
        }
    }
    if (pinned > 1 || (pinned == 0 && loose > 1)) return StitchStep::Ambiguous;
    if (pinned == 0 && loose == 0) return StitchStep::NoMatch;
    const int shift = pinned == 1 ? pinnedShift : looseShift;
    // Equal hashes are checked byte for byte: a collision is no match.
    for (int y = top; y < end - shift; ++y)
        if (!RowsEqual(frame, y, prev_, y + shift)) return StitchStep::NoMatch;

    NarrowToMovingColumns(frame, top, span - shift, shift);

    // The rows not stitched yet, counted in the old frame's rows: from the
    // edge down to the end of the moving rows as the new frame shows them.
    // Rows that went under the header in the new frame come from the old one.
    const int stop = end + shift;
    StitchStep result = StitchStep::Appended;
    int r = edge_;
    for (; r < stop; ++r) {
        if (rows_ >= maxHeight_) {
            result = StitchStep::LimitReached;
            break;
        }
        AppendRow(r - shift >= top ? frame.Row(r - shift) : prev_.Row(r));
    }
    edge_ = std::max(r, edge_) - shift;
    if (edge_ < 0) edge_ = 0;
    lastShift_ = shift;
    movingRows_ = span;
    ++steps_;
    prev_ = std::move(frame);
    prevHashes_.swap(hashes);
    return result;
}

bool ScrollStitcher::Finish(PixelImage& result) {
    if (!store_ || prev_.IsEmpty()) return false;
    const int total = Height();
    PixelImage out;
    if (!out.Create(Width(), total, bytesPerPixel_ * 8)) return false;
    const size_t keep = size_t(Width()) * size_t(bytesPerPixel_);
    const size_t skip = size_t(contentLeft_) * size_t(bytesPerPixel_);
    // Copy in slices and give each slice's pages back once copied, so the
    // stitched rows and the result are not both held whole.
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    size_t released = 0;
    for (int y = 0; y < rows_ && y < total; ++y) {
        std::memcpy(out.Row(y), store_ + size_t(y) * rowBytes_ + skip, keep);
        const size_t done = (size_t(y) + 1) * rowBytes_ / page * page;
        if (done - released >= kFinishSliceBytes) {
            madvise(store_ + released, done - released, MADV_DONTNEED);
            released = done;
        }
    }
    for (int y = rows_, r = edge_; y < total; ++y, ++r) std::memcpy(out.Row(y), prev_.Row(r) + skip, keep);
    Release();
    prev_.Destroy();
    prevHashes_.clear();
    result = std::move(out);
    return true;
}

}  // namespace clipvane
