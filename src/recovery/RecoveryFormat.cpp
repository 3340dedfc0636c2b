#include "recovery/RecoveryFormat.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstring>

#include "annotation/ObjectKinds.h"
#include "imagefile/AtomicFile.h"

namespace clipvane {

namespace {

constexpr uint8_t kMagic[8] = {'C', 'V', 'R', 'E', 'C', 'O', 'V', '\n'};
constexpr uint32_t kMaxPalette = 256;
// The fewest payload bytes one object takes: kind, transparency, shadow.
constexpr size_t kMinObjectBytes = 12;

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

class Writer {
public:
    void U8(uint8_t v) { out.push_back(v); }
    void U16(uint16_t v) {
        U8(uint8_t(v));
        U8(uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(uint8_t(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void U64(uint64_t v) {
        for (int i = 0; i < 8; ++i) U8(uint8_t(v >> (8 * i)));
    }
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        out.insert(out.end(), p, p + size);
    }
    void Text(const std::u16string& s) {
        U32(uint32_t(s.size()));
        for (char16_t c : s) U16(uint16_t(c));
    }
    void Image(const PixelImage& image) {
        if (image.IsEmpty()) {
            U32(0);
            return;
        }
        U32(1);
        const BitmapInfoHeader& h = image.Info();
        I32(h.biWidth);
        I32(h.biHeight);
        U32(h.biBitCount);
        U32(h.biCompression);
        I32(h.biXPelsPerMeter);
        I32(h.biYPelsPerMeter);
        U32(image.RedMask());
        U32(image.GreenMask());
        U32(image.BlueMask());
        I32(image.originX);
        I32(image.originY);
        const std::vector<RgbQuad>& palette = image.Palette();
        U32(uint32_t(palette.size()));
        for (const RgbQuad& q : palette) Bytes(&q, 4);
        U64(image.ByteCount());
        Bytes(image.Bits(), image.ByteCount());
    }

    std::vector<uint8_t> out;
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}

    bool failed = false;
    size_t Left() const { return left_; }

    const uint8_t* Take(size_t n) {
        if (failed || n > left_) {
            failed = true;
            return nullptr;
        }
        const uint8_t* at = p_;
        p_ += n;
        left_ -= n;
        return at;
    }
    uint32_t U32() {
        const uint8_t* b = Take(4);
        return b ? uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24 : 0;
    }
    int32_t I32() { return int32_t(U32()); }
    uint64_t U64() {
        const uint64_t low = U32();
        return low | uint64_t(U32()) << 32;
    }
    bool Text(std::u16string* s) {
        const uint32_t count = U32();
        if (failed || count > left_ / 2) return Fail();
        const uint8_t* b = Take(size_t(count) * 2);
        s->resize(count);
        for (uint32_t i = 0; i < count; ++i) (*s)[i] = char16_t(b[2 * i] | b[2 * i + 1] << 8);
        return true;
    }
    bool Image(PixelImage* image) {
        const uint32_t present = U32();
        if (failed || present > 1) return Fail();
        if (!present) {
            *image = PixelImage();
            return true;
        }
        BitmapInfoHeader h;
        h.biSize = 40;
        h.biPlanes = 1;
        h.biWidth = I32();
        h.biHeight = I32();
        const uint32_t depth = U32();
        h.biCompression = U32();
        h.biXPelsPerMeter = I32();
        h.biYPelsPerMeter = I32();
        const uint32_t masks[3] = {U32(), U32(), U32()};
        const int32_t originX = I32(), originY = I32();
        const uint32_t paletteCount = U32();
        if (failed || depth > 32 || paletteCount > kMaxPalette || h.biWidth <= 0 || h.biHeight <= 0) return Fail();
        h.biBitCount = uint16_t(depth);
        if (depth <= 8) h.biClrUsed = paletteCount;
        const uint8_t* palette = Take(size_t(paletteCount) * 4);
        const uint64_t byteCount = U64();
        if (failed) return false;
        // The stored size must be the one the header implies, and present.
        const uint64_t expected = uint64_t(StrideFor(h.biWidth, int(depth))) * uint64_t(h.biHeight);
        if (byteCount != expected || byteCount > left_) return Fail();
        PixelImage loaded;
        if (!loaded.CreateFromHeader(h, masks) || loaded.ByteCount() != byteCount) return Fail();
        if (paletteCount > 0) {
            if (loaded.Palette().size() < paletteCount) return Fail();
            std::vector<RgbQuad> quads(paletteCount);
            std::memcpy(quads.data(), palette, size_t(paletteCount) * 4);
            loaded.SetPalette(0, int(paletteCount), quads.data());
        }
        std::memcpy(loaded.Bits(), Take(size_t(byteCount)), size_t(byteCount));
        loaded.originX = originX;
        loaded.originY = originY;
        *image = std::move(loaded);
        return true;
    }
    bool Fail() {
        failed = true;
        return false;
    }

private:
    const uint8_t* p_;
    size_t left_;
};

void WriteObject(Writer& w, const AnnotationObject& object) {
    w.U32(object.kind);
    auto& o = const_cast<AnnotationObject&>(object);  // the accessors serve both ways; nothing changes
    for (const ObjectMember* m : KindInfo(object).RecoveryOrder()) {
        switch (m->type) {
        case MemberType::Int:
        case MemberType::Bool: w.I32(m->IntOf(object)); break;
        case MemberType::Color: w.U32(*static_cast<ColorRef*>(m->field(o))); break;
        case MemberType::Text: w.Text(*static_cast<std::u16string*>(m->field(o))); break;
        case MemberType::Picture: w.Image(*static_cast<PixelImage*>(m->field(o))); break;
        }
    }
}

// Values are brought into their members' ranges, as a description's would be
// checked: a damaged or forged entry cannot restore an absurd width or a
// transparency below zero.
std::unique_ptr<AnnotationObject> ReadObject(Reader& r) {
    const ObjectKindInfo* info = FindObjectKind(r.U32());
    if (r.failed || !info) return nullptr;
    std::unique_ptr<AnnotationObject> object = info->create();
    for (const ObjectMember* m : info->RecoveryOrder()) {
        switch (m->type) {
        case MemberType::Int:
        case MemberType::Bool: *m->IntIn(*object) = int32_t(m->Clamped(r.I32())); break;
        case MemberType::Color: *static_cast<ColorRef*>(m->field(*object)) = ColorRef(m->Clamped(r.U32())); break;
        case MemberType::Text:
            if (!r.Text(static_cast<std::u16string*>(m->field(*object)))) return nullptr;
            break;
        case MemberType::Picture:
            if (!r.Image(static_cast<PixelImage*>(m->field(*object)))) return nullptr;
            break;
        }
    }
    return r.failed ? nullptr : std::move(object);
}

// Bytes the pictures of an object take, to size the output once.
size_t PictureBytes(const AnnotationObject& object) {
    size_t bytes = 0;
    for (const ObjectMember& m : KindInfo(object).members)
        if (m.type == MemberType::Picture)
            bytes += static_cast<const PixelImage*>(m.field(const_cast<AnnotationObject&>(object)))->ByteCount() + 128;
    return bytes;
}

bool Refuse(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    const std::array<uint32_t, 256>& table = CrcTable();
    const auto* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::vector<uint8_t> EncodeRecoveryEntry(const RecoveryEntry& entry) {
    Writer w;
    size_t reserve = kRecoveryHeaderSize + 4 + 1024 + entry.image.ByteCount();
    for (const auto& o : entry.objects) reserve += PictureBytes(*o);
    w.out.reserve(reserve);
    w.Bytes(kMagic, sizeof kMagic);
    w.U32(kRecoveryVersion);
    w.U32(0);
    w.U64(0);  // payload length, filled in below
    w.U32(entry.modified ? 1 : 0);
    w.Text(entry.title);
    w.Text(entry.path);
    w.Image(entry.image);
    w.U32(uint32_t(entry.objects.size()));
    for (const auto& o : entry.objects) WriteObject(w, *o);
    const uint64_t payload = w.out.size() - kRecoveryHeaderSize;
    for (int i = 0; i < 8; ++i) w.out[16 + i] = uint8_t(payload >> (8 * i));
    w.U32(Crc32(w.out.data(), w.out.size()));
    return std::move(w.out);
}

bool DecodeRecoveryEntry(const uint8_t* data, size_t size, RecoveryEntry* out, std::string* error) {
    if (size < kRecoveryHeaderSize + 4) return Refuse(error, "too short for a recovery entry");
    if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return Refuse(error, "not a recovery entry");
    Reader header(data + 8, kRecoveryHeaderSize - 8);
    const uint32_t version = header.U32();
    header.U32();
    const uint64_t payload = header.U64();
    if (version != kRecoveryVersion) return Refuse(error, "unknown recovery entry version");
    if (payload != size - kRecoveryHeaderSize - 4) return Refuse(error, "truncated or oversized recovery entry");
    Reader crc(data + size - 4, 4);
    if (crc.U32() != Crc32(data, size - 4)) return Refuse(error, "checksum mismatch");

    Reader r(data + kRecoveryHeaderSize, size_t(payload));
    RecoveryEntry entry;
    const uint32_t modified = r.U32();
    if (r.failed || modified > 1) return Refuse(error, "bad modified flag");
    entry.modified = modified != 0;
    if (!r.Text(&entry.title) || !r.Text(&entry.path)) return Refuse(error, "bad title or path");
    if (!r.Image(&entry.image)) return Refuse(error, "bad image");
    const uint32_t count = r.U32();
    if (r.failed || count > r.Left() / kMinObjectBytes) return Refuse(error, "bad object count");
    entry.objects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<AnnotationObject> object = ReadObject(r);
        if (!object) return Refuse(error, "bad object");
        entry.objects.push_back(std::move(object));
    }
    if (r.Left() != 0) return Refuse(error, "trailing bytes in recovery entry");
    *out = std::move(entry);
    return true;
}

bool WriteRecoveryEntry(const std::string& path, const RecoveryEntry& entry) {
    const std::vector<uint8_t> bytes = EncodeRecoveryEntry(entry);
    AtomicFile atomic(path);
    if (!atomic.Ok()) return false;
    OutputFile file(atomic.WritePath());
    if (!file.IsOpen() || !file.Write(bytes.data(), bytes.size()) || !file.Close()) return false;
    return atomic.Commit();
}

bool ReadRecoveryEntry(const std::string& path, RecoveryEntry* out, std::string* error) {
    FILE* f = std::fopen(path.c_str(), "rbe");
    if (!f) return Refuse(error, "cannot be opened");
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > kRecoveryMaxFileSize) {
        std::fclose(f);
        return Refuse(error, "not a regular file of a plausible size");
    }
    std::vector<uint8_t> bytes(size_t(st.st_size));
    const bool read = bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::fclose(f);
    if (!read) return Refuse(error, "cannot be read");
    return DecodeRecoveryEntry(bytes.data(), bytes.size(), out, error);
}

}  // namespace clipvane
