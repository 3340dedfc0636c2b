#include "text/ReadingOrder.h"

#include <algorithm>
#include <climits>

namespace clipvane {
namespace {

struct Gap {
    int size = -1;
    int at = 0;  // the cut: boxes starting at or after it go second
};

// The widest gap in the projection of `boxes` onto one axis; `lo` and `hi`
// pick the box's start and end on that axis.
template <typename Lo, typename Hi>
Gap WidestGap(std::vector<const Rect*> boxes, Lo lo, Hi hi) {
    std::sort(boxes.begin(), boxes.end(), [&](const Rect* a, const Rect* b) { return lo(*a) < lo(*b); });
    Gap best;
    int reach = hi(*boxes.front());
    for (size_t i = 1; i < boxes.size(); ++i) {
        const int gap = lo(*boxes[i]) - reach;
        if (gap > best.size) best = Gap{gap, lo(*boxes[i])};
        reach = std::max(reach, hi(*boxes[i]));
    }
    return best;
}

class Orderer {
public:
    explicit Orderer(const std::vector<RecognizedLine>& lines) : lines_(lines) {}

    // Appends `group` in reading order to `order_`; `fresh` says the group
    // starts a new block.
    void Cut(std::vector<int> group, bool fresh) {
        if (group.size() == 1) {
            Emit(group.front(), fresh);
            return;
        }
        std::vector<const Rect*> boxes;
        std::vector<int> heights;
        for (int i : group) {
            boxes.push_back(&lines_[size_t(i)].box);
            heights.push_back(lines_[size_t(i)].box.Height());
        }
        std::nth_element(heights.begin(), heights.begin() + long(heights.size() / 2), heights.end());
        const int lineHeight = std::max(1, heights[heights.size() / 2]);
        const Gap across = WidestGap(
            boxes, [](const Rect& r) { return r.top; }, [](const Rect& r) { return r.bottom; });
        const Gap down = WidestGap(
            boxes, [](const Rect& r) { return r.left; }, [](const Rect& r) { return r.right; });
        // A column gap must be wider than the spaces within a line of text,
        // and a column starts two or more lines at one left edge: the scattered
        // pieces of lines around a blank or covered stretch are no column.
        int aligned = 0, start = INT_MAX;
        for (int i : group)
            if (lines_[size_t(i)].box.left >= down.at) start = std::min(start, lines_[size_t(i)].box.left);
        for (int i : group) {
            const int left = lines_[size_t(i)].box.left;
            aligned += left >= start && left <= start + lineHeight / 2;
        }
        const bool columns = down.size >= lineHeight * 3 / 2 && down.size > across.size && aligned >= 2;
        if (!columns && across.size <= 0) {
            if (down.size > 0) {  // lines side by side on one row
                Split(group, down.at, false, fresh, false);
                return;
            }
            std::sort(group.begin(), group.end(), [&](int a, int b) {
                const Rect &ra = lines_[size_t(a)].box, &rb = lines_[size_t(b)].box;
                return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
            });
            for (size_t k = 0; k < group.size(); ++k) Emit(group[k], fresh && k == 0);
            return;
        }
        if (columns)  // columns are blocks of their own, the first one too
            Split(group, down.at, false, true, true);
        else
            Split(group, across.at, true, fresh, across.size > lineHeight);
    }

    std::vector<int> order_;
    std::vector<int> block_;

private:
    // Cuts `group` at `at` (a row when `rows`, else a column); `firstFresh`
    // and `secondFresh` say whether each side starts a block.
    void Split(const std::vector<int>& group, int at, bool rows, bool firstFresh, bool secondFresh) {
        std::vector<int> first, second;
        for (int i : group) {
            const Rect& r = lines_[size_t(i)].box;
            ((rows ? r.top : r.left) < at ? first : second).push_back(i);
        }
        Cut(first, firstFresh);
        Cut(second, secondFresh);
    }

    void Emit(int line, bool fresh) {
        if (fresh || block_.empty()) ++blocks_;
        order_.push_back(line);
        block_.push_back(blocks_ - 1);
    }

    const std::vector<RecognizedLine>& lines_;
    int blocks_ = 0;
};

}  // namespace

void OrderLines(std::vector<RecognizedLine>& lines) {
    if (lines.empty()) return;
    Orderer orderer(lines);
    std::vector<int> all(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) all[i] = int(i);
    orderer.Cut(all, true);
    std::vector<RecognizedLine> ordered;
    ordered.reserve(lines.size());
    for (size_t k = 0; k < orderer.order_.size(); ++k) {
        ordered.push_back(std::move(lines[size_t(orderer.order_[k])]));
        ordered.back().block = orderer.block_[k];
    }
    lines = std::move(ordered);
}

}  // namespace clipvane
