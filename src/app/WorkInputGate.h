#pragma once
// While a document's work runs off the user-interface thread, the window
// keeps repainting but must not change the document under it. The gate, an
// application-wide event filter, drops mouse and key input to widgets, except
// for the status bar's Cancel button; Esc asks the work to stop. Shortcuts
// still reach their actions, whose commands wait and run afterwards in order.
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace clipvane {

class WorkInputGate : public QObject {
    Q_OBJECT
public:
    // `cancelButton` keeps its input; `cancel` runs on Esc.
    WorkInputGate(QWidget* cancelButton, std::function<void()> cancel, QObject* parent = nullptr);
    // Installs or removes the filter on the application.
    void SetClosed(bool closed);
    bool IsClosed() const { return closed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> cancelButton_;
    std::function<void()> cancel_;
    bool closed_ = false;
};

}  // namespace clipvane
