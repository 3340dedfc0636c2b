// PNG with editable annotations: round trips of every object kind and member
// over 24- and 32-bit pictures, the flattened pixels as any viewer sees them
// (the plain PNG's bytes, ImageMagick, libvips), and damaged or mismatched
// chunks read as plain pictures with a reason.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "annotation/EditablePng.h"
#include "annotation/ObjectsJson.h"
#include "image/PixelLimit.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "imagefile/Png.h"
#include "imagefile/PngChunks.h"
#include "imagefile/Sha256.h"
#include "support/MagickFiles.h"

namespace clipvane {
namespace {

using test::ScratchDir;

PixelImage Pattern(int width, int height, int depth, int seed) {
    PixelImage image;
    image.Create(width, height, depth);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * depth / 8; ++x) image.Row(y)[x] = uint8_t(x * 7 + y * 13 + seed);
    return image;
}

// Every kind with members away from their defaults, two stamps with
// pictures and one without.
ObjectList EveryKind() {
    ObjectList list;
    auto line = std::make_unique<LineObject>(kObjectLine);
    *line = LineObject(kObjectLine);
    line->x1 = -kMaxObjectCoordinate;
    line->y1 = 7;
    line->x2 = kMaxObjectCoordinate;
    line->y2 = -3;
    line->width = 10;
    line->color = MakeColorRef(0x12, 0xAB, 0xEF);
    line->style = 2;
    line->transparency = 100;
    list.push_back(std::move(line));
    auto arrow = std::make_unique<LineObject>(kObjectArrow);
    arrow->x1 = 1;
    arrow->y2 = 40;
    arrow->width = 4;
    arrow->style = 1;
    arrow->shadow = 1;
    list.push_back(std::move(arrow));
    auto text = std::make_unique<TextObject>();
    text->text = u"Line \"one\"\\\r\nTab\there \u00E9\u4E2D \U0001F600 \u0001 lone \xD800 end";
    text->fontName = u"DejaVu Serif";
    SetObjectRect(*text, Rect{-5, -6, 200, 100});
    text->fontSize = 1000;
    text->textColor = MakeColorRef(1, 2, 3);
    text->backColor = MakeColorRef(0xFE, 0xDC, 0xBA);
    text->alignment = 2;
    text->bold = text->italic = text->underline = text->boxStyle = 1;
    list.push_back(std::move(text));
    auto shape = std::make_unique<ShapeObject>();
    SetObjectRect(*shape, Rect{3, 4, 50, 60});
    shape->borderColor = MakeColorRef(9, 8, 7);
    shape->fillColor = MakeColorRef(200, 100, 50);
    shape->borderStyle = 3;
    shape->width = 1;
    shape->shadow = 1;
    list.push_back(std::move(shape));
    auto highlight = std::make_unique<HighlightObject>();
    SetObjectRect(*highlight, Rect{0, 0, 1, 1});
    highlight->color = MakeColorRef(255, 255, 0);
    highlight->transparency = 0;
    list.push_back(std::move(highlight));
    for (int seed : {1, 2, 0}) {
        auto stamp = std::make_unique<StampObject>();
        SetObjectRect(*stamp, Rect{10, 10, 42, 42});
        if (seed) stamp->image = Pattern(3 + seed, 2, 32, seed * 50);
        list.push_back(std::move(stamp));
    }
    return list;
}

// Every member as the writer spells it, with each stamp's pixels as its path.
std::string Describe(const ObjectList& objects) {
    return WriteObjectsJson(objects, [](const StampObject& stamp, size_t) {
        return stamp.image.IsEmpty() ? std::string() : "pixels:" + PixelDigest(stamp.image);
    });
}

bool SamePixels(const PixelImage& a, const PixelImage& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.Depth() == b.Depth() &&
           PixelDigest(a) == PixelDigest(b);
}

EditableContent Content(int depth, bool transparent) {
    EditableContent content;
    content.image = Pattern(37, 23, depth, 5);
    content.transparent = transparent;
    content.objects = EveryKind();
    return content;
}

std::vector<uint8_t> Encode(const PixelImage& flattened, bool alpha, const EditableContent& content) {
    std::string error;
    std::vector<uint8_t> file =
        EncodeEditablePng(flattened, alpha, content.image, content.transparent, content.objects, error);
    EXPECT_FALSE(file.empty()) << error;
    return file;
}

// The chunk's payload, and the file with a new payload in its place (with a
// correct PNG CRC, so that only the payload's own checks can find a fault).
std::vector<uint8_t> Payload(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> data;
    std::string why;
    EXPECT_EQ(FindPngChunks(file.data(), file.size(), kEditableChunkType, ~uint64_t(0), data, why),
              PngChunkSearch::kFound);
    return data;
}

std::vector<uint8_t> WithoutChunk(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> out(file.begin(), file.begin() + 8);
    for (size_t at = 8; at + 12 <= file.size();) {
        const size_t length =
            size_t(file[at]) << 24 | size_t(file[at + 1]) << 16 | size_t(file[at + 2]) << 8 | file[at + 3];
        if (std::memcmp(&file[at + 4], kEditableChunkType, 4) != 0)
            out.insert(out.end(), file.begin() + long(at), file.begin() + long(at + 12 + length));
        at += 12 + length;
    }
    return out;
}

std::vector<uint8_t> WithPayload(const std::vector<uint8_t>& file, std::vector<uint8_t> payload, bool resign) {
    if (resign && payload.size() >= 32) {
        Sha256 sum;
        sum.Update(payload.data(), payload.size() - 32);
        sum.Final(&payload[payload.size() - 32]);
    }
    std::vector<uint8_t> out = WithoutChunk(file);
    EXPECT_TRUE(InsertPngChunks(out, kEditableChunkType, payload.data(), payload.size()));
    return out;
}

void PutBe32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

// Expects the bytes to read as a plain picture whose reason contains `words`.
void ExpectDamaged(const std::vector<uint8_t>& file, const PixelImage* flattened, const std::string& words) {
    EditableContent out;
    std::string why;
    EXPECT_EQ(DecodeEditablePng(file.data(), file.size(), flattened, out, why), EditableState::kDamaged) << words;
    EXPECT_NE(why.find(words), std::string::npos) << why;
    EXPECT_TRUE(out.objects.empty());
    EXPECT_TRUE(out.image.IsEmpty());
}

TEST(EditablePng, EveryKindAndMemberComesBackAt24And32Bits) {
    for (const auto& [depth, transparent] : {std::pair{24, false}, {32, false}, {32, true}}) {
        SCOPED_TRACE("depth " + std::to_string(depth) + (transparent ? " with alpha" : ""));
        const EditableContent content = Content(depth, transparent);
        const PixelImage flattened = Pattern(37, 23, depth, 99);
        const std::vector<uint8_t> file = Encode(flattened, transparent, content);
        EditableContent out;
        std::string why;
        ASSERT_EQ(DecodeEditablePng(file.data(), file.size(), &flattened, out, why), EditableState::kEditable) << why;
        EXPECT_TRUE(SamePixels(out.image, content.image));
        EXPECT_EQ(out.transparent, transparent);
        ASSERT_EQ(out.objects.size(), content.objects.size());
        EXPECT_EQ(Describe(out.objects), Describe(content.objects));
    }
}

TEST(EditablePng, FileIsThePlainPngPlusOneChunkBeforeIend) {
    for (bool alpha : {false, true}) {
        const PixelImage flattened = Pattern(37, 23, 32, 99);
        const std::vector<uint8_t> file = Encode(flattened, alpha, Content(32, alpha));
        EXPECT_EQ(WithoutChunk(file), EncodePngImage(flattened, alpha));
        // The chunk sits right before IEND, the last 12 bytes.
        const size_t end = file.size() - 12;
        EXPECT_EQ(std::memcmp(&file[end + 4], "IEND", 4), 0);
        const std::vector<uint8_t> payload = Payload(file);
        EXPECT_EQ(std::memcmp(&file[end - 4 - payload.size() - 4], kEditableChunkType, 4), 0);
        EXPECT_EQ(payload[3], kEditableVersion);
    }
}

TEST(EditablePng, OtherProgramsShowTheFlattenedPixels) {
    ScratchDir dir;
    InstallHandlerFactory(new StandardHandlerFactory);
    for (bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "RGBA" : "RGB");
        PixelImage flattened = Pattern(37, 23, 32, 99);
        if (!alpha) flattened.SetAlpha(255);
        const std::string path = dir / (alpha ? "rgba.png" : "rgb.png");
        const EditableContent content = Content(32, alpha);
        ASSERT_TRUE(SaveEditablePng(path, flattened, alpha, content.image, true, content.objects))
            << LastImageFileError();
        // ImageMagick decodes exactly the flattened pixels.
        EXPECT_EQ(test::MaxDifference(test::MagickPixels(path), test::ImagePixels(flattened), alpha), 0);
        EXPECT_EQ(test::Capture("identify -format '%wx%h' " + test::Quote(path)), "37x23");
        // libvips: its own copy of the file, as a plain PNG, read back by ImageMagick.
        const std::string copy = dir / "vips.png";
        ASSERT_EQ(test::Run("vips copy " + test::Quote(path) + " " + test::Quote(copy) + " 2>/dev/null"), 0);
        EXPECT_EQ(test::MaxDifference(test::MagickPixels(copy), test::ImagePixels(flattened), alpha), 0);
        // The file layer's decoder agrees, and the chunk belongs to what it decoded.
        PixelImage loaded;
        ASSERT_TRUE(LoadFromFile(path, loaded));
        EditableContent out;
        std::string why;
        EXPECT_EQ(ReadEditablePng(path, &loaded, out, why), EditableState::kEditable) << why;
        EXPECT_EQ(out.objects.size(), 8u);
        // The copy libvips wrote has no chunk: a plain picture.
        ASSERT_TRUE(LoadFromFile(copy, loaded));
        EXPECT_EQ(ReadEditablePng(copy, &loaded, out, why), EditableState::kPlain);
    }
}

TEST(EditablePng, PlainAndForeignFilesArePlain) {
    const PixelImage flattened = Pattern(37, 23, 24, 1);
    const std::vector<uint8_t> plain = EncodePng(flattened);
    EditableContent out;
    std::string why;
    EXPECT_EQ(DecodeEditablePng(plain.data(), plain.size(), &flattened, out, why), EditableState::kPlain);
    const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(DecodeEditablePng(text.data(), text.size(), nullptr, out, why), EditableState::kPlain);
    EXPECT_EQ(DecodeEditablePng(nullptr, 0, nullptr, out, why), EditableState::kPlain);
    // A file cut inside its pixel data, before the chunk: the file's own damage.
    const std::vector<uint8_t> file = Encode(flattened, false, Content(24, false));
    const std::vector<uint8_t> cut(file.begin(), file.begin() + 60);
    EXPECT_EQ(DecodeEditablePng(cut.data(), cut.size(), nullptr, out, why), EditableState::kPlain);
    EXPECT_EQ(ReadEditablePng("/nonexistent/file.png", nullptr, out, why), EditableState::kPlain);
}

TEST(EditablePng, DamagedChunksReadAsPlainWithAReason) {
    const PixelImage flattened = Pattern(37, 23, 24, 99);
    const EditableContent content = Content(24, false);
    const std::vector<uint8_t> file = Encode(flattened, false, content);
    const std::vector<uint8_t> payload = Payload(file);
    const size_t chunkData = file.size() - 12 - 4 - payload.size();

    // Every 97th byte of the chunk flipped: its CRC finds it.
    for (size_t i = chunkData - 8; i < file.size() - 12; i += 97) {
        std::vector<uint8_t> bad = file;
        bad[i] ^= 0x40;
        EditableContent out;
        std::string why;
        EXPECT_NE(DecodeEditablePng(bad.data(), bad.size(), &flattened, out, why), EditableState::kEditable) << i;
        EXPECT_TRUE(out.objects.empty());
    }
    ExpectDamaged(std::vector<uint8_t>(file.begin(), file.begin() + long(chunkData + 10)), nullptr, "ends inside");
    ExpectDamaged(std::vector<uint8_t>(file.begin(), file.end() - 12), nullptr, "ends before its last chunk");
    // A chunk that claims 2 GiB - 1 in a small file, and one past PNG's limit:
    // refused before anything is allocated.
    for (uint32_t length : {0x7FFFFFFFu, 0xFFFFFFF0u}) {
        std::vector<uint8_t> bad = file;
        PutBe32(bad, chunkData - 8, length);
        ExpectDamaged(bad, nullptr, "its editable data is damaged");
    }

    // Payload faults behind a correct PNG CRC.
    std::vector<uint8_t> flipped = payload;
    flipped[60] ^= 1;
    ExpectDamaged(WithPayload(file, flipped, false), &flattened, "checksum");
    std::vector<uint8_t> newer = payload;
    PutBe32(newer, 0, 2);
    ExpectDamaged(WithPayload(file, newer, true), &flattened, "newer Clipvane (format version 2)");
    ExpectDamaged(WithPayload(file, std::vector<uint8_t>(payload.begin(), payload.begin() + 40), true), &flattened,
                  "cut short");
    std::vector<uint8_t> huge = payload;
    PutBe32(huge, 8, 100000);  // width
    PutBe32(huge, 12, 100000);
    ExpectDamaged(WithPayload(file, huge, true), nullptr, "megapixels");
    // 10000 x 10000 within the pixel limit, but far more than the stream
    // could inflate to: refused before 300 MB are taken.
    std::vector<uint8_t> claims = payload;
    PutBe32(claims, 8, 10000);
    PutBe32(claims, 12, 10000);
    ExpectDamaged(WithPayload(file, claims, true), nullptr, "cannot be unpacked");
    std::vector<uint8_t> depth = payload;
    PutBe32(depth, 16, 16);
    ExpectDamaged(WithPayload(file, depth, true), nullptr, "depth");
    std::vector<uint8_t> longJson = payload;
    PutBe32(longJson, 24, 0x7FFFFFF0);
    ExpectDamaged(WithPayload(file, longJson, true), nullptr, "cut short");
    std::vector<uint8_t> trailing = payload;
    trailing.insert(trailing.end() - 32, 0);
    ExpectDamaged(WithPayload(file, trailing, true), nullptr, "past its end");

    // The JSON is read as strictly as any description: a refused key, and a
    // stamp that names a file outside this one, are refused with the reason.
    const uint32_t jsonSize =
        uint32_t(payload[24]) << 24 | uint32_t(payload[25]) << 16 | payload[26] << 8 | payload[27];
    std::string json(payload.begin() + 28, payload.begin() + 28 + jsonSize);
    for (const auto& [from, to, words] :
         {std::tuple{"\"width\": 10", "\"width\": 11", "element 0, key \"width\": 11 is outside 1..10"},
          {"\"image\": \"#0\"", "\"image\": \"/etc/passwd\"", "not a picture kept in the file"},
          {"\"image\": \"#1\"", "\"image\": \"#7\"", "not a picture kept in the file"}}) {
        std::string changed = json;
        const size_t at = changed.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        changed.replace(at, std::strlen(from), to);
        std::vector<uint8_t> bad(payload.begin(), payload.begin() + 24);
        bad.resize(28);
        PutBe32(bad, 24, uint32_t(changed.size()));
        bad.insert(bad.end(), changed.begin(), changed.end());
        bad.insert(bad.end(), payload.begin() + 28 + jsonSize, payload.end());
        ExpectDamaged(WithPayload(file, bad, true), &flattened, words);
    }
}

TEST(EditablePng, AnEmptyChunkIsAPlainPicture) {
    const PixelImage flattened = Pattern(37, 23, 24, 1);
    std::vector<uint8_t> file = EncodePng(flattened);
    ASSERT_TRUE(InsertPngChunks(file, kEditableChunkType, nullptr, 0));
    EditableContent out;
    std::string why;
    EXPECT_EQ(DecodeEditablePng(file.data(), file.size(), &flattened, out, why), EditableState::kPlain) << why;
}

// Stamp pictures that together claim more than the pixel limit are refused
// before any of them is inflated.
TEST(EditablePng, StampSizesAreCheckedTogetherBeforeInflating) {
    const PixelImage flattened = Pattern(37, 23, 24, 99);
    const std::vector<uint8_t> file = Encode(flattened, false, Content(24, false));
    std::vector<uint8_t> payload = Payload(file);
    const size_t jsonSize =
        size_t(payload[24]) << 24 | size_t(payload[25]) << 16 | size_t(payload[26]) << 8 | payload[27];
    size_t at = 28 + jsonSize;
    ASSERT_EQ(payload[at + 3], 2);  // two stamps with pictures
    at += 4;
    const auto side = uint32_t(std::sqrt(double(MaxPixelCount()) * 0.6));
    for (int stamp = 0; stamp < 2; ++stamp) {
        const size_t size = size_t(payload[at + 8]) << 24 | size_t(payload[at + 9]) << 16 |
                            size_t(payload[at + 10]) << 8 | payload[at + 11];
        PutBe32(payload, at, side);
        PutBe32(payload, at + 4, side);
        at += 12 + size;
    }
    ExpectDamaged(WithPayload(file, payload, true), &flattened, "exceed the pixel limit");
}

TEST(EditablePng, ChunkMustBelongToTheFilesPixels) {
    const PixelImage flattened = Pattern(37, 23, 24, 99);
    const std::vector<uint8_t> file = Encode(flattened, false, Content(24, false));
    // Another program changed one pixel and kept the chunk.
    PixelImage changed = flattened;
    changed.Row(5)[7] ^= 1;
    ExpectDamaged(file, &changed, "pixels were changed");
    ExpectDamaged(file, &static_cast<const PixelImage&>(Pattern(36, 23, 24, 99)), "another size");
    // An RGBA file decoded without its alpha.
    PixelImage wideFlat = Pattern(37, 23, 32, 99);
    const std::vector<uint8_t> rgbaFile = Encode(wideFlat, true, Content(32, true));
    PixelImage noAlpha = wideFlat;
    noAlpha.ConvertTo(24);
    ExpectDamaged(rgbaFile, &noAlpha, "pixels were changed");
    // A 32-bit picture written as RGB is checked on its colour bytes only.
    PixelImage wide = Pattern(37, 23, 32, 99);
    const std::vector<uint8_t> rgb = Encode(wide, false, Content(32, false));
    PixelImage narrow = wide;
    narrow.ConvertTo(24);
    EditableContent out;
    std::string why;
    EXPECT_EQ(DecodeEditablePng(rgb.data(), rgb.size(), &narrow, out, why), EditableState::kEditable) << why;
}

TEST(EditablePng, RefusesWhatCannotBeReadBack) {
    EditableContent content = Content(24, false);
    std::string error;
    PixelImage grey = Pattern(37, 23, 8, 1);
    EXPECT_TRUE(EncodeEditablePng(grey, false, content.image, false, content.objects, error).empty());
    EXPECT_NE(error.find("24 or 32 bits"), std::string::npos) << error;
    for (size_t i = content.objects.size(); i <= kMaxObjectsJsonElements; ++i)
        content.objects.push_back(NewEditorObject(kObjectLine));
    EXPECT_TRUE(EncodeEditablePng(Pattern(37, 23, 24, 1), false, content.image, false, content.objects, error).empty());
    EXPECT_NE(error.find("10000 objects"), std::string::npos) << error;
    // An object the reader would refuse (an empty box) is not written.
    EditableContent empty = Content(24, false);
    empty.objects.push_back(std::make_unique<ShapeObject>());
    EXPECT_TRUE(EncodeEditablePng(empty.image, false, empty.image, false, empty.objects, error).empty());
    EXPECT_NE(error.find("an object cannot be kept editable: element 8, key \"right\""), std::string::npos) << error;
    // A failed save leaves the file that was there.
    ScratchDir dir;
    const std::string path = dir / "kept.png";
    ASSERT_TRUE(test::WriteBytes(path, {1, 2, 3}));
    EXPECT_FALSE(SaveEditablePng(path, Pattern(37, 23, 24, 1), false, content.image, false, content.objects));
    EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_NE(LastImageFileError().find("10000 objects"), std::string::npos);
}

}  // namespace
}  // namespace clipvane
