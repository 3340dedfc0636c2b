// Image and Filter commands on a band: every command that keeps the size
// changes the band exactly as it would change a cropped copy of it, reads
// nothing outside it and leaves every outside byte alone; Redact pixelates
// text into uniform cells; each command is one undo step that restores the
// image exactly.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "document/BandEffects.h"
#include "document/EffectDialogs.h"
#include "document/ImageDocument.h"
#include "document/QImageBridge.h"
#include "image/effects/EffectCommands.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"
#include "support/TestEffects.h"

namespace clipvane {
namespace {

using test::At;
using test::SamePixels;

struct BandCommand {
    int id;
    EffectParams params;
};

EffectParams P(std::initializer_list<int32_t> values) {
    EffectParams p;
    for (int32_t v : values) p.values[p.count++] = v;
    return p;
}

// Every Image and Filter command that keeps the size, with parameters away
// from their defaults (odd cell sizes, so cells do not line up with the band).
const std::vector<BandCommand>& SizeKeepingCommands() {
    static const std::vector<BandCommand> commands = {
        {kCmdBrightnessContrast, P({130, 140})},
        {kCmdHueSaturation, P({60, 150})},
        {kCmdColorTone, P({0x2080F0})},
        {kCmdRgbValue, P({40, -30, 10})},
        {kCmdColorLevel, P({30, 200, 7})},
        {kCmdAutoColorLevel, {}},
        {kCmdGreyImage, {}},
        {kCmdInvert, {}},
        {kCmdNoisy, P({80})},
        {kCmdBlot, P({40})},
        {kCmdEmboss, P({3})},
        {kCmdOilPaint, P({3})},
        {kCmdSplash, P({7})},
        {kCmdPosterize, P({4})},
        {kCmdMosaic, P({9})},
        {kCmdHalftone, {}},
        {kCmdBlur, {}},
        {kCmdGrid, P({10, 60})},
    };
    return commands;
}

constexpr Rect kBand{13, 9, 63, 46};
constexpr uint32_t kSeed = 4242;

// True when every pixel outside `band` has the same blue, green and red bytes
// in both images (24 or 32 bits each).
bool SameOutside(const PixelImage& a, const PixelImage& b, const Rect& band) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            if (x >= band.left && x < band.right && y >= band.top && y < band.bottom) continue;
            if (std::memcmp(a.PixelAddress(x, y), b.PixelAddress(x, y), 3) != 0) return false;
        }
    return true;
}

TEST(BandCommands, OnlyRotationsFlipsAndResizeChangeTheSize) {
    std::set<int> keeping{kCmdRedact};
    for (const BandCommand& c : SizeKeepingCommands()) keeping.insert(c.id);
    for (int id = kCmdFirstEffect - 1; id <= kCmdLastEffect + 1; ++id)
        EXPECT_EQ(EffectCommandKeepsSize(id), keeping.count(id) == 1) << id;
}

TEST(BandCommands, EachChangesTheBandAsACroppedCopyAndNothingOutside) {
    const PixelImage original = test::PhotoLike(96, 72, 24, 7);
    // The same picture with every pixel outside the band changed: a filter
    // that read outside would give another band.
    PixelImage otherOutside = original;
    for (int y = 0; y < otherOutside.Height(); ++y)
        for (int x = 0; x < otherOutside.Width(); ++x)
            if (!(x >= kBand.left && x < kBand.right && y >= kBand.top && y < kBand.bottom))
                otherOutside.PixelAddress(x, y)[1] ^= 0xA5;
    for (const BandCommand& c : SizeKeepingCommands()) {
        SCOPED_TRACE(c.id);
        ImageDocument doc;
        doc.image = original;
        doc.ApplyEffectCommand(c.id, c.params, &kSeed, kBand);
        ASSERT_EQ(doc.image.Width(), 96);
        ASSERT_EQ(doc.image.Height(), 72);
        ASSERT_EQ(doc.image.Depth(), 24);
        // Outside: every byte of every row as it was.
        EXPECT_TRUE(SameOutside(doc.image, original, kBand));

        PixelImage expected = CopyBand(original, kBand);
        ASSERT_TRUE(RunEffectCommand(c.id, c.params, expected, nullptr, &kSeed));
        EXPECT_TRUE(SamePixels(CopyBand(doc.image, kBand), expected));

        ImageDocument other;
        other.image = otherOutside;
        other.ApplyEffectCommand(c.id, c.params, &kSeed, kBand);
        EXPECT_TRUE(SamePixels(CopyBand(other.image, kBand), expected));

        EXPECT_EQ(doc.UndoCount(), 1);
        doc.OnUndo();
        // The step's snapshot is of the image at 32 bits, as the command took it.
        EXPECT_TRUE(SameOutside(doc.image, original, Rect{}));
    }
}

TEST(BandCommands, ThirtyTwoBitImageKeepsEveryOutsidePixel) {
    const PixelImage original = test::PhotoLike(80, 60, 32, 3);
    ImageDocument doc;
    doc.image = original;
    doc.ApplyEffectCommand(kCmdBlur, {}, nullptr, kBand);
    EXPECT_TRUE(SameOutside(doc.image, original, kBand));
    PixelImage expected = CopyBand(original, kBand);
    RunEffectCommand(kCmdBlur, {}, expected);
    EXPECT_TRUE(SamePixels(CopyBand(doc.image, kBand), expected));
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, original));  // alpha bytes included
}

TEST(BandCommands, BandIsClippedToTheImageAndOneMissingItChangesTheWholeImage) {
    const PixelImage original = test::Gradient(40, 30, 24);
    ImageDocument doc;
    doc.image = original;
    doc.ApplyEffectCommand(kCmdInvert, {}, nullptr, Rect{30, 20, 90, 90});
    EXPECT_EQ(At(doc.image, 35, 25), At(original, 35, 25) ^ 0xFFFFFF);
    EXPECT_EQ(At(doc.image, 29, 25), At(original, 29, 25));
    EXPECT_EQ(At(doc.image, 35, 19), At(original, 35, 19));

    // A band wholly outside the image is no band.
    ImageDocument whole;
    whole.image = original;
    whole.ApplyEffectCommand(kCmdInvert, {}, nullptr, Rect{50, 40, 60, 50});
    EXPECT_EQ(At(whole.image, 0, 0), At(original, 0, 0) ^ 0xFFFFFF);
}

TEST(BandCommands, SizeChangingCommandsWorkOnTheWholeImage) {
    const PixelImage original = test::Gradient(40, 30, 24);
    ImageDocument doc;
    doc.image = original;
    doc.ApplyEffectCommand(kCmdFlipHorizontal, {}, nullptr, Rect{2, 2, 10, 10});
    EXPECT_EQ(At(doc.image, 0, 5), At(original, 39, 5));
    EXPECT_EQ(At(doc.image, 39, 25), At(original, 0, 25));
    doc.ApplyEffectCommand(kCmdRotate90, {}, nullptr, Rect{2, 2, 10, 10});
    EXPECT_EQ(doc.image.Width(), 30);
    EXPECT_EQ(doc.image.Height(), 40);
    EXPECT_TRUE(doc.EffectBand().IsEmpty());
}

// Stands in for the effect dialogs: checks the band they are told about and
// applies an effect through the document, as OK does.
class BandDialogs : public EffectDialogs {
public:
    Rect seenBand;
    int applyBlue = 30;
    void RunEffectDialog(ImageDocument& doc, int) override {
        seenBand = doc.EffectBand();
        test::AddBlueEffect effect(applyBlue);
        doc.RunEffect(&effect);
    }
    void RunBrightnessContrastDialog(ImageDocument& doc) override {
        seenBand = doc.EffectBand();
        std::vector<std::unique_ptr<ImageEffect>> effects;
        effects.push_back(std::make_unique<test::AddBlueEffect>(applyBlue));
        effects.push_back(std::make_unique<test::AddBlueEffect>(applyBlue));
        doc.RunEffects(effects);
    }
    bool RunResizeDialog(ImageDocument& doc, int& w, int& h, int&) override {
        seenBand = doc.EffectBand();
        w /= 2;
        h /= 2;
        return true;
    }
};

TEST(BandCommands, DialogCommandsApplyToTheBandAsOneStep) {
    const PixelImage original = test::Gradient(40, 30, 24);
    for (int id : {int(kCmdMosaic), int(kCmdBrightnessContrast), int(kCmdHueSaturation)}) {
        SCOPED_TRACE(id);
        ImageDocument doc;
        doc.image = original;
        BandDialogs dialogs;
        doc.OnEffectCommand(id, &dialogs, Rect{5, 6, 20, 16});
        EXPECT_EQ(dialogs.seenBand, (Rect{5, 6, 20, 16}));
        EXPECT_TRUE(doc.EffectBand().IsEmpty());  // only while the command runs
        EXPECT_TRUE(SameOutside(doc.image, original, Rect{5, 6, 20, 16}));
        const int added = id == kCmdBrightnessContrast ? 60 : 30;
        EXPECT_EQ(doc.image.PixelAddress(5, 6)[0], original.PixelAddress(5, 6)[0] + added);
        EXPECT_EQ(doc.image.PixelAddress(19, 15)[0], original.PixelAddress(19, 15)[0] + added);
        EXPECT_EQ(doc.UndoCount(), 1);
        doc.OnUndo();
        EXPECT_TRUE(SamePixels(doc.image, original));
    }
    // The resize dialog is told of no band.
    ImageDocument doc;
    doc.image = original;
    BandDialogs dialogs;
    dialogs.seenBand = Rect{1, 1, 2, 2};
    doc.OnEffectCommand(kCmdResize, &dialogs, Rect{5, 6, 20, 16});
    EXPECT_TRUE(dialogs.seenBand.IsEmpty());
    EXPECT_EQ(doc.image.Width(), 20);
}

TEST(Redact, CellIsTheBandHeightFromTwelveToTwoHundred) {
    EXPECT_EQ(RedactCell(1), 12);
    EXPECT_EQ(RedactCell(11), 12);
    EXPECT_EQ(RedactCell(12), 12);
    EXPECT_EQ(RedactCell(19), 19);
    EXPECT_EQ(RedactCell(200), 200);
    EXPECT_EQ(RedactCell(1000), 200);
}

// Every `cell` x `cell` block of `band` (from its top-left, clipped) is one colour.
bool UniformCells(const PixelImage& image, const Rect& band, int cell) {
    for (int y0 = band.top; y0 < band.bottom; y0 += cell)
        for (int x0 = band.left; x0 < band.right; x0 += cell)
            for (int y = y0; y < std::min(y0 + cell, band.bottom); ++y)
                for (int x = x0; x < std::min(x0 + cell, band.right); ++x)
                    if (std::memcmp(image.PixelAddress(x, y), image.PixelAddress(x0, y0), 3) != 0) return false;
    return true;
}

TEST(Redact, TwelvePixelTextBecomesUniformCellsInOneUndoStep) {
    QImage page(260, 40, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        QFont font;
        font.setPixelSize(12);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(4, 14, 250, 12), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("token: 8f3a-91cc-secret"));
    }
    ImageDocument doc;
    ASSERT_TRUE(FromQImage(page, doc.image));
    const PixelImage original = doc.image;
    const Rect band{4, 14, 200, 26};
    ASSERT_FALSE(UniformCells(original, band, 12));  // the text is there

    ASSERT_TRUE(doc.Redact(band));
    EXPECT_TRUE(UniformCells(doc.image, band, 12));
    // Not a blank: the cells keep the line's mean colours, and some differ.
    std::set<uint32_t> colours;
    for (int x = band.left; x < band.right; x += 12) colours.insert(At(doc.image, x, band.top) & 0xFFFFFF);
    EXPECT_GT(colours.size(), 1u);
    EXPECT_TRUE(SameOutside(doc.image, original, band));
    EXPECT_EQ(doc.UndoCount(), 1);
    const PixelImage redacted = doc.image;
    doc.OnUndo();
    EXPECT_TRUE(SamePixels(doc.image, original));
    doc.OnRedo();
    EXPECT_TRUE(SamePixels(doc.image, redacted));
}

TEST(Redact, ATallBandTakesTallCellsAndAShortOneTwelve) {
    const PixelImage original = test::PhotoLike(120, 90, 24, 11);
    ImageDocument tall;
    tall.image = original;
    ASSERT_TRUE(tall.Redact(Rect{10, 5, 110, 55}));
    EXPECT_TRUE(UniformCells(tall.image, Rect{10, 5, 110, 55}, 50));
    EXPECT_NE(At(tall.image, 10, 5), At(tall.image, 60, 5));

    ImageDocument shortBand;
    shortBand.image = original;
    ASSERT_TRUE(shortBand.Redact(Rect{7, 40, 70, 46}));
    EXPECT_TRUE(UniformCells(shortBand.image, Rect{7, 40, 70, 46}, 12));
    EXPECT_TRUE(SameOutside(shortBand.image, original, Rect{7, 40, 70, 46}));
}

TEST(Redact, WithoutABandItDoesNothingAndRecordsNothing) {
    ImageDocument doc;
    doc.image = test::Gradient(40, 30, 32);
    const PixelImage original = doc.image;
    EXPECT_FALSE(doc.Redact(Rect{}));
    EXPECT_FALSE(doc.Redact(Rect{50, 50, 60, 60}));
    doc.OnEffectCommand(kCmdRedact, nullptr);
    EXPECT_EQ(doc.UndoCount(), 0);
    EXPECT_EQ(doc.modified, 0);
    EXPECT_TRUE(SamePixels(doc.image, original));
}

}  // namespace
}  // namespace clipvane
