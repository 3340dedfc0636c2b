#include "text/TextResult.h"

namespace clipvane {

std::string PlainText(const TextResult& result) {
    std::string text;
    for (size_t i = 0; i < result.lines.size(); ++i) {
        const RecognizedLine& line = result.lines[i];
        if (i > 0 && line.block != result.lines[i - 1].block) text += '\n';
        for (size_t k = 0; k < line.words.size(); ++k) {
            if (k > 0) text += ' ';
            text += line.words[k].text;
        }
        text += '\n';
    }
    return text;
}

int LineCount(const TextResult& result) { return int(result.lines.size()); }

}  // namespace clipvane
