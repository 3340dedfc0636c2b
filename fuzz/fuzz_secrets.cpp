// Recognised text is outside data: any line given to the sensitive-text
// scanners must neither crash nor read out of bounds, every match must lie
// inside the line, in order and without overlaps, and the word boxes built
// from it must stay inside the picture.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/SecretScanners.h"
#include "text/SensitiveText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    size_t last = 0;
    for (const clipvane::SecretSpan& span : clipvane::ScanLine(line)) {
        if (span.begin >= span.end || span.end > line.size() || span.begin < last) std::abort();
        last = span.end;
    }
    // The same bytes as recognised words: split at spaces and newlines, one
    // line per newline, each word 8 pixels a byte.
    clipvane::TextResult text;
    text.lines.emplace_back();
    int x = 0;
    std::string word;
    const auto flush = [&] {
        if (word.empty()) return;
        const int w = 8 * int(word.size());
        const int top = 20 * int(text.lines.size() - 1);
        text.lines.back().words.push_back({word, clipvane::Rect{x, top, x + w, top + 16}, 50});
        x += w + 8;
        word.clear();
    };
    for (char c : line) {
        if (c == ' ' || c == '\n') {
            flush();
            if (c == '\n') {
                text.lines.emplace_back();
                x = 0;
            }
        } else {
            word += c;
        }
    }
    flush();
    for (clipvane::RecognizedLine& l : text.lines)
        if (!l.words.empty()) l.box = clipvane::Rect{0, l.words[0].box.top, x, l.words[0].box.bottom};
    const clipvane::SecretSearch found = clipvane::FindSecrets(text, {"[0-9]{3,}-x"}, 4000, 4000);
    for (const clipvane::SecretMatch& m : found.matches)
        if (m.box.IsEmpty() || m.box.left < 0 || m.box.top < 0 || m.box.right > 4000 || m.box.bottom > 4000)
            std::abort();
    return 0;
}
