#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/PixelLimit.h"
#include "imagefile/FileError.h"
#include "imagefile/FreeImageDecode.h"
#include "imagefile/Handlers.h"
#include "imagefile/IsolatedDecoder.h"
#include "imagefile/Limits.h"

namespace clipvane {

namespace {

// The decoder allocates a GIF frame at the size its descriptor claims, which
// a file of a few dozen bytes can make gigantic. False when the first frame's
// descriptor, found within `size` bytes, is past the pixel limit (the reason
// noted); true for anything else, which the decoder judges.
bool GifFrameAllowed(const uint8_t* p, size_t size) {
    if (size < 13 || std::memcmp(p, "GIF", 3) != 0) return true;
    size_t pos = 13;
    if (p[10] & 0x80) pos += 3 * (size_t(2) << (p[10] & 7));  // global colour table
    while (pos < size) {
        if (p[pos] == 0x2C) {  // image descriptor
            if (size - pos < 9) return true;
            const int64_t width = ReadLe16(p + pos + 5), height = ReadLe16(p + pos + 7);
            if (width == 0 || height == 0 || PixelCountAllowed(width, height)) return true;
            NoteFileError(PixelCountMessage(width, height));
            return false;
        }
        if (p[pos] != 0x21 || size - pos < 2) return true;  // not an extension: the trailer or damage
        pos += 2;
        while (pos < size) {  // the extension's data sub-blocks
            const size_t length = p[pos];
            pos += 1 + length;
            if (length == 0) break;
        }
    }
    return true;
}

}  // namespace

bool FreeImageHandler::LoadFile(const std::string& path) {
    off_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0) return false;
    if (size == 0) {
        NoteFileError("the file is empty");
        close(fd);
        return false;
    }
    std::vector<uint8_t> head(size_t(size < (1 << 20) ? size : (1 << 20)));
    const ssize_t got = pread(fd, head.data(), head.size(), 0);
    if (got > 0 &&
        (!GifFrameAllowed(head.data(), size_t(got)) || !PsdHeaderAllowed(head.data(), size_t(got), uint64_t(size)))) {
        close(fd);
        return false;
    }
    // The decoder process inherits the descriptor and reads the file checked
    // here through it, whatever happens to the name meanwhile (by the name
    // only where /proc is missing).
    const std::string opened = access("/proc/self/fd", X_OK) == 0 ? "/proc/self/fd/" + std::to_string(fd) : path;
    const bool ok = DecodeIsolated(opened.c_str(), nullptr, 0, frames, firstFrameOnly ? 1 : 0);
    close(fd);
    return ok;
}

bool FreeImageHandler::LoadMemory(const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0) return false;
    if (!GifFrameAllowed(bytes, size) || !PsdHeaderAllowed(bytes, size, size)) return false;
    return DecodeIsolated(nullptr, bytes, size, frames, firstFrameOnly ? 1 : 0);
}

}  // namespace clipvane
