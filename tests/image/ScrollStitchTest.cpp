// ScrollStitcher: synthetic views of a tall page at known scroll offsets,
// stitched and compared row for row with the page itself (no repeated and no
// missing rows), with sticky bands, a scroll bar, repeated content and the
// height limit.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/PixelImage.h"
#include "image/ScrollStitch.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

using test::SamePixels;

constexpr int kW = 160;

// Row y of the page: its number in the first bytes, noise after, so every row differs.
PixelImage Page(int height, int width = kW) {
    PixelImage page;
    EXPECT_TRUE(page.Create(width, height, 24));
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = page.Row(y);
        for (int i = 0; i < width * 3; ++i) {
            seed = seed * 1103515245u + 12345u;
            p[i] = uint8_t(seed >> 16);
        }
        p[0] = uint8_t(y);
        p[1] = uint8_t(y >> 8);
    }
    return page;
}

PixelImage Band(int height, uint8_t value, int width = kW) {
    PixelImage band;
    EXPECT_TRUE(band.Create(width, height, 24));
    for (int y = 0; y < height; ++y) {
        std::memset(band.Row(y), value, size_t(width) * 3);
        band.Row(y)[0] = uint8_t(y);  // rows of a band differ from each other
    }
    return band;
}

// The visible area: `header` on top, `footer` at the bottom, the page scrolled
// to `offset` between them, and with `bar` columns a scroll bar at the right
// (at the left with `barLeft`) whose thumb sits at a row that follows the offset.
struct View {
    const PixelImage* page = nullptr;
    const PixelImage* header = nullptr;
    const PixelImage* footer = nullptr;
    int height = 100;
    int bar = 0;
    bool barLeft = false;

    int Span() const { return height - (header ? header->Height() : 0) - (footer ? footer->Height() : 0); }

    PixelImage At(int offset) const {
        PixelImage v;
        EXPECT_TRUE(v.Create(page->Width() + bar, height, 24));
        const size_t pageBytes = size_t(page->Width()) * 3;
        const size_t pageAt = barLeft ? size_t(bar) * 3 : 0, barAt = barLeft ? 0 : pageBytes;
        int y = 0;
        if (header)
            for (int i = 0; i < header->Height(); ++i, ++y) std::memcpy(v.Row(y) + pageAt, header->Row(i), pageBytes);
        for (int i = 0; i < Span(); ++i, ++y) std::memcpy(v.Row(y) + pageAt, page->Row(offset + i), pageBytes);
        if (footer)
            for (int i = 0; i < footer->Height(); ++i, ++y) std::memcpy(v.Row(y) + pageAt, footer->Row(i), pageBytes);
        const int thumb = offset * height / page->Height(), length = height * Span() / page->Height();
        for (int r = 0; r < height; ++r) {
            const uint8_t shade = r >= thumb && r < thumb + length ? 0x40 : 0xE0;
            std::memset(v.Row(r) + barAt, shade, size_t(bar) * 3);
        }
        return v;
    }

    // What the stitched image must be after scrolling from `first` down to `last`.
    PixelImage Truth(int last, int first = 0) const {
        const int head = header ? header->Height() : 0, foot = footer ? footer->Height() : 0;
        PixelImage t;
        EXPECT_TRUE(t.Create(page->Width(), head + last - first + Span() + foot, 24));
        const size_t bytes = size_t(page->Width()) * 3;
        int y = 0;
        for (int i = 0; i < head; ++i, ++y) std::memcpy(t.Row(y), header->Row(i), bytes);
        for (int i = first; i < last + Span(); ++i, ++y) std::memcpy(t.Row(y), page->Row(i), bytes);
        for (int i = 0; i < foot; ++i, ++y) std::memcpy(t.Row(y), footer->Row(i), bytes);
        return t;
    }
};

PixelImage TopRows(const PixelImage& image, int rows) {
    PixelImage t;
    EXPECT_TRUE(t.Create(image.Width(), rows, image.Depth()));
    for (int y = 0; y < rows; ++y) std::memcpy(t.Row(y), image.Row(y), size_t(image.Width()) * 3);
    return t;
}

// Stitches the views at `offsets` (the first is where it starts); every step must be accepted.
PixelImage StitchAll(const View& view, const std::vector<int>& offsets, int maxHeight = 100000) {
    ScrollStitcher s;
    EXPECT_TRUE(s.Start(view.At(offsets[0]), maxHeight));
    for (size_t i = 1; i < offsets.size(); ++i) {
        EXPECT_EQ(s.Add(view.At(offsets[i])), StitchStep::Appended) << "step " << i;
        EXPECT_EQ(s.LastShift(), offsets[i] - offsets[i - 1]) << "step " << i;
    }
    PixelImage out;
    EXPECT_TRUE(s.Finish(out));
    return out;
}

TEST(ScrollStitchJoin, OverlapsFromOneRowToAllButOne) {
    const PixelImage page = Page(600);
    const View view{&page};
    // Steps of 1 (all rows but one overlap), 99 (one row overlaps), and between.
    const std::vector<int> offsets = {0, 1, 100, 150, 249, 330, 400, 401};
    const PixelImage out = StitchAll(view, offsets);
    EXPECT_TRUE(SamePixels(out, view.Truth(401)));
}

TEST(ScrollStitchJoin, TextWithBlankLinesJoinsAtTheLinesNotTheGaps) {
    // Lines of 9 text rows and 5 blank ones: at the true distance the overlap
    // holds text, while many larger distances overlap blank rows only.
    PixelImage page = Page(700);
    for (int y = 0; y < 700; ++y)
        if (y % 14 >= 9) std::memset(page.Row(y), 0xFF, size_t(kW) * 3);
    const View view{&page};
    const PixelImage out = StitchAll(view, {0, 70, 150, 230, 310, 390, 470, 550, 600});
    EXPECT_TRUE(SamePixels(out, view.Truth(600)));
}

TEST(ScrollStitchJoin, PartialLastStepAndEndOfPage) {
    const PixelImage page = Page(330);
    const View view{&page};
    ScrollStitcher s;
    ASSERT_TRUE(s.Start(view.At(0), 100000));
    EXPECT_EQ(s.Add(view.At(90)), StitchStep::Appended);
    EXPECT_EQ(s.Add(view.At(180)), StitchStep::Appended);
    EXPECT_EQ(s.Add(view.At(230)), StitchStep::Appended);  // the page ends: only 50 rows move
    EXPECT_EQ(s.LastShift(), 50);
    EXPECT_EQ(s.Add(view.At(230)), StitchStep::NoMovement);
    EXPECT_EQ(s.Height(), 330);
    PixelImage out;
    ASSERT_TRUE(s.Finish(out));
    EXPECT_TRUE(SamePixels(out, page));
}

TEST(ScrollStitchJoin, StickyHeaderAndFooterAppearOnce) {
    const PixelImage page = Page(500);
    const PixelImage header = Band(12, 0x30), footer = Band(7, 0x90);
    const View view{&page, &header, &footer, 120};
    const PixelImage out = StitchAll(view, {0, 80, 160, 161, 250, 330, 399});
    EXPECT_TRUE(SamePixels(out, view.Truth(399)));
}

TEST(ScrollStitchJoin, ViewThatNeverMovesGivesItself) {
    const PixelImage page = Page(100);
    const View view{&page, nullptr, nullptr, 100, 20};
    ScrollStitcher s;
    ASSERT_TRUE(s.Start(view.At(0), 100000));
    EXPECT_EQ(s.Add(view.At(0)), StitchStep::NoMovement);
    PixelImage out;
    ASSERT_TRUE(s.Finish(out));
    EXPECT_TRUE(SamePixels(out, view.At(0)));  // nothing tells the scroll bar apart: full width
}

TEST(ScrollStitchJoin, BlankRowsAtTheEdgesAreNotTakenForStickyBands) {
    // A blank gap in the page lies at the bottom of two views in a row, and
    // at the top of two others: the stitcher must neither drop nor repeat it.
    PixelImage page = Page(400);
    for (int y = 150; y < 190; ++y) std::memset(page.Row(y), 0xFF, size_t(kW) * 3);
    for (int y = 0; y < 15; ++y) std::memset(page.Row(y), 0xFF, size_t(kW) * 3);
    const View view{&page};
    // Views 70 and 80 both end in the gap (a footer by the looks of it), 155
    // and 160 both start in it (a header); the overlaps always hold text.
    const PixelImage out = StitchAll(view, {0, 70, 80, 120, 130, 155, 160, 230, 300});
    EXPECT_TRUE(SamePixels(out, view.Truth(300)));
}

TEST(ScrollStitchBar, ScrollBarColumnsAreDroppedOnEitherSide) {
    const PixelImage page = Page(600);
    const PixelImage header = Band(10, 0x30);
    for (bool left : {false, true}) {
        const View view{&page, &header, nullptr, 150, 14, left};
        const PixelImage out = StitchAll(view, {0, 100, 200, 300, 400, 450});
        EXPECT_EQ(out.Width(), kW) << "bar on the left: " << left;
        EXPECT_TRUE(SamePixels(out, view.Truth(450))) << "bar on the left: " << left;
    }
}

TEST(ScrollStitchRefuse, RepeatingPatternIsAmbiguousAndKeepsWhatWasStitched) {
    // Rows 200 on repeat every 8 rows: once the view is inside them, several
    // distances fit.
    PixelImage page = Page(600);
    for (int y = 200; y < 600; ++y) std::memcpy(page.Row(y), page.Row(200 + (y - 200) % 8), size_t(kW) * 3);
    const View view{&page};
    ScrollStitcher s;
    ASSERT_TRUE(s.Start(view.At(0), 100000));
    ASSERT_EQ(s.Add(view.At(90)), StitchStep::Appended);
    ASSERT_EQ(s.Add(view.At(180)), StitchStep::Appended);
    EXPECT_EQ(s.Add(view.At(263)), StitchStep::Ambiguous);
    PixelImage out;
    ASSERT_TRUE(s.Finish(out));
    EXPECT_TRUE(SamePixels(out, view.Truth(180)));
}

TEST(ScrollStitchRefuse, OverlapOfBlankRowsIsAmbiguous) {
    // The rows both views share are all blank: any distance from 60 to 99 fits.
    PixelImage page = Page(400);
    for (int y = 50; y < 100; ++y) std::memset(page.Row(y), 0xFF, size_t(kW) * 3);
    const View view{&page};
    ScrollStitcher s;
    ASSERT_TRUE(s.Start(view.At(0), 100000));
    EXPECT_EQ(s.Add(view.At(60)), StitchStep::Ambiguous);
    PixelImage out;
    ASSERT_TRUE(s.Finish(out));
    EXPECT_TRUE(SamePixels(out, view.Truth(0)));

    // A page of nothing but blank rows looks the same wherever it is scrolled.
    PixelImage blank = Band(400, 0xFF);
    for (int y = 0; y < 400; ++y) blank.Row(y)[0] = 0xFF;
    const View empty{&blank};
    ASSERT_TRUE(s.Start(empty.At(10), 100000));
    EXPECT_EQ(s.Add(empty.At(60)), StitchStep::NoMovement);
}

TEST(ScrollStitchJoin, ScrollingIntoBlankRowsIsPinnedByTheLastText) {
    PixelImage page = Page(400);
    for (int y = 120; y < 400; ++y) std::memset(page.Row(y), 0xFF, size_t(kW) * 3);
    const View view{&page};
    const PixelImage out = StitchAll(view, {100, 110});
    EXPECT_TRUE(SamePixels(out, view.Truth(110, 100)));
}

TEST(ScrollStitchRefuse, ChangedContentIsNoMatchAndKeepsWhatWasStitched) {
    const PixelImage page = Page(500);
    PixelImage changed = Page(700);
    const View view{&page}, elsewhere{&changed};
    ScrollStitcher s;
    ASSERT_TRUE(s.Start(view.At(0), 100000));
    ASSERT_EQ(s.Add(view.At(60)), StitchStep::Appended);
    EXPECT_EQ(s.Add(elsewhere.At(600)), StitchStep::NoMatch);
    // Scrolled past the overlap: no row is shared.
    EXPECT_EQ(s.Add(view.At(200)), StitchStep::NoMatch);
    PixelImage small;
    ASSERT_TRUE(small.Create(kW, 50, 24));
    EXPECT_EQ(s.Add(small), StitchStep::NoMatch);
    PixelImage out;
    ASSERT_TRUE(s.Finish(out));
    EXPECT_TRUE(SamePixels(out, view.Truth(60)));
}

TEST(ScrollStitchLimit, StopsAtTheHeightLimitWithTheTopRows) {
    const PixelImage page = Page(800);
    const PixelImage header = Band(10, 0x30), footer = Band(10, 0x90);
    const View view{&page, &header, &footer, 120};
    ScrollStitcher s;
    ASSERT_TRUE(s.Start(view.At(0), 250));
    EXPECT_EQ(s.Add(view.At(90)), StitchStep::Appended);
    EXPECT_EQ(s.Add(view.At(180)), StitchStep::LimitReached);
    EXPECT_EQ(s.Add(view.At(270)), StitchStep::LimitReached);
    EXPECT_EQ(s.Height(), 250);
    PixelImage out;
    ASSERT_TRUE(s.Finish(out));
    EXPECT_TRUE(SamePixels(out, TopRows(view.Truth(700), 250)));
}

TEST(ScrollStitchLimit, LimitBelowOneFrameCutsTheFirstFrame) {
    const PixelImage page = Page(300);
    const View view{&page};
    ScrollStitcher s;
    ASSERT_TRUE(s.Start(view.At(0), 40));
    EXPECT_EQ(s.Height(), 40);
    PixelImage out;
    ASSERT_TRUE(s.Finish(out));
    EXPECT_TRUE(SamePixels(out, TopRows(page, 40)));
}

TEST(ScrollStitchLimit, RefusesWhatCannotBeStitched) {
    ScrollStitcher s;
    PixelImage out;
    EXPECT_FALSE(s.Finish(out));
    EXPECT_FALSE(s.Start(PixelImage(), 100));
    PixelImage grey;
    ASSERT_TRUE(grey.Create(10, 10, 8));
    EXPECT_FALSE(s.Start(grey, 100));
    EXPECT_EQ(s.Add(Page(10)), StitchStep::NoMatch);
}

}  // namespace
}  // namespace clipvane
