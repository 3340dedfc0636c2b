// text and redact: the text recognition core on the command line.
//   text [--lang L] [--tsv] IN: prints the text in reading order, or with
//     --tsv one word a line: block, line, left, top, width, height,
//     confidence and the word, split by tabs.
//   redact --auto [--lang L] [--pattern RE]... IN OUT: covers everything
//     sensitive with a mosaic as the editor's Redact does and saves OUT.
//   redact --check [--lang L] [--pattern RE]... IN: exits 3 when anything
//     sensitive is found.
// redact prints one line per match, "KIND LEFT,TOP WIDTHxHEIGHT", never the
// text that matched.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "document/BandEffects.h"
#include "image/PixelImage.h"
#include "image/effects/MosaicEffect.h"
#include "text/SensitiveText.h"
#include "text/TextRecognizer.h"

namespace {

constexpr int kFound = 3;

// Recognises IN's text; false (a message on stderr) when that is refused.
// `depth` is the file's own depth: the image is recognised at 32 bits.
bool Recognize(const char* path, const std::string& language, clipvane::PixelImage& image, clipvane::TextResult& result,
               int& depth) {
    if (!LoadInput(path, image)) return false;
    depth = image.Depth();
    if (depth != 32) image.ConvertTo(32);
    clipvane::RecognizeOptions options;
    options.language = language;
    result = clipvane::RecognizeText(image, options);
    if (result.status != clipvane::RecognizeStatus::kDone) {
        std::fprintf(stderr, "clipvane-image: cannot read the text of '%s': %s\n", path, result.message.c_str());
        return false;
    }
    if (result.lines.empty()) std::fprintf(stderr, "clipvane-image: no text found in '%s'\n", path);
    return true;
}

}  // namespace

int CommandText(int argc, char** argv) {
    std::string language = "eng";
    bool tsv = false;
    const char* input = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc) {
            language = argv[++i];
        } else if (std::strcmp(argv[i], "--tsv") == 0) {
            tsv = true;
        } else if (argv[i][0] != '-' && !input) {
            input = argv[i];
        } else {
            input = nullptr;
            break;
        }
    }
    if (!input) {
        std::fprintf(stderr, "usage: clipvane-image text [--lang L] [--tsv] IN\n");
        return 2;
    }
    clipvane::PixelImage image;
    clipvane::TextResult result;
    int depth = 0;
    if (!Recognize(input, language, image, result, depth)) return 1;
    if (!tsv) {
        std::fputs(clipvane::PlainText(result).c_str(), stdout);
        return 0;
    }
    for (size_t n = 0; n < result.lines.size(); ++n) {
        const clipvane::RecognizedLine& line = result.lines[n];
        for (const clipvane::RecognizedWord& w : line.words)
            std::printf("%d\t%zu\t%d\t%d\t%d\t%d\t%.0f\t%s\n", line.block, n, w.box.left, w.box.top, w.box.Width(),
                        w.box.Height(), double(w.confidence), w.text.c_str());
    }
    return 0;
}

int CommandRedact(int argc, char** argv) {
    std::string language = "eng";
    std::vector<std::string> patterns;
    std::vector<const char*> files;
    int mode = 0;  // 1 --auto, 2 --check
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc) {
            language = argv[++i];
        } else if (std::strcmp(argv[i], "--pattern") == 0 && i + 1 < argc) {
            patterns.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--auto") == 0 && mode == 0) {
            mode = 1;
        } else if (std::strcmp(argv[i], "--check") == 0 && mode == 0) {
            mode = 2;
        } else if (argv[i][0] != '-') {
            files.push_back(argv[i]);
        } else {
            mode = 0;
            break;
        }
    }
    if (mode == 0 || files.size() != size_t(mode == 1 ? 2 : 1)) {
        std::fprintf(stderr,
                     "usage: clipvane-image redact --auto [--lang L] [--pattern RE]... IN OUT\n"
                     "       clipvane-image redact --check [--lang L] [--pattern RE]... IN\n");
        return 2;
    }
    clipvane::PixelImage image;
    clipvane::TextResult result;
    int depth = 0;
    if (!Recognize(files[0], language, image, result, depth)) return 1;
    const clipvane::SecretSearch search = clipvane::FindSecrets(result, patterns, image.Width(), image.Height());
    for (const std::string& bad : search.badPatterns)
        for (size_t k = 0; k < patterns.size(); ++k)
            if (patterns[k] == bad)
                std::fprintf(stderr, "clipvane-image: --pattern number %zu is not a valid regular expression\n", k + 1);
    for (const clipvane::SecretMatch& m : search.matches) {
        std::printf("%s %d,%d %dx%d\n", clipvane::SecretKindName(m.kind), m.box.left, m.box.top, m.box.Width(),
                    m.box.Height());
        if (mode == 1) {
            // The editor's Redact: a mosaic whose cells are as tall as the box.
            clipvane::MosaicEffect mosaic(clipvane::RedactCell(m.box.Height()));
            clipvane::ApplyEffectsInBand(image, m.box, {&mosaic});
        }
    }
    if (mode == 2) return search.matches.empty() ? 0 : kFound;
    if (depth == 24) image.ConvertTo(24);
    return SaveOutput(image, files[1]) ? 0 : 1;
}
