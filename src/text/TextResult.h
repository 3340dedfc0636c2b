#pragma once
// What recognition finds in a picture: words with their boxes and
// confidences, grouped into lines that are listed in reading order.
#include <string>
#include <vector>

#include "image/Bitmap.h"

namespace clipvane {

struct RecognizedWord {
    std::string text;      // UTF-8
    Rect box;              // in the picture's pixels, row 0 at the top
    float confidence = 0;  // 0 to 100
};

struct RecognizedLine {
    Rect box;
    std::vector<RecognizedWord> words;  // left to right
    // Lines of one block (a paragraph, one column's run of lines) share it;
    // blocks are numbered in reading order.
    int block = 0;
};

enum class RecognizeStatus {
    kDone,       // finished; `lines` may be empty when the picture holds no text
    kCancelled,  // stopped by the cancel flag; `lines` is empty
    kRefused,    // the picture cannot be recognised; `message` says why
};

struct TextResult {
    RecognizeStatus status = RecognizeStatus::kDone;
    std::string message;
    std::vector<RecognizedLine> lines;  // reading order
};

// The text as plain lines in reading order: the words of a line joined by
// spaces, one line a line, blocks (columns, paragraphs) apart by an empty
// line. Empty when nothing was recognised.
std::string PlainText(const TextResult& result);

// The number of lines PlainText gives, without the empty ones between blocks.
int LineCount(const TextResult& result);

}  // namespace clipvane
