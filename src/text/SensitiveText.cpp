#include "text/SensitiveText.h"

#include <algorithm>
#include <regex>

namespace clipvane {
namespace {

struct LineText {
    std::string text;
    std::vector<size_t> starts;  // each word's first byte in `text`
};

LineText JoinWords(const RecognizedLine& line) {
    LineText out;
    for (const RecognizedWord& word : line.words) {
        if (!out.text.empty()) out.text += ' ';
        out.starts.push_back(out.text.size());
        out.text += word.text;
    }
    return out;
}

Rect Grow(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) return b;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// The box of the words that [begin, end) of the joined line touches.
Rect WordsBox(const RecognizedLine& line, const LineText& joined, size_t begin, size_t end) {
    Rect box;
    for (size_t k = 0; k < line.words.size(); ++k) {
        const size_t b = joined.starts[k], e = b + line.words[k].text.size();
        if (b < end && begin < e) box = Grow(box, line.words[k].box);
    }
    return box;
}

Rect WithMargin(const Rect& box, int lineHeight, int width, int height) {
    // A quarter of the line's height covers antialiased edges and boxes that
    // the recogniser drew a pixel or two short.
    const int margin = std::max(3, lineHeight / 4);
    return Rect{box.left - margin, box.top - margin, box.right + margin, box.bottom + margin}.Intersected(
        Rect{0, 0, width, height});
}

bool EndsKeyBlock(const std::string& text) {
    const size_t end = text.find("END");
    return end != std::string::npos && text.find("PRIVATE KEY", end) != std::string::npos;
}

}  // namespace

SecretSearch FindSecrets(const TextResult& text, const std::vector<std::string>& userPatterns, int width, int height) {
    SecretSearch search;
    std::vector<std::regex> patterns;
    for (const std::string& source : userPatterns) {
        try {
            patterns.emplace_back(source, std::regex::ECMAScript);
        } catch (const std::regex_error&) {
            search.badPatterns.push_back(source);
        }
    }
    const std::vector<RecognizedLine>& lines = text.lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineText joined = JoinWords(lines[i]);
        std::vector<SecretSpan> spans = ScanLine(joined.text);
        if (!spans.empty() && spans.front().kind == SecretKind::kPrivateKey) {
            // The whole block: every line to the END line, within the block of lines.
            Rect box = lines[i].box;
            size_t last = i;
            while (last + 1 < lines.size() && lines[last + 1].block == lines[i].block) {
                box = Grow(box, lines[++last].box);
                if (EndsKeyBlock(JoinWords(lines[last]).text)) break;
            }
            search.matches.push_back({SecretKind::kPrivateKey, WithMargin(box, lines[i].box.Height(), width, height)});
            i = last;
            continue;
        }
        const std::string_view limited = std::string_view(joined.text).substr(0, kPatternLineLimit);
        for (const std::regex& pattern : patterns) {
            try {
                for (std::cregex_iterator it(limited.data(), limited.data() + limited.size(), pattern), end; it != end;
                     ++it) {
                    const size_t b = size_t(it->position(0)), e = b + size_t(it->length(0));
                    if (e > b) spans.push_back({SecretKind::kPattern, b, e});
                }
            } catch (const std::regex_error&) {
                // Too complex for this line: the built-in scanners' matches still count.
            }
        }
        for (const SecretSpan& span : spans) {
            const Rect box = WordsBox(lines[i], joined, span.begin, span.end);
            if (!box.IsEmpty()) search.matches.push_back({span.kind, WithMargin(box, box.Height(), width, height)});
        }
    }
    return search;
}

}  // namespace clipvane
