#include "app/StatusBarProgress.h"

#include <QLabel>
#include <QProgressBar>

namespace clipvane {

StatusBarProgress::StatusBarProgress(QLabel* pane, QProgressBar* bar) : pane_(pane), bar_(bar) {
    if (pane_) {
        previousText_ = pane_->text();
        pane_->setText(QString());
    }
    if (bar_) {
        bar_->setRange(0, 100);
        bar_->setValue(0);
        bar_->show();
    }
}

StatusBarProgress::~StatusBarProgress() {
    if (bar_) bar_->hide();
    if (pane_) pane_->setText(previousText_);
}

void StatusBarProgress::Reset() {
    ProgressReporter::Reset();
    SetPosition(0);
}

void StatusBarProgress::SetPosition(int percent) {
    ProgressReporter::SetPosition(percent);
    if (percent == last_) return;
    last_ = percent;
    if (bar_) {
        bar_->setValue(percent);
        bar_->show();
    }
}

}  // namespace clipvane
