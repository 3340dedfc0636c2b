// The JSON description of annotation objects: round trips of every member,
// the editor's defaults, and the refusals with their messages.
#include <gtest/gtest.h>

#include <string>

#include "annotation/Json.h"
#include "annotation/ObjectsJson.h"
#include "image/PixelLimit.h"

namespace clipvane {
namespace {

// A 3 x 2 32-bit picture whose pixels tell the paths apart.
PixelImage Picture(uint8_t seed) {
    PixelImage image;
    image.Create(3, 2, 32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* p = image.Row(y) + 4 * x;
            p[0] = uint8_t(seed + x);
            p[1] = uint8_t(seed + y);
            p[2] = seed;
            p[3] = uint8_t(100 + x + y);
        }
    return image;
}

// Stamp pictures by path: "a.png" and "b.bmp" exist, anything else does not.
bool LoadTestStamp(const std::string& path, PixelImage& image, std::string& error) {
    if (path == "a.png" || path == "b.bmp") {
        image = Picture(path == "a.png" ? 10 : 200);
        return true;
    }
    error = "No such file or directory";
    return false;
}

bool SameImage(const PixelImage& a, const PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width() * a.Depth() / 8; ++x)
            if (a.Row(y)[x] != b.Row(y)[x]) return false;
    return true;
}

void ExpectSame(const AnnotationObject& a, const AnnotationObject& b, size_t i) {
    SCOPED_TRACE("element " + std::to_string(i));
    ASSERT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.transparency, b.transparency);
    EXPECT_EQ(a.shadow, b.shadow);
    switch (a.kind) {
    case kObjectLine:
    case kObjectArrow: {
        const auto &p = static_cast<const LineObject&>(a), &q = static_cast<const LineObject&>(b);
        EXPECT_EQ(p.x1, q.x1);
        EXPECT_EQ(p.y1, q.y1);
        EXPECT_EQ(p.x2, q.x2);
        EXPECT_EQ(p.y2, q.y2);
        EXPECT_EQ(p.width, q.width);
        EXPECT_EQ(p.color, q.color);
        EXPECT_EQ(p.style, q.style);
        break;
    }
    case kObjectText: {
        const auto &p = static_cast<const TextObject&>(a), &q = static_cast<const TextObject&>(b);
        EXPECT_TRUE(p.text == q.text);
        EXPECT_TRUE(p.fontName == q.fontName);
        EXPECT_EQ(ObjectRect(p), ObjectRect(q));
        EXPECT_EQ(p.fontSize, q.fontSize);
        EXPECT_EQ(p.textColor, q.textColor);
        EXPECT_EQ(p.backColor, q.backColor);
        EXPECT_EQ(p.alignment, q.alignment);
        EXPECT_EQ(p.bold, q.bold);
        EXPECT_EQ(p.italic, q.italic);
        EXPECT_EQ(p.underline, q.underline);
        EXPECT_EQ(p.boxStyle, q.boxStyle);
        break;
    }
    case kObjectShape: {
        const auto &p = static_cast<const ShapeObject&>(a), &q = static_cast<const ShapeObject&>(b);
        EXPECT_EQ(ObjectRect(p), ObjectRect(q));
        EXPECT_EQ(p.borderColor, q.borderColor);
        EXPECT_EQ(p.fillColor, q.fillColor);
        EXPECT_EQ(p.borderStyle, q.borderStyle);
        EXPECT_EQ(p.width, q.width);
        break;
    }
    case kObjectHighlight:
        EXPECT_EQ(ObjectRect(a), ObjectRect(b));
        EXPECT_EQ(static_cast<const HighlightObject&>(a).color, static_cast<const HighlightObject&>(b).color);
        break;
    case kObjectStamp:
        EXPECT_EQ(ObjectRect(a), ObjectRect(b));
        EXPECT_TRUE(SameImage(static_cast<const StampObject&>(a).image, static_cast<const StampObject&>(b).image));
        break;
    }
}

// Every kind with every member away from its default (both line styles of
// arrows, extremes of the ranges, text that needs escapes).
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
    line->shadow = 0;
    list.push_back(std::move(line));

    auto arrow = std::make_unique<LineObject>(kObjectArrow);
    arrow->x1 = 1;
    arrow->y1 = 2;
    arrow->x2 = 30;
    arrow->y2 = 40;
    arrow->width = 4;
    arrow->color = MakeColorRef(255, 0, 1);
    arrow->style = 1;
    arrow->transparency = 33;
    arrow->shadow = 1;
    list.push_back(std::move(arrow));

    auto text = std::make_unique<TextObject>();
    text->text = u"Line \"one\"\\\r\nTab\there \u00E9\u4E2D \U0001F600 \u0001\u007F end";
    text->fontName = u"DejaVu Serif";
    SetObjectRect(*text, Rect{-5, -6, 200, 100});
    text->fontSize = 1000;
    text->textColor = MakeColorRef(1, 2, 3);
    text->backColor = MakeColorRef(0xFE, 0xDC, 0xBA);
    text->alignment = 2;
    text->bold = 1;
    text->italic = 1;
    text->underline = 1;
    text->boxStyle = 1;
    text->transparency = 1;
    text->shadow = 1;
    list.push_back(std::move(text));

    auto shape = std::make_unique<ShapeObject>();
    SetObjectRect(*shape, Rect{10, 20, 11, 21});
    shape->borderColor = MakeColorRef(9, 8, 7);
    shape->fillColor = MakeColorRef(6, 5, 4);
    shape->borderStyle = 3;
    shape->width = 1;
    shape->transparency = 99;
    shape->shadow = 1;
    list.push_back(std::move(shape));

    auto highlight = std::make_unique<HighlightObject>();
    SetObjectRect(*highlight, Rect{0, 0, 640, 480});
    highlight->color = MakeColorRef(0xFF, 0xFF, 0);
    highlight->transparency = 0;
    highlight->shadow = 0;
    list.push_back(std::move(highlight));

    auto stamp = std::make_unique<StampObject>();
    SetObjectRect(*stamp, Rect{3, 4, 50, 60});
    stamp->image = Picture(200);
    stamp->transparency = 20;
    stamp->shadow = 0;
    list.push_back(std::move(stamp));
    return list;
}

TEST(ObjectsJson, EveryKindAndMemberSurvivesWriteAndRead) {
    const ObjectList original = EveryKind();
    const std::string json = WriteObjectsJson(original, [](const StampObject&, size_t) { return "b.bmp"; });
    ObjectList read;
    std::string error;
    ASSERT_TRUE(ReadObjectsJson(json, LoadTestStamp, read, error)) << error << "\n" << json;
    ASSERT_EQ(read.size(), original.size());
    for (size_t i = 0; i < read.size(); ++i) ExpectSame(*original[i], *read[i], i);
    // Writing what was read gives the same text: nothing is lost or reordered.
    EXPECT_EQ(WriteObjectsJson(read, [](const StampObject&, size_t) { return "b.bmp"; }), json);
}

TEST(ObjectsJson, EachKeyLandsInItsOwnField) {
    // Written by hand, not by the writer: a key read into the wrong field
    // would survive a write-read round trip, not this.
    const char* json = R"([
      {"kind": "line", "x1": -268435456, "y1": 7, "x2": 268435456, "y2": -3, "width": 10, "color": "#12ABEF",
       "style": 2, "transparency": 100, "shadow": false},
      {"kind": "arrow", "shadow": true, "transparency": 33, "style": 1, "color": "#ff0001", "width": 4,
       "y2": 40, "x2": 30, "y1": 2, "x1": 1},
      {"kind": "text", "left": -5, "top": -6, "right": 200, "bottom": 100,
       "text": "Line \"one\"\\\r\nTab\there \u00e9中 \ud83d\ude00 \u0001\u007f end",
       "fontName": "DejaVu Serif", "fontSize": 1000, "textColor": "#010203", "backColor": "#FEDCBA",
       "alignment": 2, "bold": true, "italic": true, "underline": true, "boxStyle": 1, "transparency": 1},
      {"kind": "shape", "left": 10, "top": 20, "right": 11, "bottom": 21, "width": 1, "borderColor": "#090807",
       "fillColor": "#060504", "borderStyle": 3, "transparency": 99, "shadow": true},
      {"kind": "highlight", "right": 640, "bottom": 480, "color": "#FFFF00", "transparency": 0, "shadow": false},
      {"kind": "stamp", "left": 3, "top": 4, "right": 50, "bottom": 60, "image": "b.bmp", "transparency": 20,
       "shadow": false}])";
    const ObjectList expected = EveryKind();
    ObjectList read;
    std::string error;
    ASSERT_TRUE(ReadObjectsJson(json, LoadTestStamp, read, error)) << error;
    ASSERT_EQ(read.size(), expected.size());
    for (size_t i = 0; i < read.size(); ++i) ExpectSame(*expected[i], *read[i], i);
}

TEST(ObjectsJson, WriterUsesTheDocumentedSpellings) {
    ObjectList list;
    auto line = std::make_unique<LineObject>(kObjectLine);
    line->color = MakeColorRef(0xAB, 0x01, 0xFF);
    list.push_back(std::move(line));
    const std::string json = WriteObjectsJson(list);
    EXPECT_EQ(json,
              "[\n  {\"kind\": \"line\", \"x1\": 0, \"y1\": 0, \"x2\": 0, \"y2\": 0, \"width\": 2, \"color\": "
              "\"#AB01FF\", \"style\": 0, \"transparency\": 0, \"shadow\": false}\n]\n");
    EXPECT_EQ(WriteObjectsJson(ObjectList{}), "[]\n");
    // A stamp without a path for its picture is written without "image".
    list.clear();
    auto stamp = std::make_unique<StampObject>();
    SetObjectRect(*stamp, Rect{0, 0, 1, 1});
    list.push_back(std::move(stamp));
    EXPECT_EQ(WriteObjectsJson(list).find("image"), std::string::npos);
}

TEST(ObjectsJson, TextKeepsEveryCodeUnit) {
    // Surrogate pairs written raw or escaped, and a lone surrogate (which Qt
    // strings may hold) that only an escape can carry.
    ObjectList read;
    std::string error;
    ASSERT_TRUE(ReadObjectsJson(
        "[{\"kind\":\"text\",\"right\":1,\"bottom\":1,\"text\":\"\\ud83d\\ude00\xF0\x9F\x98\x80\\u00e9\\/\\b\\f\","
        "\"fontName\":\"\"}]",
        {}, read, error))
        << error;
    const auto& text = static_cast<const TextObject&>(*read[0]);
    EXPECT_TRUE(text.text == u"\U0001F600\U0001F600\u00E9/\b\f");
    EXPECT_TRUE(text.fontName.empty());

    ObjectList lone;
    auto t = std::make_unique<TextObject>();
    SetObjectRect(*t, Rect{0, 0, 1, 1});
    t->text = std::u16string(1, char16_t(0xD800)) + u"x" + std::u16string(1, char16_t(0xDC00));
    lone.push_back(std::move(t));
    const std::string json = WriteObjectsJson(lone);
    EXPECT_NE(json.find("\\uD800x\\uDC00"), std::string::npos) << json;
    ASSERT_TRUE(ReadObjectsJson(json, {}, read, error)) << error;
    EXPECT_TRUE(static_cast<const TextObject&>(*read[0]).text == static_cast<const TextObject&>(*lone[0]).text);
}

TEST(ObjectsJson, MissingMembersTakeTheEditorsDefaults) {
    ObjectList read;
    std::string error;
    ASSERT_TRUE(ReadObjectsJson(R"([
        {"kind": "line"}, {"kind": "arrow"},
        {"kind": "text", "right": 1, "bottom": 1},
        {"kind": "shape", "right": 1, "bottom": 1},
        {"kind": "highlight", "right": 1, "bottom": 1},
        {"kind": "stamp", "right": 1, "bottom": 1}])",
                                {}, read, error))
        << error;
    ASSERT_EQ(read.size(), 6u);
    const auto& line = static_cast<const LineObject&>(*read[0]);
    EXPECT_EQ(line.kind, kObjectLine);
    EXPECT_EQ(line.width, 2);
    EXPECT_EQ(line.color, 0u);
    EXPECT_EQ(line.style, 0);
    EXPECT_EQ(line.shadow, 1);
    EXPECT_EQ(line.transparency, 0);
    const auto& arrow = static_cast<const LineObject&>(*read[1]);
    EXPECT_EQ(arrow.kind, kObjectArrow);
    EXPECT_EQ(arrow.width, 1);  // the Arrow panel has no width list
    EXPECT_EQ(arrow.shadow, 1);
    const auto& text = static_cast<const TextObject&>(*read[2]);
    EXPECT_TRUE(text.fontName == u"Arial");
    EXPECT_EQ(text.fontSize, 16);
    EXPECT_EQ(text.alignment, 1);
    EXPECT_EQ(text.backColor, 0xFFFFFFu);
    EXPECT_EQ(text.boxStyle, 0);
    EXPECT_EQ(text.shadow, 1);
    EXPECT_TRUE(text.text.empty());
    const auto& shape = static_cast<const ShapeObject&>(*read[3]);
    EXPECT_EQ(shape.fillColor, MakeColorRef(0, 128, 128));
    EXPECT_EQ(shape.borderColor, 0u);
    EXPECT_EQ(shape.width, 2);
    EXPECT_EQ(shape.shadow, 0);  // the Shape panel starts with Shadow off
    const auto& highlight = static_cast<const HighlightObject&>(*read[4]);
    EXPECT_EQ(highlight.transparency, 50);  // the Highlight panel's slider starts in the middle
    EXPECT_EQ(highlight.color, MakeColorRef(0, 0, 128));
    EXPECT_EQ(highlight.shadow, 1);
    const auto& stamp = static_cast<const StampObject&>(*read[5]);
    EXPECT_TRUE(stamp.image.IsEmpty());
    EXPECT_EQ(stamp.shadow, 1);
    EXPECT_EQ(stamp.stampIndex, 0);
}

// Each refusal names the element and key; the list given keeps its objects.
TEST(ObjectsJson, RefusalsNameElementAndKey) {
    const struct {
        const char* json;
        const char* message;
    } cases[] = {
        {R"({"kind":"line"})", "the description must be a JSON array of objects"},
        {R"([{"kind":"line"}, 3])", "element 1: must be a JSON object"},
        {R"([{"x1":1}])", "element 0: \"kind\" is missing"},
        {R"([{"kind":"circle"}])",
         "element 0, key \"kind\": must be one of \"line\", \"arrow\", \"text\", \"shape\", \"highlight\", "
         "\"stamp\""},
        {R"([{"kind":"line"},{"kind":"line","colour":"#000000"}])",
         "element 1, key \"colour\": unknown key for a line"},
        // A member of another kind is unknown here.
        {R"([{"kind":"highlight","right":1,"bottom":1,"width":2}])",
         "element 0, key \"width\": unknown key for a highlight"},
        {R"([{"kind":"stamp","right":1,"bottom":1,"stampIndex":1}])",
         "element 0, key \"stampIndex\": unknown key for a stamp"},
        {R"([{"kind":"line","width":"2"}])", "element 0, key \"width\": must be a whole number"},
        {R"([{"kind":"line","width":2.0}])", "element 0, key \"width\": must be a whole number"},
        {R"([{"kind":"line","width":0}])", "element 0, key \"width\": 0 is outside 1..10"},
        {R"([{"kind":"line","width":11}])", "element 0, key \"width\": 11 is outside 1..10"},
        {R"([{"kind":"line","style":3}])", "element 0, key \"style\": 3 is outside 0..2"},
        {R"([{"kind":"arrow","style":2}])", "element 0, key \"style\": 2 is outside 0..1"},
        {R"([{"kind":"line","transparency":-1}])", "element 0, key \"transparency\": -1 is outside 0..100"},
        {R"([{"kind":"line","x1":268435457}])", "element 0, key \"x1\": 268435457 is outside -268435456..268435456"},
        {R"([{"kind":"line","y2":-99999999999999999999999}])",
         "element 0, key \"y2\": -99999999999999999999999 is outside -268435456..268435456"},
        {R"([{"kind":"line","shadow":1}])", "element 0, key \"shadow\": must be true or false"},
        {R"([{"kind":"line","color":"#12345"}])", "element 0, key \"color\": must be a colour \"#RRGGBB\""},
        {R"([{"kind":"line","color":"123456"}])", "element 0, key \"color\": must be a colour \"#RRGGBB\""},
        {R"([{"kind":"line","color":255}])", "element 0, key \"color\": must be a colour \"#RRGGBB\""},
        {R"([{"kind":"text","right":1,"bottom":1,"text":["a"]}])", "element 0, key \"text\": must be a string"},
        {R"([{"kind":"text","right":1,"bottom":1,"fontSize":1001}])",
         "element 0, key \"fontSize\": 1001 is outside 1..1000"},
        {R"([{"kind":"text","right":1,"bottom":1,"alignment":3}])", "element 0, key \"alignment\": 3 is outside 0..2"},
        {R"([{"kind":"text","right":1,"bottom":1,"bold":null}])", "element 0, key \"bold\": must be true or false"},
        {R"([{"kind":"shape","right":1,"bottom":1,"borderStyle":4}])",
         "element 0, key \"borderStyle\": 4 is outside 0..3"},
        {R"([{"kind":"text","left":5,"right":5,"bottom":1}])",
         "element 0, key \"right\": must be greater than \"left\" (5)"},
        {R"([{"kind":"shape","right":1,"top":2,"bottom":1}])",
         "element 0, key \"bottom\": must be greater than \"top\" (2)"},
        {R"([{"kind":"highlight"}])", "element 0, key \"right\": must be greater than \"left\" (0)"},
        {R"([{"kind":"stamp","right":1,"bottom":1,"image":""}])", "element 0, key \"image\": must be a file path"},
        {R"([{"kind":"stamp","right":1,"bottom":1,"image":"a\u0000"}])",
         "element 0, key \"image\": must be a file path"},
        {R"([{"kind":"stamp","right":1,"bottom":1,"image":"c.png"}])",
         "element 0, key \"image\": cannot read 'c.png': No such file or directory"},
        // Syntax: where it fails, with line and column.
        {"[{\"kind\":\"line\",}]", "line 1, column 17: expected a key in double quotes"},
        {"[\n  {\"kind\":\"line\"},\n]", "line 3, column 1: not a JSON value"},
        {"[{\"kind\":\"line\",\"width\":02}]", "line 1, column 26: a number may not start with 0"},
        {"[{\"kind\":\"line\",\"kind\":\"arrow\"}]", "line 1, column 17: this key appears twice in the object"},
        {"[{\"kind\":\"line\"}] x", "line 1, column 19: unexpected text after the value"},
        {"[{\"kind\":\"li\x01ne\"}]", "line 1, column 13: a control character in a string must be escaped"},
        {"[{\"kind\":\"\xC3\xA9\xC0\xAF\"}]", "line 1, column 12: the text is not valid UTF-8"},
        {"[{\"kind\":\"\xED\xA0\x80\"}]", "line 1, column 11: the text is not valid UTF-8"},
        {"[{\"kind\":\"\\x\"}]", "line 1, column 12: unknown escape in a string"},
        {"[{\"kind\":\"\\u12\"}]", "line 1, column 13: a \\u escape needs four hexadecimal digits"},
        {"[{\"kind\":\"line\"}", "line 1, column 17: unexpected end of the text"},
        {"", "line 1, column 1: unexpected end of the text"},
        {"[NaN]", "line 1, column 2: not a JSON value"},
        {"[1.]", "line 1, column 4: digits must follow the decimal point"},
    };
    for (const auto& c : cases) {
        ObjectList objects;
        objects.push_back(std::make_unique<LineObject>());
        std::string error;
        EXPECT_FALSE(ReadObjectsJson(c.json, LoadTestStamp, objects, error)) << c.json;
        EXPECT_EQ(error, c.message) << c.json;
        EXPECT_EQ(objects.size(), 1u) << c.json;
    }
}

TEST(ObjectsJson, EveryElementIsCheckedBeforeAnyPictureIsRead) {
    int loads = 0;
    const StampLoader counting = [&loads](const std::string& path, PixelImage& image, std::string& error) {
        ++loads;
        return LoadTestStamp(path, image, error);
    };
    ObjectList objects;
    std::string error;
    EXPECT_FALSE(ReadObjectsJson(R"([{"kind":"stamp","right":1,"bottom":1,"image":"a.png"},
                                     {"kind":"line","width":0}])",
                                 counting, objects, error));
    EXPECT_EQ(error, "element 1, key \"width\": 0 is outside 1..10");
    EXPECT_EQ(loads, 0);
}

TEST(ObjectsJson, SizesAndDepthAreBounded) {
    ObjectList objects;
    std::string error;
    std::string deep(kMaxJsonDepth, '[');
    deep += std::string(kMaxJsonDepth, ']');
    EXPECT_FALSE(ReadObjectsJson(deep, {}, objects, error));  // parses, but holds no objects
    EXPECT_EQ(error, "element 0: must be a JSON object");
    std::string deeper(kMaxJsonDepth + 1, '[');
    deeper += std::string(kMaxJsonDepth + 1, ']');
    EXPECT_FALSE(ReadObjectsJson(deeper, {}, objects, error));
    EXPECT_EQ(error, "line 1, column 33: nested too deeply");
    // Far deeper than the stack could take if the depth went unchecked.
    EXPECT_FALSE(ReadObjectsJson(std::string(1 << 20, '['), {}, objects, error));

    std::string many = "[";
    for (size_t i = 0; i <= kMaxObjectsJsonElements; ++i) many += i ? ",{\"kind\":\"line\"}" : "{\"kind\":\"line\"}";
    many += "]";
    EXPECT_FALSE(ReadObjectsJson(many, {}, objects, error));
    EXPECT_EQ(error, "more than 10000 elements");
    EXPECT_FALSE(ReadObjectsJson(std::string(kMaxObjectsJsonBytes + 1, ' '), {}, objects, error));
    EXPECT_EQ(error, "the description is larger than 16 MiB");
    EXPECT_TRUE(objects.empty());
}

TEST(ObjectsJson, StampPicturesTogetherStayWithinThePixelLimit) {
    const uint64_t saved = MaxPixelCount();
    SetMaxPixelCount(12);  // two 3 x 2 pictures fit, a third does not
    ObjectList objects;
    std::string error;
    const std::string stamp = R"({"kind":"stamp","right":1,"bottom":1,"image":"a.png"})";
    EXPECT_TRUE(ReadObjectsJson("[" + stamp + "," + stamp + "]", LoadTestStamp, objects, error)) << error;
    EXPECT_FALSE(ReadObjectsJson("[" + stamp + "," + stamp + "," + stamp + "]", LoadTestStamp, objects, error));
    EXPECT_EQ(error, "element 2, key \"image\": the stamp pictures together exceed the limit of 12 pixels");
    EXPECT_EQ(objects.size(), 2u);
    SetMaxPixelCount(saved);
    EXPECT_FALSE(ReadObjectsJson("[" + stamp + "]", {}, objects, error));
    EXPECT_EQ(error, "element 0, key \"image\": stamp pictures cannot be read here");
}

}  // namespace
}  // namespace clipvane
