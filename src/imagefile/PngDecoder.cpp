// PNG decoding through libpng, in the calling process, straight into the
// rows of a PixelImage. libpng reports errors by longjmp; the functions that
// call setjmp hold no C++ object that a jump could skip, and the image is
// handed over only when every row was read.
#include <png.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "imagefile/Handlers.h"
#include "imagefile/Limits.h"
#include "imagefile/Png.h"

namespace clipvane {

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->pos) png_error(png, "the file ends early");
    std::memcpy(out, reader->data + reader->pos, count);
    reader->pos += count;
}

// Reads a file through its descriptor in blocks: no copy of the whole file.
struct FileReader {
    int fd;
    size_t pos = 0, have = 0;
    uint8_t buffer[1 << 16];
};

void ReadFromFile(png_structp png, png_bytep out, size_t count) {
    auto* reader = static_cast<FileReader*>(png_get_io_ptr(png));
    while (count) {
        if (reader->pos == reader->have) {
            ssize_t n;
            do {
                n = read(reader->fd, reader->buffer, sizeof reader->buffer);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) png_error(png, "the file ends early");
            reader->pos = 0;
            reader->have = size_t(n);
        }
        const size_t part = std::min(count, reader->have - reader->pos);
        std::memcpy(out, reader->buffer + reader->pos, part);
        reader->pos += part;
        out += part;
        count -= part;
    }
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// What the file holds and how it becomes PixelImage rows: palette images keep
// their indexes (1, 4 or 8 bits, 2-bit indexes widened to 8); everything else
// becomes 24-bit blue-green-red, or 32-bit with alpha when the file has alpha
// or a transparency chunk. 16-bit samples keep their high byte.
struct Plan {
    png_uint_32 width = 0, height = 0;
    int depth = 0;
    int passes = 1;
    size_t rowBytes = 0;
    RgbQuad palette[256];
    int paletteCount = 0;
};

bool ReadHeader(png_structp png, png_infop info, Plan* plan) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &plan->width, &plan->height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    if (!PixelStorageAllowed(int64_t(plan->width), int64_t(plan->height), 32)) return false;
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE && !transparency) {
        png_colorp colours = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &colours, &count) != PNG_INFO_PLTE || !colours) return false;
        plan->depth = bitDepth == 2 ? 8 : bitDepth;
        if (bitDepth == 2) png_set_packing(png);
        // The grey ramp of a new image, then the file's colours.
        const int entries = 1 << plan->depth;
        for (int i = 0; i < entries; ++i) {
            const uint8_t v = uint8_t((255 / (entries - 1)) * i);
            plan->palette[i] = RgbQuad{v, v, v, 0};
        }
        for (int i = 0; i < count && i < entries; ++i)
            plan->palette[i] = RgbQuad{colours[i].blue, colours[i].green, colours[i].red, 0};
        plan->paletteCount = entries;
    } else {
        if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
        if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
        if (transparency) png_set_tRNS_to_alpha(png);
        if (bitDepth == 16) png_set_strip_16(png);
        if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
        png_set_bgr(png);
        const bool alpha = transparency || (colourType & PNG_COLOR_MASK_ALPHA);
        plan->depth = alpha ? 32 : 24;
    }
    plan->passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    plan->rowBytes = png_get_rowbytes(png, info);
    return true;
}

// Every pass of every row into the image's rows (an interlaced file's passes
// fill in the pixels of rows read before).
bool ReadRows(png_structp png, PixelImage* image, int passes) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int height = image->Height();
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) png_read_row(png, image->Row(y), nullptr);
    return true;
}

// Decodes from whatever `read` reads through `io`.
bool Decode(png_rw_ptr read, void* io, PixelImage& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    struct Destroy {
        png_structp& png;
        png_infop& info;
        ~Destroy() {
            if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        }
    } destroy{png, info};
    if (!info) {
        NoteFileError("there is not enough memory");
        return false;
    }
    png_set_read_fn(png, io, read);
    // The pixel limit decides sizes. Only the image's own chunks are read:
    // every other one (text, profiles, gamma) is skipped unread, so that a
    // chunk claiming gigabytes allocates nothing (libpng would allocate a
    // text chunk's claimed length before reading it).
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_chunk_malloc_max(png, size_t(16) << 20);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    // Every chunk's CRC is checked; zlib's own checksum over the inflated
    // rows adds a tenth to the time and nothing the CRCs do not cover.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    Plan plan;
    if (!ReadHeader(png, info, &plan)) return false;
    PixelImage image;
    if (!image.Create(int(plan.width), int(plan.height), plan.depth)) {
        NoteFileError("there is not enough memory");
        return false;
    }
    if (plan.paletteCount) image.SetPalette(0, plan.paletteCount, plan.palette);
    if (plan.rowBytes > size_t(image.Stride())) return false;
    if (!ReadRows(png, &image, plan.passes)) return false;
    out = std::move(image);
    return true;
}

}  // namespace

bool DecodePng(const uint8_t* bytes, size_t size, PixelImage& out) {
    if (!bytes || size < 8 || png_sig_cmp(bytes, 0, 8) != 0) return false;
    MemoryReader reader{bytes, size, 0};
    return Decode(ReadFromMemory, &reader, out);
}

bool DecodePngFile(int fd, PixelImage& out) {
    auto reader = std::make_unique<FileReader>();
    reader->fd = fd;
    png_byte signature[8];
    ssize_t n;
    do {
        n = pread(fd, signature, 8, 0);
    } while (n < 0 && errno == EINTR);
    if (n != 8 || png_sig_cmp(signature, 0, 8) != 0) return false;
    return Decode(ReadFromFile, reader.get(), out);
}

bool PngHandler::LoadFile(const std::string& path) {
    off_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0) return false;
    auto image = std::make_unique<PixelImage>();
    const bool ok = size > 0 && DecodePngFile(fd, *image);
    if (size <= 0) NoteFileError("the file is empty");
    close(fd);
    if (ok) frames.push_back(std::move(image));
    return ok;
}

bool PngHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    auto image = std::make_unique<PixelImage>();
    if (!DecodePng(bytes, size, *image)) return false;
    frames.push_back(std::move(image));
    return true;
}

}  // namespace clipvane
