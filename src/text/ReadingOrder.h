#pragma once
// Reading order of recognised lines: a recursive cut of the page at its
// widest empty band, across (between rows of lines) or down (between
// columns), so each column is read to its end before the next one starts.
#include <vector>

#include "text/TextResult.h"

namespace clipvane {

// Puts `lines` in reading order and numbers their blocks: a new block starts
// at a column and after a gap taller than a line.
void OrderLines(std::vector<RecognizedLine>& lines);

}  // namespace clipvane
