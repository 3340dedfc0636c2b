// JPEG decoding through libjpeg-turbo, in the calling process, straight into
// the rows of a PixelImage. Errors leave by longjmp to the stage that set it;
// the stages hold no C++ object a jump could skip, and the image is handed
// over only when every row was read.
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "imagefile/Handlers.h"
#include "imagefile/Jpeg.h"
#include "imagefile/Limits.h"

namespace clipvane {

namespace {

// A progressive file can hold any number of scans, each a pass over the
// whole image; real files have a dozen or so.
constexpr int kMaxScans = 500;
// The coefficients of a progressive image are held whole: two bytes a
// sample, so 1.5 GiB at the pixel limit.
constexpr long kMaxDecoderMemory = 2L << 30;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void NoMessage(j_common_ptr, int) {}

void LimitScans(j_common_ptr info) {
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->is_decompressor && d->input_scan_number > kMaxScans) ErrorExit(info);
}

// A source that reads the file through its descriptor in blocks (no copy of
// the whole file); at the end of the data it supplies an end-of-image
// marker, as libjpeg's own sources do, so a cut-off file reads as far as it
// goes.
struct FileSource {
    jpeg_source_mgr base;
    int fd;
    JOCTET buffer[1 << 16];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<FileSource*>(info->src);
    ssize_t n;
    do {
        n = read(source->fd, source->buffer, sizeof source->buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        n = 2;
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = size_t(n);
    return TRUE;
}

void SkipData(j_decompress_ptr info, long count) {
    jpeg_source_mgr* source = info->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        FillBuffer(info);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= size_t(count);
    }
}

struct Plan {
    JDIMENSION width = 0, height = 0;
    int depth = 0;
    bool cmyk = false;
};

bool ReadHeader(jpeg_decompress_struct* info, ErrorManager* errors, Plan* plan) {
    if (setjmp(errors->jump)) return false;
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
    if (!PixelStorageAllowed(int64_t(info->image_width), int64_t(info->image_height), 24)) return false;
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE: info->out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: info->out_color_space = JCS_CMYK; break;
    default: info->out_color_space = JCS_EXT_BGR; break;
    }
    // The fast integer transform and plain upsampling, as the program's
    // decoder has always used: files open with the pixels they had.
    info->dct_method = JDCT_IFAST;
    info->do_fancy_upsampling = FALSE;
    jpeg_start_decompress(info);
    plan->width = info->output_width;
    plan->height = info->output_height;
    plan->cmyk = info->out_color_space == JCS_CMYK;
    plan->depth = info->out_color_space == JCS_GRAYSCALE ? 8 : 24;
    return info->output_components == (plan->cmyk ? 4 : plan->depth / 8);
}

// Reads the rows; CMYK rows go through `scratch` and become blue-green-red
// (the inverted CMYK that Adobe's writers store: each channel times K).
bool ReadRows(jpeg_decompress_struct* info, ErrorManager* errors, PixelImage* image, uint8_t* scratch) {
    if (setjmp(errors->jump)) return false;
    const JDIMENSION width = info->output_width;
    while (info->output_scanline < info->output_height) {
        const int y = int(info->output_scanline);
        JSAMPROW row = scratch ? scratch : image->Row(y);
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
        if (!scratch) continue;
        uint8_t* out = image->Row(y);
        for (JDIMENSION x = 0; x < width; ++x, out += 3) {
            const uint8_t* p = scratch + size_t(x) * 4;
            const unsigned k = p[3];
            out[0] = uint8_t(p[2] * k / 255);
            out[1] = uint8_t(p[1] * k / 255);
            out[2] = uint8_t(p[0] * k / 255);
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

// Decodes from the source that `attach` sets on the decoder.
template <typename Attach>
bool Decode(Attach attach, PixelImage& out) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.emit_message = NoMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = LimitScans;
    if (setjmp(errors.jump)) {  // jpeg_create_decompress itself may fail
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    struct Destroy {
        jpeg_decompress_struct* info;
        ~Destroy() { jpeg_destroy_decompress(info); }
    } destroy{&info};
    info.progress = &progress;
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    attach(&info);
    Plan plan;
    if (!ReadHeader(&info, &errors, &plan)) return false;
    PixelImage image;
    if (!image.Create(int(plan.width), int(plan.height), plan.depth)) {
        NoteFileError("there is not enough memory");
        return false;
    }
    if (plan.depth == 8) {
        RgbQuad grey[256];
        for (int i = 0; i < 256; ++i) grey[i] = RgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        image.SetPalette(0, 256, grey);
    }
    std::vector<uint8_t> scratch(plan.cmyk ? size_t(plan.width) * 4 : 0);
    if (!ReadRows(&info, &errors, &image, plan.cmyk ? scratch.data() : nullptr)) return false;
    out = std::move(image);
    return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* bytes, size_t size, PixelImage& out) {
    if (!bytes || size < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    return Decode([&](j_decompress_ptr info) { jpeg_mem_src(info, bytes, static_cast<unsigned long>(size)); }, out);
}

bool DecodeJpegFile(int fd, PixelImage& out) {
    uint8_t head[2];
    ssize_t n;
    do {
        n = pread(fd, head, 2, 0);
    } while (n < 0 && errno == EINTR);
    if (n != 2 || head[0] != 0xFF || head[1] != 0xD8) return false;
    auto source = std::make_unique<FileSource>();
    source->fd = fd;
    source->base.init_source = InitSource;
    source->base.fill_input_buffer = FillBuffer;
    source->base.skip_input_data = SkipData;
    source->base.resync_to_restart = jpeg_resync_to_restart;
    source->base.term_source = TermSource;
    source->base.bytes_in_buffer = 0;
    source->base.next_input_byte = nullptr;
    return Decode([&](j_decompress_ptr info) { info->src = &source->base; }, out);
}

bool JpegHandler::LoadFile(const std::string& path) {
    off_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0) return false;
    auto image = std::make_unique<PixelImage>();
    const bool ok = size > 0 && DecodeJpegFile(fd, *image);
    if (size <= 0) NoteFileError("the file is empty");
    close(fd);
    if (ok) frames.push_back(std::move(image));
    return ok;
}

bool JpegHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    auto image = std::make_unique<PixelImage>();
    if (!DecodeJpeg(bytes, size, *image)) return false;
    frames.push_back(std::move(image));
    return true;
}

}  // namespace clipvane
