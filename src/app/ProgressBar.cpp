#include "app/ProgressBar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace cv {

CProgressBar::CProgressBar(QLabel* pane, QProgressBar* bar) : pane_(pane), bar_(bar) {
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

CProgressBar::~CProgressBar() {
    if (bar_) bar_->hide();
    if (pane_) pane_->setText(previousText_);
}

void CProgressBar::Reset() {
    ProgressReporter::Reset();
    SetPosition(0);
}

void CProgressBar::SetPosition(int percent) {
    ProgressReporter::SetPosition(percent);
    if (percent == last_) return;
    last_ = percent;
    if (bar_) {
        bar_->setValue(percent);
        bar_->show();
    }
    // Keep the window painted while the step runs; user input waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace cv
