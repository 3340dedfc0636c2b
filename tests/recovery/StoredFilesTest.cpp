// Files written by earlier versions: a recovery entry and an editable PNG
// kept as bytes. Both must read back to the same objects and write out to the
// very same bytes, so that stored files never change meaning.
#include <gtest/gtest.h>

#include <vector>

#include "annotation/EditablePng.h"
#include "annotation/ObjectsJson.h"
#include "recovery/RecoveryFormat.h"

namespace clipvane {
namespace {

#include "recovery/StoredFilesData.inc"

PixelImage Pattern(int width, int height, int depth, int seed) {
    PixelImage image;
    image.Create(width, height, depth);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * depth / 8; ++x) image.Row(y)[x] = uint8_t(x * 7 + y * 13 + seed);
    return image;
}

// Every kind with every member away from its default.
ObjectList EveryKind() {
    ObjectList list;
    auto line = std::make_unique<LineObject>(kObjectLine);
    line->x1 = -3, line->y1 = 4, line->x2 = 100, line->y2 = 200000;
    line->width = 7, line->color = 0x123456, line->style = 2, line->transparency = 30, line->shadow = 1;
    auto arrow = std::make_unique<LineObject>(kObjectArrow);
    arrow->x1 = 1, arrow->y1 = 2, arrow->x2 = 3, arrow->y2 = 4, arrow->style = 1, arrow->color = 0xABCDEF;
    arrow->width = 3;
    auto text = std::make_unique<TextObject>();
    text->text = u"Hello\r\nwörld \"✓\" 𝄞";
    text->fontName = u"DejaVu Sans";
    text->left = 5, text->top = 6, text->right = 70, text->bottom = 80;
    text->fontSize = 22, text->textColor = 0xFF, text->backColor = 0xFF00, text->alignment = 2;
    text->bold = 1, text->italic = 1, text->underline = 1, text->boxStyle = 1, text->shadow = 1;
    auto shape = std::make_unique<ShapeObject>();
    shape->borderColor = 1, shape->fillColor = 2, shape->borderStyle = 3;
    shape->left = -9, shape->top = 8, shape->right = 17, shape->bottom = 16, shape->width = 5;
    auto highlight = std::make_unique<HighlightObject>();
    highlight->color = 0x00FFFF, highlight->left = 1, highlight->top = 1, highlight->right = 2;
    highlight->bottom = 2, highlight->transparency = 45;
    auto stamp = std::make_unique<StampObject>();
    stamp->left = 10, stamp->top = 11, stamp->right = 42, stamp->bottom = 43, stamp->stampIndex = 4;
    stamp->image = Pattern(3, 2, 32, 9);
    stamp->shadow = 1;
    list.push_back(std::move(line));
    list.push_back(std::move(arrow));
    list.push_back(std::move(text));
    list.push_back(std::move(shape));
    list.push_back(std::move(highlight));
    list.push_back(std::move(stamp));
    return list;
}

RecoveryEntry Entry() {
    RecoveryEntry entry;
    entry.image = Pattern(5, 4, 24, 3);
    entry.title = u"shot";
    entry.path = u"/tmp/shot.png";
    entry.objects = EveryKind();
    return entry;
}

std::vector<uint8_t> EditablePngBytes(const ObjectList& objects) {
    std::string error;
    const PixelImage image = Pattern(6, 5, 24, 1);
    return EncodeEditablePng(image, false, image, false, objects, error);
}

// Every member as the description spells it, stamps named by their pixels.
std::string Describe(const ObjectList& objects) {
    return WriteObjectsJson(objects, [](const StampObject& stamp, size_t) {
        std::string name = "pixels";
        for (size_t i = 0; i < stamp.image.ByteCount(); ++i) name += std::to_string(stamp.image.Bits()[i]) + ",";
        return name;
    });
}

TEST(StoredFiles, RecoveryEntryReadsBackAndWritesTheSameBytes) {
    EXPECT_EQ(EncodeRecoveryEntry(Entry()), kStoredRecovery);
    RecoveryEntry read;
    std::string why;
    ASSERT_TRUE(DecodeRecoveryEntry(kStoredRecovery.data(), kStoredRecovery.size(), &read, &why)) << why;
    EXPECT_EQ(Describe(read.objects), Describe(EveryKind()));
    EXPECT_EQ(static_cast<const StampObject&>(*read.objects.back()).stampIndex, 4);
    EXPECT_EQ(EncodeRecoveryEntry(read), kStoredRecovery);
}

TEST(StoredFiles, EditablePngReadsBackAndWritesTheSameBytes) {
    EXPECT_EQ(EditablePngBytes(EveryKind()), kStoredEditablePng);
    const PixelImage flattened = Pattern(6, 5, 24, 1);
    EditableContent content;
    std::string why;
    ASSERT_EQ(DecodeEditablePng(kStoredEditablePng.data(), kStoredEditablePng.size(), &flattened, content, why),
              EditableState::kEditable)
        << why;
    EXPECT_EQ(Describe(content.objects), Describe(EveryKind()));
    EXPECT_EQ(EditablePngBytes(content.objects), kStoredEditablePng);
}

}  // namespace
}  // namespace clipvane
