#pragma once
// Progress of a long image step, 0..100. The base form only stores the value;
// the status-bar form also moves its bar when the value changes.

namespace clipvane {

class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    virtual void Reset() { position_ = 0; }
    virtual int Position() const { return position_; }
    virtual void SetPosition(int percent) { position_ = percent; }

private:
    int position_ = 0;
};

}  // namespace clipvane
