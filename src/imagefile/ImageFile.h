#pragma once
// The image file layer: files to PixelImages and back. The reader or writer is
// chosen by the file name's extension through the process-wide handler factory
// (ImageHandler.h). Everything here reports failure by its result, and why
// through LastImageFileError.
//
// Only regular files are read or written: a pipe, device or socket is refused
// ("it is not a regular file") without blocking, as it is opened without
// waiting and checked on the open descriptor.
#include <string>
#include <string_view>

#include "image/PixelImage.h"

namespace clipvane {

// File type code derived from a path's extension (the text after the last
// "." of the whole path, any letter case); 0 when the extension is unknown.
enum ImageFileType : int {
    kFileNone = 0,
    kFileBmp = 1,
    kFilePcx = 2,
    kFileJpeg = 3,
    kFileGif = 4,
    kFileTga = 5,
    kFileTiff = 6,
    kFilePng = 7,
    kFilePsd = 8,
    kFileIco = 9,
    kFileXpm = 10,
};

ImageFileType TypeFromPath(std::string_view path);

// True when `path` is a regular file this process can open for reading,
// checked without waiting on it; else false, the reason kept for
// LastImageFileError.
bool CanOpenForReading(const std::string& path);

// Replaces `image` by the first frame of the file (its frameDelay set from the
// animation's "FrameTime" when there is one). False, with `image` untouched,
// when there is no reader for the type or the file cannot be decoded.
bool LoadFromFile(const std::string& path, PixelImage& image);

// Writes `image` through the current factory's handler for the path's type.
// `param` -1 means the writer's defaults (TGA: 1 = run-length coded). The
// file is replaced atomically: on failure an existing file stays untouched.
bool SaveToFile(const PixelImage& image, const std::string& path, int param = -1);

// The save routine of the document and of automatic capture files: BMP, TGA,
// JPEG, GIF, TIFF, PNG and PCX by extension, with default settings. Non-zero
// on success; on failure any existing file at `path` is left as it was.
int SaveImageFile(const PixelImage& image, const std::string& path);

// Why the last LoadFromFile, SaveToFile or SaveImageFile of this thread
// failed, as a phrase to follow a colon: the system's own reason ("No such
// file or directory", "Permission denied"), "it is not a regular file", or a
// size limit of the program or of the format. Empty when nothing more is
// known.
std::string LastImageFileError();

}  // namespace clipvane
