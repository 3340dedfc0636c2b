#include "history/UndoHistory.h"

namespace clipvane {

UndoHistory::~UndoHistory() { ClearHistory(); }

void UndoHistory::ClearHistory() {
    // Redo steps first, then undo steps, each from the back.
    while (!redo.empty()) redo.pop_back();
    while (!undo.empty()) undo.pop_back();
}

bool UndoHistory::Push(std::unique_ptr<UndoRecord> record) {
    if (limit <= 0 || !record) return false;
    redo.clear();
    while (int(undo.size()) >= limit) undo.pop_front();
    record->id = ++lastId;
    undo.push_back(std::move(record));
    return true;
}

void UndoHistory::Undo() {
    if (undo.empty()) return;
    // Moved to the redo stack before it is applied, so that a hook which
    // inspects the history sees the finished state.
    std::unique_ptr<UndoRecord> record = std::move(undo.back());
    undo.pop_back();
    redo.push_front(std::move(record));
    ApplyUndo(*redo.front());
}

bool UndoHistory::DiscardLastStep() {
    if (undo.empty()) return false;
    undo.pop_back();
    return true;
}

void UndoHistory::Redo() {
    if (redo.empty()) return;
    std::unique_ptr<UndoRecord> record = std::move(redo.front());
    redo.pop_front();
    undo.push_back(std::move(record));
    ApplyRedo(*undo.back());
}

void UndoHistory::SetLimit(int n) {
    if (n < 0) return;
    limit = n;
    while (int(undo.size() + redo.size()) > n) {
        if (!redo.empty())
            redo.pop_back();
        else
            undo.pop_front();
    }
}

}  // namespace clipvane
