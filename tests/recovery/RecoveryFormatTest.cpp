// The recovery entry format: every object kind and member survives a round
// trip, and the reader refuses damaged data of every kind without crashing or
// allocating what a length field claims.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "annotation/ObjectKinds.h"
#include "recovery/RecoveryFormat.h"
#include "recovery/RecoveryLock.h"

namespace clipvane {
namespace {

PixelImage Pattern(int width, int height, int depth) {
    PixelImage image;
    EXPECT_TRUE(image.Create(width, height, depth));
    for (size_t i = 0; i < image.ByteCount(); ++i) image.Bits()[i] = uint8_t(i * 37 + 11);
    image.originX = 3;
    image.originY = -4;
    return image;
}

RecoveryEntry EveryKind() {
    RecoveryEntry e;
    e.image = Pattern(7, 5, 24);
    e.title = u"Größe – 写真 😀";
    e.path = u"/tmp/ü/shot 1.png";
    e.modified = true;
    auto line = std::make_unique<LineObject>(kObjectLine);
    line->x1 = -3, line->y1 = 4, line->x2 = 100, line->y2 = 2000000;
    line->width = 7, line->color = 0x123456, line->style = 2, line->transparency = 30, line->shadow = 1;
    auto arrow = std::make_unique<LineObject>(kObjectArrow);
    arrow->x1 = 1, arrow->y1 = 2, arrow->x2 = 3, arrow->y2 = 4, arrow->style = 1, arrow->color = 0xABCDEF;
    auto text = std::make_unique<TextObject>();
    text->text = u"Hello\r\nwörld ✓ 𝄞";
    text->fontName = u"DejaVu Sans";
    text->left = 5, text->top = 6, text->right = 70, text->bottom = 80;
    text->fontSize = 22, text->textColor = 0xFF, text->backColor = 0xFF00, text->alignment = 2;
    text->bold = 1, text->italic = 1, text->underline = 1, text->boxStyle = 1, text->shadow = 1;
    auto shape = std::make_unique<ShapeObject>();
    shape->borderColor = 1, shape->fillColor = 2, shape->borderStyle = 3;
    shape->left = 9, shape->top = 8, shape->right = 7, shape->bottom = 6, shape->width = 5;
    auto highlight = std::make_unique<HighlightObject>();
    highlight->color = 0x00FFFF, highlight->left = 1, highlight->top = 1, highlight->right = 2;
    highlight->bottom = 2, highlight->transparency = 45;
    auto stamp = std::make_unique<StampObject>();
    stamp->left = 10, stamp->top = 11, stamp->right = 42, stamp->bottom = 43, stamp->stampIndex = 4;
    stamp->image = Pattern(3, 2, 32);
    auto bare = std::make_unique<StampObject>();  // a stamp without a picture
    e.objects.push_back(std::move(line));
    e.objects.push_back(std::move(arrow));
    e.objects.push_back(std::move(text));
    e.objects.push_back(std::move(shape));
    e.objects.push_back(std::move(highlight));
    e.objects.push_back(std::move(stamp));
    e.objects.push_back(std::move(bare));
    return e;
}

void ExpectSameImage(const PixelImage& a, const PixelImage& b) {
    ASSERT_EQ(a.IsEmpty(), b.IsEmpty());
    if (a.IsEmpty()) return;
    EXPECT_EQ(a.Width(), b.Width());
    EXPECT_EQ(a.Height(), b.Height());
    EXPECT_EQ(a.Depth(), b.Depth());
    EXPECT_EQ(a.originX, b.originX);
    EXPECT_EQ(a.originY, b.originY);
    ASSERT_EQ(a.ByteCount(), b.ByteCount());
    EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), a.ByteCount()), 0);
}

RecoveryEntry RoundTrip(const RecoveryEntry& in) {
    const std::vector<uint8_t> bytes = EncodeRecoveryEntry(in);
    RecoveryEntry out;
    std::string why;
    EXPECT_TRUE(DecodeRecoveryEntry(bytes.data(), bytes.size(), &out, &why)) << why;
    return out;
}

TEST(RecoveryFormat, EveryObjectKindAndMemberSurvives) {
    const RecoveryEntry in = EveryKind();
    const RecoveryEntry out = RoundTrip(in);
    EXPECT_EQ(out.title, in.title);
    EXPECT_EQ(out.path, in.path);
    EXPECT_TRUE(out.modified);
    ExpectSameImage(out.image, in.image);
    ASSERT_EQ(out.objects.size(), in.objects.size());
    for (size_t i = 0; i < in.objects.size(); ++i) {
        const AnnotationObject& a = *in.objects[i];
        const AnnotationObject& b = *out.objects[i];
        ASSERT_EQ(a.kind, b.kind) << i;
        EXPECT_EQ(a.transparency, b.transparency) << i;
        EXPECT_EQ(a.shadow, b.shadow) << i;
        switch (a.kind) {
        case kObjectLine:
        case kObjectArrow: {
            const auto &x = static_cast<const LineObject&>(a), &y = static_cast<const LineObject&>(b);
            EXPECT_EQ(std::tie(x.x1, x.y1, x.x2, x.y2, x.width, x.color, x.style),
                      std::tie(y.x1, y.y1, y.x2, y.y2, y.width, y.color, y.style));
            break;
        }
        case kObjectText: {
            const auto &x = static_cast<const TextObject&>(a), &y = static_cast<const TextObject&>(b);
            EXPECT_EQ(x.text, y.text);
            EXPECT_EQ(x.fontName, y.fontName);
            EXPECT_EQ(std::tie(x.left, x.top, x.right, x.bottom, x.fontSize, x.textColor, x.backColor, x.alignment),
                      std::tie(y.left, y.top, y.right, y.bottom, y.fontSize, y.textColor, y.backColor, y.alignment));
            EXPECT_EQ(std::tie(x.bold, x.italic, x.underline, x.boxStyle),
                      std::tie(y.bold, y.italic, y.underline, y.boxStyle));
            break;
        }
        case kObjectShape: {
            const auto &x = static_cast<const ShapeObject&>(a), &y = static_cast<const ShapeObject&>(b);
            EXPECT_EQ(std::tie(x.borderColor, x.fillColor, x.borderStyle, x.left, x.top, x.right, x.bottom, x.width),
                      std::tie(y.borderColor, y.fillColor, y.borderStyle, y.left, y.top, y.right, y.bottom, y.width));
            break;
        }
        case kObjectHighlight: {
            const auto &x = static_cast<const HighlightObject&>(a), &y = static_cast<const HighlightObject&>(b);
            EXPECT_EQ(std::tie(x.color, x.left, x.top, x.right, x.bottom),
                      std::tie(y.color, y.left, y.top, y.right, y.bottom));
            break;
        }
        case kObjectStamp: {
            const auto &x = static_cast<const StampObject&>(a), &y = static_cast<const StampObject&>(b);
            EXPECT_EQ(std::tie(x.left, x.top, x.right, x.bottom, x.stampIndex),
                      std::tie(y.left, y.top, y.right, y.bottom, y.stampIndex));
            ExpectSameImage(x.image, y.image);
            break;
        }
        }
    }
}

TEST(RecoveryFormat, ImagesOfEachDepthAndNoneSurvive) {
    for (int depth : {24, 32, 8}) {
        RecoveryEntry in;
        in.image = Pattern(13, 3, depth);  // odd width: padded rows
        if (depth == 8) in.image.SetGreyPalette();
        in.modified = false;
        const RecoveryEntry out = RoundTrip(in);
        ExpectSameImage(out.image, in.image);
        EXPECT_EQ(out.image.Palette(), in.image.Palette());
        EXPECT_FALSE(out.modified);
    }
    RecoveryEntry empty;
    const RecoveryEntry out = RoundTrip(empty);
    EXPECT_TRUE(out.image.IsEmpty());
    EXPECT_TRUE(out.objects.empty());
    EXPECT_TRUE(out.title.empty());
}

TEST(RecoveryFormat, RefusesEveryTruncationAndExtension) {
    const std::vector<uint8_t> bytes = EncodeRecoveryEntry(EveryKind());
    for (size_t n = 0; n < bytes.size(); ++n) {
        RecoveryEntry out;
        out.title = u"untouched";
        // A copy of exactly n bytes, so a sanitizer sees any read past them.
        const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + n);
        EXPECT_FALSE(DecodeRecoveryEntry(part.data(), part.size(), &out)) << n;
        EXPECT_EQ(out.title, u"untouched");
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    RecoveryEntry out;
    EXPECT_FALSE(DecodeRecoveryEntry(longer.data(), longer.size(), &out));
}

TEST(RecoveryFormat, RefusesWrongChecksumMagicAndVersion) {
    const std::vector<uint8_t> good = EncodeRecoveryEntry(EveryKind());
    RecoveryEntry out;
    std::string why;
    for (size_t at : {size_t(0), size_t(8), good.size() / 2, good.size() - 1}) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0x40;
        EXPECT_FALSE(DecodeRecoveryEntry(bad.data(), bad.size(), &out, &why)) << at;
    }
    // A right checksum over a wrong version is still refused.
    std::vector<uint8_t> version = good;
    version[8] = 2;
    const uint32_t crc = Crc32(version.data(), version.size() - 4);
    for (int i = 0; i < 4; ++i) version[version.size() - 4 + i] = uint8_t(crc >> (8 * i));
    EXPECT_FALSE(DecodeRecoveryEntry(version.data(), version.size(), &out, &why));
    EXPECT_EQ(why, "unknown recovery entry version");
}

// Writes `value` at `offset` and fixes the checksum, so that only the field's
// sense is judged.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
    const uint32_t crc = Crc32(bytes.data(), bytes.size() - 4);
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = uint8_t(crc >> (8 * i));
    return bytes;
}

TEST(RecoveryFormat, RefusesAbsurdLengthsWithoutAllocating) {
    RecoveryEntry in;
    in.title = u"ab";
    in.image = Pattern(2, 2, 24);
    const std::vector<uint8_t> good = EncodeRecoveryEntry(in);
    // Payload: modified (24), title count (28), "ab" (32), path count (36),
    // image present (40), width (44), height (48).
    RecoveryEntry out;
    for (auto [offset, value] : std::vector<std::pair<size_t, uint32_t>>{
             {28, 0xFFFFFFFF}, {36, 0x7FFFFFFF}, {40, 7}, {44, 0x7FFFFFFF}, {48, 0x40000000}, {44, 0}}) {
        const std::vector<uint8_t> bad = Patched(good, offset, value);
        EXPECT_FALSE(DecodeRecoveryEntry(bad.data(), bad.size(), &out)) << offset;
    }
    // An object count far beyond what the bytes can hold.
    const std::vector<uint8_t> count = Patched(good, good.size() - 8, 0xFFFFFFF0);
    EXPECT_FALSE(DecodeRecoveryEntry(count.data(), count.size(), &out));
}

// A damaged or forged entry restores its objects with every member inside
// the range a description may hold.
TEST(RecoveryFormat, OutOfRangeMembersAreClamped) {
    RecoveryEntry in;
    auto line = std::make_unique<LineObject>(kObjectLine);
    line->transparency = -500, line->shadow = 7, line->width = 1000000000, line->style = -1;
    line->x1 = INT32_MIN, line->y2 = INT32_MAX, line->color = 0xFF123456;
    auto text = std::make_unique<TextObject>();
    text->fontSize = 0, text->alignment = 9, text->bold = -3, text->right = 10, text->bottom = 10;
    auto shape = std::make_unique<ShapeObject>();
    shape->borderStyle = 4, shape->width = -2, shape->transparency = 101;
    auto stamp = std::make_unique<StampObject>();
    stamp->stampIndex = -4;
    in.objects.push_back(std::move(line));
    in.objects.push_back(std::move(text));
    in.objects.push_back(std::move(shape));
    in.objects.push_back(std::move(stamp));
    const RecoveryEntry out = RoundTrip(in);
    ASSERT_EQ(out.objects.size(), 4u);
    const auto& l = static_cast<const LineObject&>(*out.objects[0]);
    EXPECT_EQ(std::tie(l.transparency, l.shadow, l.width, l.style), std::make_tuple(0, 1, 10, 0));
    EXPECT_EQ(std::tie(l.x1, l.y2), std::make_tuple(-kMaxObjectCoordinate, kMaxObjectCoordinate));
    EXPECT_EQ(l.color, 0x123456u);
    const auto& t = static_cast<const TextObject&>(*out.objects[1]);
    EXPECT_EQ(std::tie(t.fontSize, t.alignment, t.bold, t.right), std::make_tuple(1, 2, 1, 10));
    const auto& s = static_cast<const ShapeObject&>(*out.objects[2]);
    EXPECT_EQ(std::tie(s.borderStyle, s.width, s.transparency), std::make_tuple(3, 1, 100));
    EXPECT_EQ(static_cast<const StampObject&>(*out.objects[3]).stampIndex, 0);
}

TEST(RecoveryFormat, FilesAreWrittenWholeAndReadBack) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("recovery-format-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "doc-1.cvr").string();
    ASSERT_TRUE(WriteRecoveryEntry(path, EveryKind()));
    RecoveryEntry out;
    std::string why;
    ASSERT_TRUE(ReadRecoveryEntry(path, &out, &why)) << why;
    EXPECT_EQ(out.objects.size(), 7u);
    // Only the entry is left in the folder: no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 10);
    EXPECT_FALSE(ReadRecoveryEntry(path, &out, &why));
    EXPECT_FALSE(ReadRecoveryEntry((dir / "missing.cvr").string(), &out, &why));
    EXPECT_FALSE(ReadRecoveryEntry(dir.string(), &out, &why));  // a folder
    std::filesystem::remove_all(dir);
}

TEST(RecoveryLock, ASecondHolderIsRefusedUntilRelease) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("recovery-lock-" + std::to_string(getpid()))).string();
    RecoveryLock first, second;
    ASSERT_TRUE(first.TryAcquire(path));
    EXPECT_FALSE(second.TryAcquire(path));
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_TRUE(second.TryAcquire(path));
    EXPECT_FALSE(RecoveryLock().TryAcquire("/nonexistent-folder/lock"));
    second.Release();
    std::remove(path.c_str());
}

}  // namespace
}  // namespace clipvane
