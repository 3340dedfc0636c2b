// clipvane-image annotate against the editor: the same objects added to a
// document and saved through its Save give the same file, byte for byte.
#include <gtest/gtest.h>

#include <QString>

#include <cstdlib>
#include <functional>
#include <string>

#include "annotation/ObjectsJson.h"
#include "document/ImageDocument.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/MagickFiles.h"

namespace clipvane {
namespace {

using test::Quote;

std::string Tool() {
    const char* bin = std::getenv("CLIPVANE_BINARY_DIR");
    return std::string(bin ? bin : ".") + "/clipvane-image";
}

std::unique_ptr<LineObject> Line(ObjectKind kind, int x1, int y1, int x2, int y2, int style, bool shadow) {
    auto line = std::make_unique<LineObject>(kind);
    line->x1 = x1;
    line->y1 = y1;
    line->x2 = x2;
    line->y2 = y2;
    line->width = kind == kObjectArrow ? 1 : 3;
    line->style = style;
    line->color = MakeColorRef(200, 30, 60);
    line->shadow = shadow;
    line->transparency = 10;
    return line;
}

template <class T>
std::unique_ptr<T> Boxed(int l, int t, int r, int b, bool shadow, int transparency) {
    auto object = std::make_unique<T>();
    SetObjectRect(*object, Rect{l, t, r, b});
    object->shadow = shadow;
    object->transparency = transparency;
    return object;
}

class AnnotateTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::FileExists(Tool())) GTEST_SKIP() << "clipvane-image not built";
        InstallHandlerFactory(new StandardHandlerFactory);
        // Opaque 24-bit input and one with real transparency, which the
        // editor saves with its alpha.
        ASSERT_TRUE(test::Magick("-size 90x70 gradient:yellow-navy -depth 8 " + Quote("PNG24:" + (dir_ / "in.png"))));
        ASSERT_TRUE(test::Magick("-size 90x70 gradient:'rgba(255,0,0,0.2)-rgba(0,0,255,1)' -depth 8 " +
                                 Quote("PNG32:" + (dir_ / "alpha.png"))));
        ASSERT_TRUE(test::Magick("-size 90x70 gradient:white-green -depth 8 " + Quote("BMP3:" + (dir_ / "in.bmp"))));
        ASSERT_TRUE(test::Magick("-size 12x9 gradient:'rgba(0,255,0,0.5)-rgba(255,0,255,1)' -depth 8 " +
                                 Quote("PNG32:" + (dir_ / "stamp.png"))));
    }

    // Saves `objects` over `input` through the document and through the
    // tool, as `type` files, and expects equal bytes.
    // `editable`: the editor's "PNG with editable annotations" against
    // annotate --keep-objects.
    void ExpectSameAsEditor(const ObjectList& objects, const std::string& input, const std::string& type,
                            bool drawn = true, bool editable = false) {
        SCOPED_TRACE(input + " -> " + type + (editable ? " editable" : ""));
        ImageDocument doc;
        ASSERT_TRUE(doc.OpenDocument(QString::fromStdString(dir_ / input)));
        ASSERT_FALSE(doc.image.IsEmpty());
        for (const auto& object : objects) doc.AddObject(CloneObject(*object));
        doc.SetSavesEditable(editable);
        const std::string editor = dir_ / ("editor." + type), tool = dir_ / ("tool." + type);
        ASSERT_TRUE(doc.SaveDocument(QString::fromStdString(editor)));

        // The stamp's path is relative: the tool finds it beside the description.
        const std::string json = WriteObjectsJson(objects, [](const StampObject&, size_t) { return "stamp.png"; });
        ASSERT_TRUE(test::WriteBytes(dir_ / "objects.json", std::vector<uint8_t>(json.begin(), json.end())));
        ASSERT_EQ(test::Run("cd / && " + Tool() + " annotate " + (editable ? "--keep-objects " : "") +
                            Quote(dir_ / input) + " " + Quote(dir_ / "objects.json") + " " + Quote(tool)),
                  0)
            << json;
        const std::vector<uint8_t> a = test::ReadBytes(editor), b = test::ReadBytes(tool);
        ASSERT_FALSE(a.empty());
        EXPECT_TRUE(a == b) << json;
        // The objects changed the picture: the comparison is not of two copies
        // of the input.
        if (drawn) {
            EXPECT_NE(test::Capture(Tool() + " info " + Quote(tool)),
                      test::Capture(Tool() + " info " + Quote(dir_ / input)));
        }
    }

    PixelImage Stamp() {
        // As the Stamp tool takes its picture: through the file layer, 32 bits.
        PixelImage image;
        EXPECT_TRUE(LoadFromFile(dir_ / "stamp.png", image));
        image.ConvertTo(32);
        return image;
    }

    // A 32-bit document saved as PNG (opaque, and with alpha; plain and with
    // editable annotations), BMP and TIFF, and a 24-bit one as BMP, JPEG, GIF
    // and TIFF.
    void ForEachInput(const ObjectList& objects, bool drawn = true) {
        for (const char* input : {"in.png", "alpha.png"}) {
            for (const char* type : {"png", "bmp", "tif"}) ExpectSameAsEditor(objects, input, type, drawn);
            ExpectSameAsEditor(objects, input, "png", drawn, true);
        }
        for (const char* type : {"bmp", "jpg", "gif", "tif"}) ExpectSameAsEditor(objects, "in.bmp", type, drawn);
    }

    test::ScratchDir dir_;
};

TEST_F(AnnotateTool, LinesMatchTheEditor) {
    ObjectList objects;
    objects.push_back(Line(kObjectLine, 5, 5, 80, 60, 0, true));
    objects.push_back(Line(kObjectLine, 80, 5, 5, 60, 1, false));
    objects.push_back(Line(kObjectLine, 10, 35, 85, 35, 2, true));
    ForEachInput(objects);
}

TEST_F(AnnotateTool, ArrowsMatchTheEditor) {
    ObjectList objects;
    objects.push_back(Line(kObjectArrow, 5, 60, 80, 10, 0, true));
    objects.push_back(Line(kObjectArrow, 85, 65, 20, 20, 1, false));
    ForEachInput(objects);
}

TEST_F(AnnotateTool, TextsMatchTheEditor) {
    ObjectList objects;
    auto text = Boxed<TextObject>(3, 3, 85, 40, true, 0);
    text->text = u"Caf\u00E9 \u2713\r\nsecond line";
    text->fontName = u"DejaVu Sans";
    text->fontSize = 11;
    text->bold = 1;
    text->textColor = MakeColorRef(0, 0, 160);
    text->backColor = MakeColorRef(255, 255, 200);
    text->alignment = 0;
    objects.push_back(std::move(text));
    auto clear = Boxed<TextObject>(10, 35, 88, 68, false, 30);
    clear->text = u"right, see-through";
    clear->fontName = u"No Such Font Family";
    clear->italic = 1;
    clear->underline = 1;
    clear->alignment = 2;
    clear->boxStyle = 1;
    objects.push_back(std::move(clear));
    ForEachInput(objects);
}

TEST_F(AnnotateTool, ShapesMatchTheEditor) {
    ObjectList objects;
    for (int style = 0; style < 4; ++style) {
        auto shape = Boxed<ShapeObject>(5 + 20 * style, 5 + 10 * style, 25 + 20 * style, 40 + 5 * style, style % 2 == 0,
                                        style * 10);
        shape->borderStyle = style;
        shape->width = 1 + 2 * style;
        shape->borderColor = MakeColorRef(10, 20, 30 * style);
        shape->fillColor = MakeColorRef(0, 128, 128);
        objects.push_back(std::move(shape));
    }
    ForEachInput(objects);
}

TEST_F(AnnotateTool, HighlightsMatchTheEditor) {
    ObjectList objects;
    objects.push_back(Boxed<HighlightObject>(10, 10, 60, 30, true, 50));
    auto second = Boxed<HighlightObject>(-10, 40, 200, 55, false, 73);  // partly outside the image
    second->color = MakeColorRef(255, 255, 0);
    objects.push_back(std::move(second));
    ForEachInput(objects);
}

TEST_F(AnnotateTool, StampsMatchTheEditor) {
    ObjectList objects;
    auto big = Boxed<StampObject>(5, 5, 60, 50, true, 0);
    big->image = Stamp();
    objects.push_back(std::move(big));
    auto small = Boxed<StampObject>(50, 40, 58, 46, false, 40);
    small->image = Stamp();
    objects.push_back(std::move(small));
    ForEachInput(objects);
}

TEST_F(AnnotateTool, NoObjectsSaveAsTheEditorDoes) { ForEachInput(ObjectList{}, false); }

TEST_F(AnnotateTool, RefusedDescriptionWritesNothing) {
    const std::string json = R"([{"kind": "line"}, {"kind": "shape", "right": 5, "bottom": 5, "width": 11}])";
    ASSERT_TRUE(test::WriteBytes(dir_ / "bad.json", std::vector<uint8_t>(json.begin(), json.end())));
    const std::string command =
        Tool() + " annotate " + Quote(dir_ / "in.png") + " " + Quote(dir_ / "bad.json") + " " + Quote(dir_ / "o.png");
    EXPECT_EQ(test::Run(command + " 2>/dev/null"), 1);
    EXPECT_EQ(test::Capture(command + " 2>&1"),
              "clipvane-image: " + (dir_ / "bad.json") + ": element 1, key \"width\": 11 is outside 1..10\n");
    EXPECT_FALSE(test::FileExists(dir_ / "o.png"));

    const std::string stamp = R"([{"kind": "stamp", "right": 5, "bottom": 5, "image": "missing.png"}])";
    ASSERT_TRUE(test::WriteBytes(dir_ / "stamp.json", std::vector<uint8_t>(stamp.begin(), stamp.end())));
    const std::string message = test::Capture(Tool() + " annotate " + Quote(dir_ / "in.png") + " " +
                                              Quote(dir_ / "stamp.json") + " " + Quote(dir_ / "o.png") + " 2>&1");
    EXPECT_NE(message.find("element 0, key \"image\": cannot read 'missing.png': No such file or directory"),
              std::string::npos)
        << message;
    EXPECT_FALSE(test::FileExists(dir_ / "o.png"));
}

TEST_F(AnnotateTool, FilesThatCannotBeReadOrWritten) {
    const std::string json = "[]";
    ASSERT_TRUE(test::WriteBytes(dir_ / "o.json", std::vector<uint8_t>(json.begin(), json.end())));
    const auto annotate = [&](const std::string& in, const std::string& objects, const std::string& out) {
        return Tool() + " annotate " + Quote(in) + " " + Quote(objects) + " " + Quote(out) + " 2>&1";
    };
    EXPECT_EQ(test::Capture(annotate(dir_ / "in.png", dir_ / "none.json", dir_ / "o.png")),
              "clipvane-image: cannot read '" + (dir_ / "none.json") + "': No such file or directory\n");
    // A pipe is refused at once, not waited on.
    ASSERT_EQ(test::Run("mkfifo " + Quote(dir_ / "fifo")), 0);
    EXPECT_EQ(test::Capture(annotate(dir_ / "in.png", dir_ / "fifo", dir_ / "o.png")),
              "clipvane-image: cannot read '" + (dir_ / "fifo") + "': it is not a regular file\n");
    EXPECT_EQ(test::Capture(annotate(dir_ / "none.png", dir_ / "o.json", dir_ / "o.png")),
              "clipvane-image: cannot read an image from '" + (dir_ / "none.png") + "': No such file or directory\n");
    EXPECT_EQ(test::Capture(annotate(dir_ / "in.png", dir_ / "o.json", dir_ / "o.ico")),
              "clipvane-image: cannot write '" + (dir_ / "o.ico") + "': Clipvane cannot write files of this type\n");
    EXPECT_FALSE(test::FileExists(dir_ / "o.png"));
    EXPECT_FALSE(test::FileExists(dir_ / "o.ico"));
    EXPECT_EQ(test::Run(Tool() + " annotate " + Quote(dir_ / "in.png") + " " + Quote(dir_ / "o.json") + " 2>/dev/null"),
              2);
}

TEST_F(AnnotateTool, NeedsNoDisplayAndLeavesTheOtherCommandsFreeOfQt) {
    // With no display and a platform that would need one, every command
    // still runs: annotate draws on the offscreen platform, the others never
    // start Qt.
    const std::string json = R"([{"kind": "highlight", "left": 5, "top": 5, "right": 50, "bottom": 40}])";
    ASSERT_TRUE(test::WriteBytes(dir_ / "o.json", std::vector<uint8_t>(json.begin(), json.end())));
    const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ";
    EXPECT_EQ(test::Run(env + Tool() + " annotate " + Quote(dir_ / "in.png") + " " + Quote(dir_ / "o.json") + " " +
                        Quote(dir_ / "a.png")),
              0);
    EXPECT_EQ(test::Run(env + Tool() + " convert " + Quote(dir_ / "a.png") + " " + Quote(dir_ / "a.bmp")), 0);
    EXPECT_EQ(test::Run(env + Tool() + " info " + Quote(dir_ / "a.bmp") + " >/dev/null"), 0);
    EXPECT_EQ(test::Run(env + Tool() + " apply 20020 " + Quote(dir_ / "a.bmp") + " " + Quote(dir_ / "b.bmp")), 0);
}

// --keep-objects: the file shows the flattened picture, info counts its
// objects, and annotating it again adds to them over the pixels that were
// under them. Only PNG files can keep objects.
TEST_F(AnnotateTool, KeepObjectsWritesAnEditablePng) {
    ObjectList objects;
    objects.push_back(Line(kObjectLine, 5, 5, 80, 60, 0, true));
    objects.push_back(Boxed<HighlightObject>(10, 10, 50, 30, false, 40));
    const std::string json = WriteObjectsJson(objects);
    ASSERT_TRUE(test::WriteBytes(dir_ / "objects.json", std::vector<uint8_t>(json.begin(), json.end())));
    const std::string in = Quote(dir_ / "in.png"), description = Quote(dir_ / "objects.json");
    ASSERT_EQ(test::Run(Tool() + " annotate --keep-objects " + in + " " + description + " " + Quote(dir_ / "kept.png")),
              0);
    ASSERT_EQ(test::Run(Tool() + " annotate " + in + " " + description + " " + Quote(dir_ / "flat.png")), 0);
    const std::string kept = test::Capture(Tool() + " info " + Quote(dir_ / "kept.png"));
    const std::string flat = test::Capture(Tool() + " info " + Quote(dir_ / "flat.png"));
    ASSERT_EQ(flat.back(), '\n');
    EXPECT_EQ(kept, flat.substr(0, flat.size() - 1) + " objects=2\n");
    EXPECT_EQ(test::Capture(Tool() + " info " + in).find("objects="), std::string::npos);

    // Again over the editable file: four objects over the original pixels,
    // the same picture as all four drawn at once.
    ASSERT_EQ(test::Run(Tool() + " annotate --keep-objects " + Quote(dir_ / "kept.png") + " " + description + " " +
                        Quote(dir_ / "twice.png")),
              0);
    EXPECT_NE(test::Capture(Tool() + " info " + Quote(dir_ / "twice.png")).find(" objects=4\n"), std::string::npos);
    const std::string doubled = WriteObjectsJson([&] {
        ObjectList four;
        for (int i = 0; i < 2; ++i)
            for (const auto& o : objects) four.push_back(CloneObject(*o));
        return four;
    }());
    ASSERT_TRUE(test::WriteBytes(dir_ / "four.json", std::vector<uint8_t>(doubled.begin(), doubled.end())));
    ASSERT_EQ(test::Run(Tool() + " annotate --keep-objects " + in + " " + Quote(dir_ / "four.json") + " " +
                        Quote(dir_ / "four.png")),
              0);
    EXPECT_TRUE(test::ReadBytes(dir_ / "four.png") == test::ReadBytes(dir_ / "twice.png"));

    // A damaged chunk: info still prints the flattened picture, and says why
    // the objects are not counted.
    std::vector<uint8_t> bytes = test::ReadBytes(dir_ / "kept.png");
    bytes[bytes.size() - 30] ^= 1;
    ASSERT_TRUE(test::WriteBytes(dir_ / "damaged.png", bytes));
    EXPECT_EQ(test::Capture(Tool() + " info " + Quote(dir_ / "damaged.png") + " 2>/dev/null"), flat);
    EXPECT_NE(test::Capture(Tool() + " info " + Quote(dir_ / "damaged.png") + " 2>&1 >/dev/null")
                  .find("damaged.png: editable annotations not used: its editable data is damaged"),
              std::string::npos);

    // Only .png names, and only known options.
    const std::string refused = test::Capture(Tool() + " annotate --keep-objects " + in + " " + description + " " +
                                              Quote(dir_ / "out.bmp") + " 2>&1; echo status=$?");
    EXPECT_NE(refused.find("--keep-objects writes PNG files"), std::string::npos) << refused;
    EXPECT_NE(refused.find("status=2"), std::string::npos) << refused;
    EXPECT_FALSE(test::FileExists(dir_ / "out.bmp"));
    EXPECT_EQ(
        test::Run(Tool() + " annotate --keep " + in + " " + description + " " + Quote(dir_ / "o.png") + " 2>/dev/null"),
        2);
}

}  // namespace
}  // namespace clipvane
