#pragma once
// Text recognition of a picture with Tesseract, in this process and offline.
// The picture's text regions are prepared one by one (TextRegions.h) and
// recognised on every core, one engine per thread; the engines are kept for
// the next call, since loading a language takes longer than reading a
// screenful. Call from a worker thread: it takes a while.
#include <atomic>
#include <string>
#include <vector>

#include "text/TextResult.h"

namespace clipvane {

class PixelImage;

struct RecognizeOptions {
    // Tesseract's language names, several joined by '+': "eng", "eng+deu".
    std::string language = "eng";
    // The folder of the language files; empty for the installed ones.
    std::string dataPath;
    // Threads to use; 0 for one per processor.
    int threads = 0;
    // Only this part of the picture (a crop band); empty for all of it. The
    // boxes found are in the whole picture's pixels all the same.
    Rect area;
    // Checked between regions and inside the engine: set it to stop early.
    const std::atomic<bool>* cancel = nullptr;
};

// Recognises the text of a 24- or 32-bit picture. A picture past the pixel
// limit (PixelLimit.h), of another depth or a language that is not installed
// gives kRefused with a message; no text at all is kDone with no lines.
TextResult RecognizeText(const PixelImage& image, const RecognizeOptions& options = {});

// The installed languages, sorted ("eng", "deu", ...), without the
// orientation data "osd".
std::vector<std::string> InstalledLanguages(const std::string& dataPath = {});

}  // namespace clipvane
