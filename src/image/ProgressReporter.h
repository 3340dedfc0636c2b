#pragma once
// Progress of a long image step, 0..100. The base form only stores the value;
// the status-bar form also moves its bar when the value changes. A reporter
// may also ask the step to stop (Cancelled): the row loops of effects and of
// the smooth resize then end early, leaving the image half done, so a caller
// that cancels works on a copy it throws away.

namespace clipvane {

class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    virtual void Reset() { position_ = 0; }
    virtual int Position() const { return position_; }
    virtual void SetPosition(int percent) { position_ = percent; }
    // True once the step should stop; read from every thread an effect uses.
    virtual bool Cancelled() const { return false; }

private:
    int position_ = 0;
};

}  // namespace clipvane
