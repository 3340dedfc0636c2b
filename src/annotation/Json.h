#pragma once
// A small strict JSON reader and the string quoting of the writers: RFC 8259
// only (no comments, no trailing commas, no NaN), UTF-8 checked byte by byte,
// duplicate keys refused (in time linear in the keys, up to a log factor).
// Nesting depth is bounded, so hostile input cannot exhaust the stack, and
// optional limits on the number of values stop a parse before it builds a
// tree past them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace clipvane {

struct JsonMember;

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    // Numbers: `integer` when the literal has neither fraction nor exponent;
    // `number` is its value, clamped to the int64 range; `literal` is the text.
    bool integer = false;
    int64_t number = 0;
    std::string literal;
    std::u16string string;
    std::vector<JsonValue> items;
    std::vector<JsonMember> members;  // in file order
};

struct JsonMember {
    std::string key;  // UTF-8
    JsonValue value;
};

// Arrays and objects nested deeper than this are refused.
inline constexpr int kMaxJsonDepth = 32;

// Bounds checked while parsing, before anything past them is built.
struct JsonLimits {
    // Most items of a top-level array (0: no bound).
    size_t maxRootItems = 0;
    // Most values in the whole text, at any depth (0: no bound).
    size_t maxValues = 0;
    // Asked every few thousand values; true stops the parse ("cancelled").
    std::function<bool()> cancelled;
};

// Parses the whole of `text` into `out`. False with "line L, column C: why"
// in `error` on the first fault.
bool ParseJson(std::string_view text, JsonValue& out, std::string& error);
bool ParseJson(std::string_view text, JsonValue& out, std::string& error, const JsonLimits& limits);

// A JSON string literal, quotes included: control characters escaped, other
// characters as UTF-8, and a lone surrogate as its \u escape.
std::string JsonQuote(std::u16string_view text);
std::string JsonQuote(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; false for bytes that are not well-formed UTF-8.
bool Utf8ToUtf16(std::string_view text, std::u16string& out);

}  // namespace clipvane
