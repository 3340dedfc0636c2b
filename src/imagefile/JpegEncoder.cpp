#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "imagefile/Jpeg.h"

namespace clipvane {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void NoMessage(j_common_ptr, int) {}

// Compresses the rows of a 24- or 32-bit image into a buffer from
// jpeg_mem_dest. Kept apart so that nothing but `info` (in memory) is used
// on the error path after longjmp.
bool Compress(const PixelImage& image, unsigned char** buffer, unsigned long* size) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.emit_message = NoMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = JDIMENSION(image.Width());
    info.image_height = JDIMENSION(image.Height());
    info.input_components = image.Depth() / 8;
    info.in_color_space = image.Depth() == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.Row(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const PixelImage& source) {
    if (source.IsEmpty()) return {};
    PixelImage converted;
    const PixelImage* image = &source;
    if (source.Depth() != 24 && source.Depth() != 32) {
        converted.Copy(source);
        converted.ConvertTo(24);
        if (converted.Depth() != 24) return {};
        image = &converted;
    }
    if (image->Width() > JPEG_MAX_DIMENSION || image->Height() > JPEG_MAX_DIMENSION) return {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> out;
    if (Compress(*image, &buffer, &size) && buffer && size) out.assign(buffer, buffer + size);
    std::free(buffer);
    return out;
}

}  // namespace clipvane
