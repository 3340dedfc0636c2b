#include "annotation/Json.h"

#include <limits>
#include <set>

namespace clipvane {

namespace {

// Length of the well-formed UTF-8 sequence at `s[i]` and its code point, or 0.
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
    const auto b = [&](size_t k) { return uint8_t(s[i + k]); };
    const uint8_t c = b(0);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    size_t n = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
        n = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (b(k) & 0x3F);
    }
    // Overlong forms, encoded surrogates and values past U+10FFFF are not UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(char16_t(cp));
    } else {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | cp >> 6));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | cp >> 12));
        out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | cp >> 18));
        out.push_back(char(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

class Parser {
public:
    Parser(std::string_view text, const JsonLimits& limits) : s_(text), limits_(limits) {}

    bool Parse(JsonValue& out, std::string& error) {
        SkipSpace();
        if (!Value(out, 0)) {
            // A limit concerns the whole text, not a place in it.
            error = (tooMany_.empty() ? Where() : std::string()) + why_;
            return false;
        }
        SkipSpace();
        if (i_ != s_.size()) {
            error = Where() + "unexpected text after the value";
            return false;
        }
        return true;
    }

private:
    bool Fail(const char* why) {
        why_ = why;
        return false;
    }

    std::string Where() const {
        size_t line = 1, column = 1;
        for (size_t k = 0; k < i_ && k < s_.size(); ++k) {
            if (s_[k] == '\n') {
                ++line;
                column = 1;
            } else if ((uint8_t(s_[k]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
    }

    void SkipSpace() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
    }

    bool Literal(std::string_view word) {
        if (s_.substr(i_, word.size()) != word) return Fail("not a JSON value");
        i_ += word.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (i_ >= s_.size()) return Fail("unexpected end of the text");
        ++values_;
        if (limits_.maxValues && values_ > limits_.maxValues) {
            tooMany_ = "more than " + std::to_string(limits_.maxValues) + " values";
            return Fail(tooMany_.c_str());
        }
        if (limits_.cancelled && values_ % 4096 == 0 && limits_.cancelled()) return Fail("cancelled");
        switch (s_[i_]) {
        case '{': return Object(v, depth + 1);
        case '[': return Array(v, depth + 1);
        case '"': v.type = JsonValue::Type::String; return String(v.string);
        case 't':
            v.type = JsonValue::Type::Bool;
            v.boolean = true;
            return Literal("true");
        case 'f':
            v.type = JsonValue::Type::Bool;
            v.boolean = false;
            return Literal("false");
        case 'n': v.type = JsonValue::Type::Null; return Literal("null");
        default: return Number(v);
        }
    }

    bool Array(JsonValue& v, int depth) {
        if (depth > kMaxJsonDepth) return Fail("nested too deeply");
        v.type = JsonValue::Type::Array;
        ++i_;
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == ']') {
            ++i_;
            return true;
        }
        for (;;) {
            SkipSpace();
            if (depth == 1 && limits_.maxRootItems && v.items.size() >= limits_.maxRootItems) {
                tooMany_ = "more than " + std::to_string(limits_.maxRootItems) + " elements";
                return Fail(tooMany_.c_str());
            }
            v.items.emplace_back();
            if (!Value(v.items.back(), depth)) return false;
            SkipSpace();
            if (i_ >= s_.size()) return Fail("unexpected end of the text");
            if (s_[i_] == ']') {
                ++i_;
                return true;
            }
            if (s_[i_] != ',') return Fail("expected ',' or ']'");
            ++i_;
        }
    }

    bool Object(JsonValue& v, int depth) {
        if (depth > kMaxJsonDepth) return Fail("nested too deeply");
        v.type = JsonValue::Type::Object;
        ++i_;
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == '}') {
            ++i_;
            return true;
        }
        // Small objects compare keys directly; past a few members the keys go
        // into an ordered set, so a huge object costs n log n, not n squared.
        constexpr size_t kScanned = 16;
        std::set<std::string> seen;
        for (;;) {
            SkipSpace();
            if (i_ >= s_.size() || s_[i_] != '"') return Fail("expected a key in double quotes");
            const size_t keyStart = i_;
            std::u16string key16;
            if (!String(key16)) return false;
            std::string key = Utf16ToUtf8(key16);
            bool twice = false;
            if (v.members.size() < kScanned) {
                for (const auto& member : v.members) twice = twice || member.key == key;
            } else {
                if (seen.empty())
                    for (const auto& member : v.members) seen.insert(member.key);
                twice = !seen.insert(key).second;
            }
            if (twice) {
                i_ = keyStart;
                return Fail("this key appears twice in the object");
            }
            SkipSpace();
            if (i_ >= s_.size() || s_[i_] != ':') return Fail("expected ':'");
            ++i_;
            SkipSpace();
            v.members.push_back(JsonMember{std::move(key), JsonValue{}});
            if (!Value(v.members.back().value, depth)) return false;
            SkipSpace();
            if (i_ >= s_.size()) return Fail("unexpected end of the text");
            if (s_[i_] == '}') {
                ++i_;
                return true;
            }
            if (s_[i_] != ',') return Fail("expected ',' or '}'");
            ++i_;
        }
    }

    bool Hex4(char16_t& unit) {
        if (s_.size() - i_ < 4) return Fail("a \\u escape needs four hexadecimal digits");
        unit = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s_[i_ + size_t(k)];
            int d = 0;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return Fail("a \\u escape needs four hexadecimal digits");
            unit = char16_t(unit << 4 | d);
        }
        i_ += 4;
        return true;
    }

    bool String(std::u16string& out) {
        ++i_;  // the opening quote
        for (;;) {
            if (i_ >= s_.size()) return Fail("unterminated string");
            const char c = s_[i_];
            if (c == '"') {
                ++i_;
                return true;
            }
            if (uint8_t(c) < 0x20) return Fail("a control character in a string must be escaped");
            if (c == '\\') {
                if (++i_ >= s_.size()) return Fail("unterminated string");
                const char e = s_[i_++];
                switch (e) {
                case '"': out.push_back(u'"'); break;
                case '\\': out.push_back(u'\\'); break;
                case '/': out.push_back(u'/'); break;
                case 'b': out.push_back(u'\b'); break;
                case 'f': out.push_back(u'\f'); break;
                case 'n': out.push_back(u'\n'); break;
                case 'r': out.push_back(u'\r'); break;
                case 't': out.push_back(u'\t'); break;
                case 'u': {
                    // Code units as written: a pair stays a pair, and a lone
                    // surrogate (which only an escape can express) is kept.
                    char16_t unit = 0;
                    if (!Hex4(unit)) return false;
                    out.push_back(unit);
                    break;
                }
                default: --i_; return Fail("unknown escape in a string");
                }
                continue;
            }
            char32_t cp = 0;
            const size_t n = DecodeUtf8(s_, i_, cp);
            if (n == 0) return Fail("the text is not valid UTF-8");
            AppendUtf16(out, cp);
            i_ += n;
        }
    }

    bool Number(JsonValue& v) {
        const size_t start = i_;
        const auto digit = [&](size_t k) { return k < s_.size() && s_[k] >= '0' && s_[k] <= '9'; };
        if (i_ < s_.size() && s_[i_] == '-') ++i_;
        if (!digit(i_)) return Fail("not a JSON value");
        if (s_[i_] == '0') {
            ++i_;
            if (digit(i_)) return Fail("a number may not start with 0");
        } else {
            while (digit(i_)) ++i_;
        }
        bool integer = true;
        if (i_ < s_.size() && s_[i_] == '.') {
            integer = false;
            if (!digit(++i_)) return Fail("digits must follow the decimal point");
            while (digit(i_)) ++i_;
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            integer = false;
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
            if (!digit(i_)) return Fail("digits must follow the exponent");
            while (digit(i_)) ++i_;
        }
        v.type = JsonValue::Type::Number;
        v.integer = integer;
        v.literal.assign(s_.substr(start, i_ - start));
        if (integer) {
            const bool negative = v.literal[0] == '-';
            const int64_t limit = std::numeric_limits<int64_t>::max() / 10;
            int64_t value = 0;
            for (size_t k = negative ? 1 : 0; k < v.literal.size(); ++k) {
                if (value > limit) {
                    value = std::numeric_limits<int64_t>::max();
                    break;
                }
                value = value * 10 + (v.literal[k] - '0');
            }
            v.number = negative ? -value : value;
        }
        return true;
    }

    std::string_view s_;
    const JsonLimits& limits_;
    size_t i_ = 0;
    size_t values_ = 0;
    const char* why_ = "";
    std::string tooMany_;  // the text of a limit's message
};

}  // namespace

bool ParseJson(std::string_view text, JsonValue& out, std::string& error) {
    return ParseJson(text, out, error, JsonLimits());
}

bool ParseJson(std::string_view text, JsonValue& out, std::string& error, const JsonLimits& limits) {
    JsonValue parsed;
    if (!Parser(text, limits).Parse(parsed, error)) return false;
    out = std::move(parsed);
    return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

bool Utf8ToUtf16(std::string_view text, std::u16string& out) {
    std::u16string result;
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const size_t n = DecodeUtf8(text, i, cp);
        if (n == 0) return false;
        AppendUtf16(result, cp);
        i += n;
    }
    out = std::move(result);
    return true;
}

std::string JsonQuote(std::u16string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    const auto escape = [&](char16_t unit) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[unit >> shift & 0xF]);
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        switch (c) {
        case u'"': out += "\\\""; continue;
        case u'\\': out += "\\\\"; continue;
        case u'\b': out += "\\b"; continue;
        case u'\f': out += "\\f"; continue;
        case u'\n': out += "\\n"; continue;
        case u'\r': out += "\\r"; continue;
        case u'\t': out += "\\t"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            escape(c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            escape(c);
        } else {
            AppendUtf8(out, c);
        }
    }
    out += '"';
    return out;
}

std::string JsonQuote(std::string_view utf8) {
    std::u16string text;
    if (!Utf8ToUtf16(utf8, text)) text.assign(1, char16_t(0xFFFD));
    return JsonQuote(text);
}

}  // namespace clipvane
