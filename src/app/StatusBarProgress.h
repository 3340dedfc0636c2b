#pragma once
// StatusBarProgress: the progress of a long image step, shown in the stretching
// pane of the status bar while the step runs. The step itself runs on a
// worker thread (ImageDocument), so the window repaints on its own; the
// position is set from the user-interface thread.
#include <QPointer>
#include <QString>

#include "image/ProgressReporter.h"

class QLabel;
class QProgressBar;

namespace clipvane {

class StatusBarProgress : public ProgressReporter {
public:
    // `pane` is the status-bar label the bar covers; its text comes back when
    // the bar goes.
    StatusBarProgress(QLabel* pane, QProgressBar* bar);
    ~StatusBarProgress() override;

    void Reset() override;
    void SetPosition(int percent) override;

private:
    QPointer<QLabel> pane_;
    QPointer<QProgressBar> bar_;
    QString previousText_;
    int last_ = -1;
};

}  // namespace clipvane
