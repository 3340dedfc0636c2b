#include "annotation/EditablePng.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "annotation/ObjectsJson.h"
#include "image/PixelLimit.h"
#include "imagefile/AtomicFile.h"
#include "imagefile/FileError.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "imagefile/Png.h"
#include "imagefile/PngChunks.h"
#include "imagefile/Sha256.h"

namespace clipvane {

namespace {

// Payload, big-endian like PNG itself:
//   u32 version, u32 flags, u32 width, u32 height, u32 depth (24 or 32),
//   u32 CRC-32 of the flattened pixels as the file holds them,
//   u32 JSON length, the JSON,
//   u32 stamp count, per stamp u32 width, u32 height, u32 length, its zlib
//   stream (32-bit rows, top row first),
//   u64 length, the zlib stream of the pixels under the objects as their
//   difference (XOR) from the flattened pixels (rows top first, width x
//   depth/8 bytes each): zero wherever no object covers them, so the stream
//   costs little beside the PNG itself,
//   32 bytes SHA-256 of everything before.
constexpr uint32_t kTransparent = 1;     // the pixels' fourth byte is alpha
constexpr uint32_t kFlattenedAlpha = 2;  // the file's pixels are RGBA
constexpr uint32_t kKnownFlags = kTransparent | kFlattenedAlpha;
constexpr size_t kDigestSize = 32;
constexpr size_t kHeaderSize = 24;

class Writer {
public:
    std::vector<uint8_t> out;
    void U32(uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
    }
    void U64(uint64_t v) {
        U32(uint32_t(v >> 32));
        U32(uint32_t(v));
    }
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        out.insert(out.end(), p, p + size);
    }
};

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}
    bool U32(uint32_t& v) {
        if (left_ < 4) return false;
        v = uint32_t(p_[0]) << 24 | uint32_t(p_[1]) << 16 | uint32_t(p_[2]) << 8 | p_[3];
        Skip(4);
        return true;
    }
    bool U64(uint64_t& v) {
        uint32_t high = 0, low = 0;
        if (!U32(high) || !U32(low)) return false;
        v = uint64_t(high) << 32 | low;
        return true;
    }
    // The next `size` bytes, or null when fewer are left.
    const uint8_t* Take(uint64_t size) {
        if (left_ < size) return nullptr;
        const uint8_t* at = p_;
        Skip(size_t(size));
        return at;
    }
    size_t Left() const { return left_; }

private:
    void Skip(size_t n) {
        p_ += n;
        left_ -= n;
    }
    const uint8_t* p_;
    size_t left_;
};

// The CRC-32 of the pixels as the PNG holds them: rows from the top, blue,
// green, red (and alpha when `alpha`) per pixel.
uint32_t FileCrc(const PixelImage& image, bool alpha) {
    uint32_t crc = 0;
    const int width = image.Width();
    if (image.Depth() == 32 && !alpha) {
        std::vector<uint8_t> row(size_t(width) * 3);
        for (int y = 0; y < image.Height(); ++y) {
            const uint8_t* s = image.Row(y);
            for (size_t x = 0; x < size_t(width); ++x) std::memcpy(&row[x * 3], s + x * 4, 3);
            crc = ZlibCrc32(row.data(), row.size(), crc);
        }
    } else {
        const size_t rowBytes = size_t(width) * size_t(image.Depth() / 8);
        for (int y = 0; y < image.Height(); ++y) crc = ZlibCrc32(image.Row(y), rowBytes, crc);
    }
    return crc;
}

// XORs row `y` of `base`, as the file holds it (the fourth byte only when
// `alpha`), into `row`, a row of `bytes`-byte pixels.
void XorRow(uint8_t* row, size_t bytes, const PixelImage* base, bool alpha, int y) {
    if (!base) return;
    const uint8_t* b = base->Row(y);
    const size_t baseBytes = size_t(base->Depth() / 8), width = size_t(base->Width());
    const size_t shared = bytes == 4 && baseBytes == 4 && alpha ? 4 : 3;
    for (size_t x = 0; x < width; ++x)
        for (size_t k = 0; k < shared; ++k) row[x * bytes + k] ^= b[x * baseBytes + k];
}

// The rows of `image` without their padding, top row first, as their
// difference from `base` (a picture of the same size; none: as they are).
std::vector<uint8_t> PackedRows(const PixelImage& image, const PixelImage* base = nullptr, bool alpha = false) {
    const size_t bytes = size_t(image.Depth() / 8), rowBytes = size_t(image.Width()) * bytes;
    std::vector<uint8_t> rows(rowBytes * size_t(image.Height()));
    for (int y = 0; y < image.Height(); ++y) {
        std::memcpy(&rows[rowBytes * size_t(y)], image.Row(y), rowBytes);
        XorRow(&rows[rowBytes * size_t(y)], bytes, base, alpha, y);
    }
    return rows;
}

// Inflates a stream of exactly width x height x depth/8 bytes into a new
// image, undoing the difference from `base` when there is one.
bool UnpackRows(const uint8_t* z, size_t zsize, int width, int height, int depth, PixelImage& image,
                const PixelImage* base = nullptr, bool alpha = false) {
    const size_t bytes = size_t(depth / 8), rowBytes = size_t(width) * bytes;
    // Deflate shrinks data at most about 1032 to 1: a stream too short for
    // the size it claims is refused before that size is allocated.
    if (rowBytes * size_t(height) / 1040 > zsize + 64) return false;
    std::vector<uint8_t> rows;
    try {
        rows.resize(rowBytes * size_t(height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!ZlibDecompress(z, zsize, rows.data(), rows.size())) return false;
    if (!image.Create(width, height, depth)) return false;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.Row(y);
        std::memcpy(row, &rows[rowBytes * size_t(y)], rowBytes);
        XorRow(row, bytes, base, alpha, y);
    }
    return true;
}

// The most the chunk can hold for pictures within the pixel limit: the
// pixels and the stamps at 32 bits, with deflate's worst-case growth, and
// the largest description.
uint64_t MaxPayload() {
    const uint64_t pixels = MaxPixelCount() * 4;
    return 2 * (pixels + pixels / 1000 + (uint64_t(1) << 20)) + kMaxObjectsJsonBytes + 4096;
}

constexpr char kStampPrefix = '#';

}  // namespace

std::vector<uint8_t> EncodeEditablePng(const PixelImage& flattened, bool flattenedAlpha, const PixelImage& image,
                                       bool transparent, const ObjectList& objects, std::string& error) {
    if ((image.Depth() != 24 && image.Depth() != 32) || (flattened.Depth() != 24 && flattened.Depth() != 32)) {
        error = "only pictures of 24 or 32 bits per pixel keep their annotations editable";
        return {};
    }
    if (image.Width() != flattened.Width() || image.Height() != flattened.Height()) {
        error = "the flattened picture and the picture under the objects differ in size";
        return {};
    }
    if (objects.size() > kMaxObjectsJsonElements) {
        error = "more than " + std::to_string(kMaxObjectsJsonElements) + " objects cannot be kept editable";
        return {};
    }
    const bool alpha = flattenedAlpha && flattened.Depth() == 32;
    // Stamp pictures travel in the chunk, named "#0", "#1", ... in the JSON.
    std::vector<const PixelImage*> stamps;
    uint64_t stampPixels = 0;
    const std::string json = WriteObjectsJson(objects, [&](const StampObject& stamp, size_t) {
        if (stamp.image.IsEmpty()) return std::string();
        stampPixels += uint64_t(stamp.image.Width()) * uint64_t(stamp.image.Height());
        stamps.push_back(&stamp.image);
        std::string name(1, kStampPrefix);
        name += std::to_string(stamps.size() - 1);
        return name;
    });
    if (json.size() > kMaxObjectsJsonBytes || stampPixels > MaxPixelCount()) {
        error = "the objects are too large to be kept editable";
        return {};
    }
    // Never a file that would not open editable again (an empty box, which
    // the editor does not make, is refused by the reader).
    {
        ObjectList check;
        std::string why;
        const StampLoader anyStamp = [](const std::string&, PixelImage& picture, std::string&) {
            return picture.Create(1, 1, 32);
        };
        if (!ReadObjectsJson(json, anyStamp, check, why)) {
            error = "an object cannot be kept editable: " + why;
            return {};
        }
    }

    Writer w;
    w.U32(kEditableVersion);
    w.U32((transparent && image.Depth() == 32 ? kTransparent : 0) | (alpha ? kFlattenedAlpha : 0));
    w.U32(uint32_t(image.Width()));
    w.U32(uint32_t(image.Height()));
    w.U32(uint32_t(image.Depth()));
    w.U32(FileCrc(flattened, alpha));
    w.U32(uint32_t(json.size()));
    w.Bytes(json.data(), json.size());
    w.U32(uint32_t(stamps.size()));
    for (const PixelImage* stamp : stamps) {
        PixelImage copy;
        const PixelImage* source = stamp;
        if (stamp->Depth() != 32) {
            copy.Copy(*stamp);
            copy.ConvertTo(32);
            if (copy.Depth() != 32) {
                error = "a stamp picture cannot be converted to 32 bits per pixel";
                return {};
            }
            source = &copy;
        }
        const std::vector<uint8_t> rows = PackedRows(*source);
        const std::vector<uint8_t> z = ZlibCompress(rows.data(), rows.size());
        if (z.empty() || z.size() > UINT32_MAX) {
            error = "there is not enough memory to keep the objects";
            return {};
        }
        w.U32(uint32_t(source->Width()));
        w.U32(uint32_t(source->Height()));
        w.U32(uint32_t(z.size()));
        w.Bytes(z.data(), z.size());
    }
    {
        std::vector<uint8_t> rows = PackedRows(image, &flattened, alpha);
        const std::vector<uint8_t> z = ZlibCompress(rows.data(), rows.size());
        if (z.empty()) {
            error = "there is not enough memory to keep the picture under the objects";
            return {};
        }
        std::vector<uint8_t>().swap(rows);
        w.U64(z.size());
        w.Bytes(z.data(), z.size());
    }
    uint8_t digest[kDigestSize];
    Sha256 sum;
    sum.Update(w.out.data(), w.out.size());
    sum.Final(digest);
    w.Bytes(digest, sizeof digest);

    std::vector<uint8_t> png = EncodePngImage(flattened, flattenedAlpha);
    if (png.empty() || !InsertPngChunks(png, kEditableChunkType, w.out.data(), w.out.size())) {
        error = "the image could not be encoded as PNG";
        return {};
    }
    return png;
}

bool SaveEditablePng(const std::string& path, const PixelImage& flattened, bool flattenedAlpha, const PixelImage& image,
                     bool transparent, const ObjectList& objects) {
    ClearFileError();
    if (flattened.IsEmpty() || image.IsEmpty()) {
        NoteFileError("the image is empty");
        return false;
    }
    if (!PixelCountAllowed(flattened.Width(), flattened.Height())) {
        NoteFileError(PixelCountMessage(flattened.Width(), flattened.Height()));
        return false;
    }
    if (const std::string refusal = FormatRefusal(kFilePng, flattened); !refusal.empty()) {
        NoteFileError(refusal);
        return false;
    }
    std::string error;
    const std::vector<uint8_t> data = EncodeEditablePng(flattened, flattenedAlpha, image, transparent, objects, error);
    if (data.empty()) {
        NoteFileError(error);
        return false;
    }
    AtomicFile target(path);
    if (!target.Ok()) return false;
    OutputFile out(target.WritePath());
    if (!out.IsOpen() || !out.Write(data.data(), data.size()) || !out.Close()) return false;
    return target.Commit();
}

namespace {

EditableState Damaged(std::string& why, const std::string& reason) {
    why = reason;
    return EditableState::kDamaged;
}

EditableState DecodePayload(const std::vector<uint8_t>& payload, const PixelImage* flattened, EditableContent& out,
                            std::string& why) {
    Reader r(payload.data(), payload.size());
    uint32_t version = 0, flags = 0, width = 0, height = 0, depth = 0;
    if (!r.U32(version)) return Damaged(why, "its editable data is cut short");
    if (version != kEditableVersion)
        return Damaged(why, version > kEditableVersion
                                ? "its editable data was written by a newer Clipvane (format version " +
                                      std::to_string(version) + ")"
                                : "its editable data has an unknown format version (" + std::to_string(version) + ")");
    if (payload.size() < kHeaderSize + kDigestSize) return Damaged(why, "its editable data is cut short");
    uint8_t digest[kDigestSize];
    Sha256 sum;
    sum.Update(payload.data(), payload.size() - kDigestSize);
    sum.Final(digest);
    if (std::memcmp(digest, payload.data() + payload.size() - kDigestSize, kDigestSize) != 0)
        return Damaged(why, "its editable data does not match its checksum");
    Reader body(payload.data() + 4, payload.size() - 4 - kDigestSize);
    body.U32(flags);
    body.U32(width);
    body.U32(height);
    body.U32(depth);
    uint32_t fileCrc = 0;
    body.U32(fileCrc);
    if (flags & ~kKnownFlags) return Damaged(why, "its editable data has unknown flags");
    if (depth != 24 && depth != 32) return Damaged(why, "its editable data has an unknown pixel depth");
    if ((flags & kTransparent) && depth != 32) return Damaged(why, "its editable data has an unknown pixel depth");
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return Damaged(why, "its editable data has an empty or impossible size");
    if (!PixelCountAllowed(width, height))
        return Damaged(why, "the picture under its objects: " + PixelCountMessage(width, height));
    const bool alpha = flags & kFlattenedAlpha;
    if (flattened) {
        if (flattened->Width() != int(width) || flattened->Height() != int(height))
            return Damaged(why, "its editable data is for a picture of another size");
        // RGB pixels may come back at 32 bits; alpha needs them.
        if ((alpha && flattened->Depth() != 32) || (flattened->Depth() != 24 && flattened->Depth() != 32) ||
            FileCrc(*flattened, alpha) != fileCrc)
            return Damaged(why, "its pixels were changed after it was saved");
    }

    uint32_t jsonSize = 0;
    const uint8_t* json = nullptr;
    if (!body.U32(jsonSize) || !(json = body.Take(jsonSize))) return Damaged(why, "its editable data is cut short");
    uint32_t stampCount = 0;
    if (!body.U32(stampCount)) return Damaged(why, "its editable data is cut short");
    struct Stamp {
        uint32_t width, height;
        const uint8_t* z;
        uint32_t size;
    };
    std::vector<Stamp> stamps;
    uint64_t stampPixels = 0;
    for (uint32_t i = 0; i < stampCount; ++i) {
        Stamp s{};
        if (!body.U32(s.width) || !body.U32(s.height) || !body.U32(s.size) || !(s.z = body.Take(s.size)))
            return Damaged(why, "its editable data is cut short");
        if (s.width == 0 || s.height == 0 || !PixelCountAllowed(s.width, s.height))
            return Damaged(why, "a stamp picture in its editable data has an impossible size");
        // Together the pictures stay within what a save writes, checked
        // before any of them is inflated.
        stampPixels += uint64_t(s.width) * s.height;
        if (stampPixels > MaxPixelCount())
            return Damaged(why, "the stamp pictures in its editable data exceed the pixel limit");
        stamps.push_back(s);
    }
    uint64_t pixelSize = 0;
    const uint8_t* pixels = nullptr;
    if (!body.U64(pixelSize) || !(pixels = body.Take(pixelSize))) return Damaged(why, "its editable data is cut short");
    if (body.Left() != 0) return Damaged(why, "its editable data has bytes past its end");

    EditableContent content;
    if (!UnpackRows(pixels, size_t(pixelSize), int(width), int(height), int(depth), content.image, flattened, alpha))
        return Damaged(why, "the picture under its objects cannot be unpacked");
    content.transparent = flags & kTransparent;
    // Stamps come only from the file itself: a description that names any
    // other path is refused, so a file never makes Clipvane read another.
    // A picture named twice is inflated once.
    std::vector<PixelImage> inflated(stamps.size());
    const StampLoader loadStamp = [&stamps, &inflated](const std::string& path, PixelImage& image, std::string& error) {
        const std::string digits = path.empty() ? std::string() : path.substr(1);
        size_t index = 0;
        bool number = !path.empty() && path[0] == kStampPrefix && !digits.empty() && digits.size() <= 9;
        for (char c : digits) {
            number = number && c >= '0' && c <= '9';
            index = index * 10 + size_t(c - '0');
        }
        if (!number || index >= stamps.size()) {
            error = "it is not a picture kept in the file";
            return false;
        }
        const Stamp& s = stamps[index];
        if (inflated[index].IsEmpty() && !UnpackRows(s.z, s.size, int(s.width), int(s.height), 32, inflated[index])) {
            error = "the picture cannot be unpacked";
            return false;
        }
        image = inflated[index];
        return true;
    };
    std::string error;
    if (!ReadObjectsJson(std::string_view(reinterpret_cast<const char*>(json), jsonSize), loadStamp, content.objects,
                         error))
        return Damaged(why, "its objects are refused: " + error);
    out = std::move(content);
    return EditableState::kEditable;
}

EditableState FromSearch(PngChunkSearch found, const std::vector<uint8_t>& payload, const PixelImage* flattened,
                         EditableContent& out, std::string& why) {
    switch (found) {
    case PngChunkSearch::kAbsent: return EditableState::kPlain;
    case PngChunkSearch::kDamaged: return Damaged(why, "its editable data is damaged: " + why);
    case PngChunkSearch::kFound: break;
    }
    // Empty chunks carry nothing to check: the file has no objects.
    if (payload.empty()) return EditableState::kPlain;
    return DecodePayload(payload, flattened, out, why);
}

}  // namespace

EditableState DecodeEditablePng(const uint8_t* file, size_t size, const PixelImage* flattened, EditableContent& out,
                                std::string& why) {
    std::vector<uint8_t> payload;
    std::string reason;
    const PngChunkSearch found = FindPngChunks(file, size, kEditableChunkType, MaxPayload(), payload, reason);
    why = reason;
    return FromSearch(found, payload, flattened, out, why);
}

EditableState ReadEditablePng(const std::string& path, const PixelImage* flattened, EditableContent& out,
                              std::string& why) {
    off_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0) return EditableState::kPlain;
    const ByteReader read = [fd](uint64_t offset, void* data, size_t n) {
        auto* p = static_cast<uint8_t*>(data);
        while (n > 0) {
            const ssize_t got = pread(fd, p, n, off_t(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            p += got;
            n -= size_t(got);
            offset += uint64_t(got);
        }
        return true;
    };
    std::vector<uint8_t> payload;
    std::string reason;
    const PngChunkSearch found = FindPngChunks(read, uint64_t(size), kEditableChunkType, MaxPayload(), payload, reason);
    close(fd);
    why = reason;
    return FromSearch(found, payload, flattened, out, why);
}

}  // namespace clipvane
