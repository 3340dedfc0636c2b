#pragma once
// What the user sees while a scrolling capture runs: a frame just outside the
// area (never in the grabs) and a small label beside it with the height so
// far; Esc, grabbed on the root window for the run, stops the capture.
#include <QAbstractNativeEventFilter>
#include <QLabel>
#include <QRect>

#include <memory>

namespace clipvane {

class HighlightFrame;
class ScreenPlatform;

class ScrollProgress : public QAbstractNativeEventFilter {
public:
    // `area` in root coordinates; `screen` is where the label may go.
    ScrollProgress(ScreenPlatform& platform, const QRect& area, const QRect& screen);
    ~ScrollProgress() override;
    ScrollProgress(const ScrollProgress&) = delete;
    ScrollProgress& operator=(const ScrollProgress&) = delete;

    void SetHeight(int rows);
    bool Cancelled() const { return cancelled_; }
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void PlaceLabel();

    ScreenPlatform& platform_;
    QRect area_;
    QRect screen_;
    std::unique_ptr<HighlightFrame> frame_;
    std::unique_ptr<QLabel> label_;
    bool escapeGrabbed_ = false;
    bool cancelled_ = false;
};

}  // namespace clipvane
