#pragma once
// Captures and images to and from the clipboard.
#include <QString>

class QMimeData;

namespace clipvane {

class PixelImage;

// Puts a 24- or 32-bit image on the clipboard as "image/png", "image/bmp"
// (a BMP file: file header, the image's 40-byte header and its rows as
// stored) and Qt's own image. The formats are encoded only when another
// program asks for them. Images without pixels or under 24 bits are refused
// (false).
bool CopyImageToClipboard(const PixelImage& image);

// Reads the clipboard's picture into a 32-bit `image`; false, `image`
// untouched, when it holds none that can be read. Pictures this program put
// there come back exactly (24-bit ones opaque).
bool ReadClipboardImage(PixelImage& image);

// True when the clipboard holds a picture or one copied image file. The
// answer is kept until the clipboard changes, so asking often costs nothing.
bool ClipboardHasImage();

// What the two above do with one clipboard's contents. Tried in turn:
// "image/bmp" (a BMP file or a bare bitmap), "image/png", "image/jpeg", any
// other image type Qt reads, a copied image file ("text/uri-list" or
// "x-special/gnome-copied-files" naming one local file, read through
// LoadFromFile), Qt's own image.
bool ImageFromMimeData(const QMimeData& mime, PixelImage& image);
bool MimeDataHasImage(const QMimeData& mime);
// Why the last ImageFromMimeData (or ReadClipboardImage) of this thread found
// a picture but could not read it (too large, damaged); empty when it read
// one or there was none.
QString ClipboardImageRefusal();

// Sets Qt's decoding allocation limit to match the pixel limit (PixelLimit.h):
// Qt's own default of 256 MB would refuse a picture the program takes. Done
// before every decode through Qt here, and once at start for the rest.
void SyncQtAllocationLimit();

// Makes a picture from outside 32 bits per pixel; one that had no alpha
// becomes opaque. False (image unusable) when the conversion fails.
bool MakeOpaque32(PixelImage& image);

// The local path of the one file a "text/uri-list" or
// "x-special/gnome-copied-files" list names; empty for none or several.
QString CopiedFilePath(const QMimeData& mime);

}  // namespace clipvane
