#pragma once
// Copy, Cut and Paste of the editor: the image region under the band (or the
// whole image) to the clipboard, and a clipboard picture into the image at
// its top-left corner. Objects are left alone: Copy and Cut take the image
// without them, Paste writes into the image under them.
#include <functional>

#include "image/Bitmap.h"

namespace clipvane {

class ImageDocument;
class PixelImage;

// The answers to "Clipboard image is larger than the image, expand the image?".
enum class ExpandAnswer { Yes, No, Cancel };

// The region Copy and Cut take: `band` (image pixels) clipped to the image
// when that leaves at least one pixel, otherwise the whole image.
Rect ClipboardRegion(const PixelImage& image, const Rect& band);

// Puts the region of the image under `band` (or the whole image) on the
// clipboard. False when there is nothing to put there.
bool CopyImageRegion(const PixelImage& image, const Rect& band);

// Copies as above, then paints the band opaque white as one undo step. With
// no band nothing is painted. False when nothing was copied.
bool CutImageRegion(ImageDocument& doc, const Rect& band);

// What Paste did to the document.
enum class PasteResult { Nothing, Pasted, Expanded };

// Pastes `picture` (any depth of 24 or 32 bits) into the document image at
// (0, 0) as one undo step, the image going to 32 bits. A picture larger than
// the image in either direction asks `ask` first: Yes grows the image to take
// it (white where neither reaches, alpha 0), No clips it to the image,
// Cancel leaves everything as it was. An empty picture changes nothing.
PasteResult PasteImage(ImageDocument& doc, const PixelImage& picture, const std::function<ExpandAnswer()>& ask);

// The question as a message box with Yes, No and Cancel.
ExpandAnswer AskExpandImage();

}  // namespace clipvane
