// The JSON reader's bounds on hostile sizes: many keys in one object, and
// more values than allowed, refused before the rest of the text is parsed.
#include <gtest/gtest.h>

#include "annotation/Json.h"
#include "annotation/ObjectsJson.h"

namespace clipvane {
namespace {

std::string ManyKeys(size_t count, bool repeatFirstAtEnd) {
    std::string text = "{";
    for (size_t i = 0; i < count; ++i) text += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":0";
    if (repeatFirstAtEnd) text += ",\"k0\":1";
    return text + "}";
}

// 300 000 keys once took minutes (each compared with every earlier one).
TEST(JsonLimits, HugeObjectKeysAreCheckedForDuplicates) {
    JsonValue value;
    std::string error;
    ASSERT_TRUE(ParseJson(ManyKeys(300000, false), value, error)) << error;
    EXPECT_EQ(value.members.size(), 300000u);
    EXPECT_EQ(value.members[299999].key, "k299999");
    EXPECT_FALSE(ParseJson(ManyKeys(300000, true), value, error));
    EXPECT_NE(error.find("this key appears twice in the object"), std::string::npos) << error;
    // Below the switch to the ordered set, a duplicate is still found.
    EXPECT_FALSE(ParseJson(R"({"a":1,"b":2,"a":3})", value, error));
    EXPECT_EQ(error, "line 1, column 14: this key appears twice in the object");
}

// A limit stops the parse where it is crossed: the text after it is never
// read (the fault placed there is not the one reported) nor built.
TEST(JsonLimits, LimitsStopTheParseWhereTheyAreCrossed) {
    JsonValue value;
    std::string error;
    JsonLimits limits;
    limits.maxRootItems = 3;
    EXPECT_TRUE(ParseJson("[1,2,3]", value, error, limits)) << error;
    EXPECT_FALSE(ParseJson("[1,2,3,4,nonsense", value, error, limits));
    EXPECT_EQ(error, "more than 3 elements");
    // Only the top-level array is bounded by item count.
    EXPECT_TRUE(ParseJson("[[1,2,3,4,5]]", value, error, limits)) << error;

    limits.maxValues = 5;
    EXPECT_FALSE(ParseJson("[[1,2,3,4,5]]", value, error, limits));
    EXPECT_EQ(error, "more than 5 values");
    EXPECT_FALSE(ParseJson(R"({"a":{"b":[1,2,3,4]}, nonsense)", value, error, limits));
    EXPECT_EQ(error, "more than 5 values");

    int asked = 0;
    JsonLimits cancel;
    cancel.cancelled = [&] { return ++asked == 2; };
    std::string big = "[0";
    for (int i = 0; i < 100000; ++i) big += ",0";
    EXPECT_FALSE(ParseJson(big + "]", value, error, cancel));
    EXPECT_NE(error.find("cancelled"), std::string::npos) << error;
    EXPECT_EQ(asked, 2);
}

// 16 MiB of zeros in nested arrays once built a tree of over a gigabyte
// before the element count was looked at.
TEST(JsonLimits, DescriptionOfZerosIsRefusedByCount) {
    std::string zeros = "[[0";
    while (zeros.size() < kMaxObjectsJsonBytes - 8) zeros += ",0";
    zeros += "]]";
    ObjectList objects;
    std::string error;
    EXPECT_FALSE(ReadObjectsJson(zeros, {}, objects, error));
    EXPECT_EQ(error,
              "more than " + std::to_string(kMaxObjectsJsonElements * kMaxObjectsJsonValuesPerElement) + " values");
}

}  // namespace
}  // namespace clipvane
