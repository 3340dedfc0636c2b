#pragma once
// CChildFrame: the tab of one document, holding its document and its view.
// Closing it runs the close prompt through the handler the frame installs.
#include <QMdiSubWindow>
#include <functional>

namespace cv {

class CGrabwellDoc;
class CGrabwellView;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // Takes ownership of `document`.
    explicit CChildFrame(CGrabwellDoc* document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CGrabwellDoc* Document() const { return doc_; }
    CGrabwellView* View() const { return view_; }

    // Asked before the tab closes; false keeps it open. Skipped once
    // CloseWithoutPrompt() was called.
    std::function<bool(CChildFrame*)> canClose;
    void CloseWithoutPrompt();
    // Closed and waiting for deletion.
    bool IsClosing() const { return closing_; }

    // The tab text: the document title.
    void RefreshTitle();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CGrabwellDoc* doc_;
    CGrabwellView* view_;
    bool confirmed_ = false;
    bool closing_ = false;
};

}  // namespace cv
