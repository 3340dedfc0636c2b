#pragma once
// Long document work (effects, loads, saves) runs on a worker thread while
// the user-interface thread keeps turning its event loop, so the window
// repaints and the progress bar moves. The caller's code stays in order: it
// waits in a nested event loop until the work has ended.
#include <atomic>
#include <functional>

#include "image/ProgressReporter.h"

namespace clipvane {

// The progress of work on another thread: the worker sets the position, the
// user-interface thread reads it and may ask the work to stop.
class WorkProgress : public ProgressReporter {
public:
    void Reset() override { position_.store(0); }
    int Position() const override { return position_.load(); }
    void SetPosition(int percent) override { position_.store(percent); }
    bool Cancelled() const override { return cancelled_.load(); }
    void Cancel() { cancelled_.store(true); }

private:
    std::atomic<int> position_{0};
    std::atomic<bool> cancelled_{false};
};

// Runs `work` on a new thread and returns once it has ended, turning the
// calling thread's event loop meanwhile (all events: the caller decides what
// input to let through). An exception of `work` is thrown again here. Without
// an application object, or off its thread, `work` runs directly. If the
// event loop is told to quit meanwhile (the program exits), `progress` is
// cancelled and the thread is waited for without turning the loop.
void RunOffThread(const std::function<void()>& work, WorkProgress* progress = nullptr);

}  // namespace clipvane
