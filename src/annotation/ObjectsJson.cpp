#include "annotation/ObjectsJson.h"

#include <utility>
#include <vector>

#include "annotation/Json.h"
#include "image/PixelLimit.h"

namespace clipvane {

namespace {

// The kind named in a description; null for none.
const ObjectKindInfo* KindFromName(std::u16string_view name) {
    const std::string utf8 = Utf16ToUtf8(name);
    for (const ObjectKindInfo& info : ObjectKinds())
        if (utf8 == info.name) return &info;
    return nullptr;
}

std::string KindNames() {
    std::string names;
    for (const ObjectKindInfo& info : ObjectKinds())
        names += (names.empty() ? "\"" : ", \"") + std::string(info.name) + "\"";
    return names;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// "#RRGGBB" in either letter case.
bool ParseColor(std::u16string_view text, ColorRef& color) {
    if (text.size() != 7 || text[0] != u'#') return false;
    int channel[3] = {};
    for (int c = 0; c < 3; ++c) {
        const int high = HexDigit(text[size_t(1 + 2 * c)]), low = HexDigit(text[size_t(2 + 2 * c)]);
        if (high < 0 || low < 0) return false;
        channel[c] = high << 4 | low;
    }
    color = MakeColorRef(channel[0], channel[1], channel[2]);
    return true;
}

std::string FormatColor(ColorRef color) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\"#";
    for (int channel : {RedOf(color), GreenOf(color), BlueOf(color)}) {
        out.push_back(kHex[channel >> 4]);
        out.push_back(kHex[channel & 0xF]);
    }
    return out + '"';
}

std::string Located(size_t index, const std::string& key, const std::string& why) {
    return "element " + std::to_string(index) + ", key \"" + key + "\": " + why;
}

// Reads one element into `object`; `stampPath` receives a stamp's "image".
bool ReadElement(const JsonValue& element, size_t index, std::unique_ptr<AnnotationObject>& object,
                 std::string& stampPath, bool& hasStampPath, std::string& error) {
    const std::string where = "element " + std::to_string(index);
    if (element.type != JsonValue::Type::Object) {
        error = where + ": must be a JSON object";
        return false;
    }
    const JsonValue* kindValue = nullptr;
    for (const auto& [key, value] : element.members)
        if (key == "kind") kindValue = &value;
    if (!kindValue) {
        error = where + ": \"kind\" is missing";
        return false;
    }
    const ObjectKindInfo* info = kindValue->type == JsonValue::Type::String ? KindFromName(kindValue->string) : nullptr;
    if (!info) {
        error = Located(index, "kind", "must be one of " + KindNames());
        return false;
    }
    object = NewEditorObject(info->kind);
    for (const auto& [key, value] : element.members) {
        if (key == "kind") continue;
        const ObjectMember* member = info->Member(key.c_str());
        if (!member || !member->described) {
            error = Located(index, key, std::string("unknown key for a ") + info->name);
            return false;
        }
        switch (member->type) {
        case MemberType::Int: {
            if (value.type != JsonValue::Type::Number || !value.integer) {
                error = Located(index, key, "must be a whole number");
                return false;
            }
            if (value.number < member->lo || value.number > member->hi) {
                error = Located(
                    index, key,
                    value.literal + " is outside " + std::to_string(member->lo) + ".." + std::to_string(member->hi));
                return false;
            }
            *member->IntIn(*object) = int32_t(value.number);
            break;
        }
        case MemberType::Bool:
            if (value.type != JsonValue::Type::Bool) {
                error = Located(index, key, "must be true or false");
                return false;
            }
            *member->IntIn(*object) = value.boolean ? 1 : 0;
            break;
        case MemberType::Color: {
            ColorRef color = 0;
            if (value.type != JsonValue::Type::String || !ParseColor(value.string, color)) {
                error = Located(index, key, "must be a colour \"#RRGGBB\"");
                return false;
            }
            *static_cast<ColorRef*>(member->field(*object)) = color;
            break;
        }
        case MemberType::Text:
            if (value.type != JsonValue::Type::String) {
                error = Located(index, key, "must be a string");
                return false;
            }
            *static_cast<std::u16string*>(member->field(*object)) = value.string;
            break;
        case MemberType::Picture:
            if (value.type != JsonValue::Type::String || value.string.empty()) {
                error = Located(index, key, "must be a file path");
                return false;
            }
            if (value.string.find(u'\0') != std::u16string::npos) {
                error = Located(index, key, "must be a file path");
                return false;
            }
            stampPath = Utf16ToUtf8(value.string);
            hasStampPath = true;
            break;
        }
    }
    if (info->geometry == KindGeometry::Box) {
        // The editor never makes an empty box, and nothing would show of one.
        const Rect r = ObjectRect(*object);
        if (r.right <= r.left) {
            error = Located(index, "right", "must be greater than \"left\" (" + std::to_string(r.left) + ")");
            return false;
        }
        if (r.bottom <= r.top) {
            error = Located(index, "bottom", "must be greater than \"top\" (" + std::to_string(r.top) + ")");
            return false;
        }
    }
    return true;
}

}  // namespace

const char* ObjectKindName(ObjectKind kind) {
    const ObjectKindInfo* info = FindObjectKind(kind);
    return info ? info->name : "";
}

std::unique_ptr<AnnotationObject> NewEditorObject(ObjectKind kind) {
    std::unique_ptr<AnnotationObject> object = CreateObject(kind);
    if (!object) return object;
    for (const ObjectMember& m : FindObjectKind(kind)->members) {
        if (m.type == MemberType::Int || m.type == MemberType::Bool) *m.IntIn(*object) = int32_t(m.initial);
        if (m.type == MemberType::Color) *static_cast<ColorRef*>(m.field(*object)) = ColorRef(m.initial);
    }
    return object;
}

bool ReadObjectsJson(std::string_view text, const StampLoader& loadStamp, ObjectList& objects, std::string& error) {
    if (text.size() > kMaxObjectsJsonBytes) {
        error = "the description is larger than " + std::to_string(kMaxObjectsJsonBytes >> 20) + " MiB";
        return false;
    }
    JsonValue root;
    // Bounded while parsing: a tree past the limits is never built.
    JsonLimits limits;
    limits.maxRootItems = kMaxObjectsJsonElements;
    limits.maxValues = kMaxObjectsJsonElements * kMaxObjectsJsonValuesPerElement;
    if (!ParseJson(text, root, error, limits)) return false;
    if (root.type != JsonValue::Type::Array) {
        error = "the description must be a JSON array of objects";
        return false;
    }
    // Every element is checked before any picture is loaded: a fault later
    // in the description costs no file reads.
    ObjectList result;
    result.reserve(root.items.size());
    std::vector<std::pair<size_t, std::string>> stampPaths;
    for (size_t i = 0; i < root.items.size(); ++i) {
        std::unique_ptr<AnnotationObject> object;
        std::string path;
        bool hasPath = false;
        if (!ReadElement(root.items[i], i, object, path, hasPath, error)) return false;
        if (hasPath) stampPaths.emplace_back(i, std::move(path));
        result.push_back(std::move(object));
    }
    uint64_t stampPixels = 0;
    for (const auto& [i, path] : stampPaths) {
        auto& stamp = static_cast<StampObject&>(*result[i]);
        std::string why;
        if (!loadStamp) {
            error = Located(i, "image", "stamp pictures cannot be read here");
            return false;
        }
        if (!loadStamp(path, stamp.image, why) || stamp.image.IsEmpty()) {
            error = Located(i, "image", "cannot read '" + path + "'" + (why.empty() ? "" : ": " + why));
            return false;
        }
        // Every stamp keeps its own copy: together they stay within what one
        // image may hold.
        stampPixels += uint64_t(stamp.image.Width()) * uint64_t(stamp.image.Height());
        if (stampPixels > MaxPixelCount()) {
            error = Located(
                i, "image",
                "the stamp pictures together exceed the limit of " + std::to_string(MaxPixelCount()) + " pixels");
            return false;
        }
    }
    objects = std::move(result);
    return true;
}

std::string WriteObjectsJson(const ObjectList& objects, const StampPathFor& stampPath) {
    std::string out = "[";
    size_t index = 0;
    for (const auto& object : objects) {
        if (!object) continue;
        out += index == 0 ? "\n  {" : ",\n  {";
        out += "\"kind\": " + JsonQuote(std::string_view(ObjectKindName(object->kind)));
        for (const ObjectMember& m : KindInfo(*object).members) {
            if (!m.described) continue;
            std::string value;
            // The accessors serve reading and writing; nothing is changed here.
            auto& o = const_cast<AnnotationObject&>(*object);
            switch (m.type) {
            case MemberType::Int: value = std::to_string(m.IntOf(o)); break;
            case MemberType::Bool: value = m.IntOf(o) ? "true" : "false"; break;
            case MemberType::Color: value = FormatColor(*static_cast<ColorRef*>(m.field(o))); break;
            case MemberType::Text: value = JsonQuote(*static_cast<std::u16string*>(m.field(o))); break;
            case MemberType::Picture: {
                const std::string path = stampPath ? stampPath(static_cast<const StampObject&>(*object), index) : "";
                if (path.empty()) continue;
                value = JsonQuote(std::string_view(path));
                break;
            }
            }
            out += std::string(", \"") + m.key + "\": " + value;
        }
        out += "}";
        ++index;
    }
    out += index == 0 ? "]\n" : "\n]\n";
    return out;
}

}  // namespace clipvane
