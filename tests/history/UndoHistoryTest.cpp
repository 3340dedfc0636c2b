#include "history/UndoHistory.h"

#include <gtest/gtest.h>

#include <vector>

namespace clipvane {
namespace {

// Records tagged by the width of their before-image; the history double
// logs which record each hook saw.
std::unique_ptr<UndoRecord> Tagged(int tag) {
    auto record = std::make_unique<UndoRecord>();
    record->beforeImage.Create(tag, 1, 24);
    return record;
}

class LoggingHistory : public UndoHistory {
public:
    std::vector<int> undone, redone;

protected:
    void ApplyUndo(UndoRecord& r) override { undone.push_back(r.beforeImage.Width()); }
    void ApplyRedo(UndoRecord& r) override { redone.push_back(r.beforeImage.Width()); }
};

std::vector<int> Tags(const std::deque<std::unique_ptr<UndoRecord>>& stack) {
    std::vector<int> tags;
    for (const auto& r : stack) tags.push_back(r->beforeImage.Width());
    return tags;
}

TEST(UndoHistory, PushRefusesNullAndNonPositiveLimit) {
    LoggingHistory h;
    EXPECT_EQ(h.Limit(), 20);
    EXPECT_FALSE(h.Push(nullptr));
    h.SetLimit(0);
    EXPECT_FALSE(h.Push(Tagged(1)));
    EXPECT_EQ(h.UndoCount(), 0);
}

TEST(UndoHistory, FullHistoryDropsOldest) {
    LoggingHistory h;
    h.SetLimit(10);
    for (int i = 1; i <= 11; ++i) ASSERT_TRUE(h.Push(Tagged(i)));
    // Eleven pushes into ten places: record 1 went.
    EXPECT_EQ(Tags(h.UndoSteps()), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

// A step's id names it for as long as the history lives: a record freed and
// another pushed in its place never answers to the old id.
TEST(UndoHistory, NewestStepIdFollowsUndoRedoAndNeverRepeats) {
    LoggingHistory h;
    EXPECT_EQ(h.NewestStepId(), 0u);
    h.Push(Tagged(1));
    const uint64_t first = h.NewestStepId();
    EXPECT_NE(first, 0u);
    h.Undo();
    EXPECT_EQ(h.NewestStepId(), 0u);
    h.Redo();
    EXPECT_EQ(h.NewestStepId(), first);
    h.Undo();
    h.Push(Tagged(2));  // drops the undone step
    EXPECT_NE(h.NewestStepId(), first);
    EXPECT_NE(h.NewestStepId(), 0u);
    EXPECT_FALSE(h.Push(nullptr));
    h.DiscardLastStep();
    EXPECT_EQ(h.NewestStepId(), 0u);
}

TEST(UndoHistory, UndoRedoMoveBetweenStacksInOrder) {
    LoggingHistory h;
    for (int i = 1; i <= 3; ++i) h.Push(Tagged(i));
    h.Undo();
    h.Undo();
    EXPECT_EQ(h.undone, (std::vector<int>{3, 2}));
    // Front of redo is the most recently undone step.
    EXPECT_EQ(Tags(h.RedoSteps()), (std::vector<int>{2, 3}));
    h.Redo();
    EXPECT_EQ(h.redone, (std::vector<int>{2}));
    EXPECT_EQ(Tags(h.UndoSteps()), (std::vector<int>{1, 2}));
    EXPECT_EQ(Tags(h.RedoSteps()), (std::vector<int>{3}));
}

TEST(UndoHistory, DiscardDropsTheNewestStepWithoutApplyingItAndKeepsRedo) {
    LoggingHistory h;
    EXPECT_FALSE(h.DiscardLastStep());
    for (int i = 1; i <= 3; ++i) h.Push(Tagged(i));
    h.Undo();
    ASSERT_TRUE(h.DiscardLastStep());
    EXPECT_EQ(Tags(h.UndoSteps()), (std::vector<int>{1}));
    EXPECT_EQ(Tags(h.RedoSteps()), (std::vector<int>{3}));
    EXPECT_EQ(h.undone, (std::vector<int>{3}));  // the discarded step was never applied
    EXPECT_TRUE(h.redone.empty());
}

TEST(UndoHistory, EmptyStacksDoNothing) {
    LoggingHistory h;
    h.Undo();
    h.Redo();
    EXPECT_TRUE(h.undone.empty());
    EXPECT_TRUE(h.redone.empty());
}

TEST(UndoHistory, PushAfterUndoClearsRedo) {
    LoggingHistory h;
    h.Push(Tagged(1));
    h.Push(Tagged(2));
    h.Undo();
    ASSERT_EQ(h.RedoCount(), 1);
    h.Push(Tagged(3));
    EXPECT_EQ(h.RedoCount(), 0);
    EXPECT_EQ(Tags(h.UndoSteps()), (std::vector<int>{1, 3}));
}

TEST(UndoHistory, SetLimitTrimsFarthestRedoThenOldestUndo) {
    LoggingHistory h;
    for (int i = 1; i <= 5; ++i) h.Push(Tagged(i));
    h.Undo();
    h.Undo();        // undo {1,2,3}, redo {4,5}
    h.SetLimit(-1);  // ignored
    EXPECT_EQ(h.UndoCount() + h.RedoCount(), 5);
    h.SetLimit(4);  // redo's back (5) goes first
    EXPECT_EQ(Tags(h.RedoSteps()), (std::vector<int>{4}));
    EXPECT_EQ(Tags(h.UndoSteps()), (std::vector<int>{1, 2, 3}));
    h.SetLimit(2);  // redo empties, then the oldest undo step (1)
    EXPECT_EQ(h.RedoCount(), 0);
    EXPECT_EQ(Tags(h.UndoSteps()), (std::vector<int>{2, 3}));
}

}  // namespace
}  // namespace clipvane
