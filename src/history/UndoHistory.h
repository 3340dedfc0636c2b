#pragma once
// A bounded history of undo records: `undo` holds the steps (back = most
// recent), `redo` the undone ones (front = the one Redo re-applies next).
#include <deque>
#include <memory>

#include "history/UndoRecord.h"

namespace clipvane {

class UndoHistory {
public:
    UndoHistory() = default;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;
    virtual ~UndoHistory();

    // Keeps `record` as the newest step, dropping every redo step and, when
    // the history is full, the oldest step. False (record not kept) when the
    // limit is 0 or less or the record is null.
    bool Push(std::unique_ptr<UndoRecord> record);
    void Undo();
    void Redo();
    // Drops the newest step without applying it, for an edit taken back
    // before it meant anything (an object created and cancelled at once).
    // Redo steps are left alone. False when there is no step.
    bool DiscardLastStep();
    // A negative limit is ignored; otherwise records beyond the new limit go,
    // the farthest redo steps first, then the oldest undo steps.
    void SetLimit(int n);
    void ClearHistory();

    int Limit() const { return limit; }
    int UndoCount() const { return int(undo.size()); }
    int RedoCount() const { return int(redo.size()); }
    const std::deque<std::unique_ptr<UndoRecord>>& UndoSteps() const { return undo; }
    const std::deque<std::unique_ptr<UndoRecord>>& RedoSteps() const { return redo; }
    // The id of the newest undo step, 0 when there is none.
    uint64_t NewestStepId() const { return undo.empty() ? 0 : undo.back()->id; }

protected:
    virtual void ApplyUndo(UndoRecord& record) = 0;
    virtual void ApplyRedo(UndoRecord& record) = 0;

private:
    std::deque<std::unique_ptr<UndoRecord>> undo;
    std::deque<std::unique_ptr<UndoRecord>> redo;
    int limit = 20;
    uint64_t lastId = 0;
};

}  // namespace clipvane
