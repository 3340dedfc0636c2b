#pragma once
// Sensitive text in recognised words: what the scanners (SecretScanners.h)
// and the user's own patterns find, as boxes to cover. A match keeps its kind
// and its box only, never the text it covers.
#include <string>
#include <vector>

#include "image/Bitmap.h"
#include "text/SecretScanners.h"
#include "text/TextResult.h"

namespace clipvane {

struct SecretMatch {
    SecretKind kind;
    Rect box;  // the union of the matched words' boxes and a margin, within the picture
};

struct SecretSearch {
    std::vector<SecretMatch> matches;  // reading order
    // The user's patterns that are no valid regular expression (not used).
    std::vector<std::string> badPatterns;
};

// Regular expressions (ECMAScript) are tried on lines up to this many bytes;
// past it a line's tail is not searched with them, since the standard
// library's matcher can recurse as deep as the text is long.
inline constexpr size_t kPatternLineLimit = 2000;

// Searches the lines of `text` in a `width` x `height` picture. A
// private-key block is covered from its first line to its END line (or the
// end of its block of lines).
SecretSearch FindSecrets(const TextResult& text, const std::vector<std::string>& userPatterns, int width, int height);

}  // namespace clipvane
