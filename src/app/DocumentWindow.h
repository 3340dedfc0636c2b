#pragma once
// DocumentWindow: the tab of one document, holding its document and its view.
// Closing it runs the close prompt through the handler the frame installs.
#include <QMdiSubWindow>
#include <functional>

namespace clipvane {

class ImageDocument;
class EditorView;

class DocumentWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    // Takes ownership of `document`.
    explicit DocumentWindow(ImageDocument* document, QWidget* parent = nullptr);
    ~DocumentWindow() override;

    ImageDocument* Document() const { return doc_; }
    EditorView* View() const { return view_; }

    // Asked before the tab closes; false keeps it open. Skipped once
    // CloseWithoutPrompt() was called.
    std::function<bool(DocumentWindow*)> canClose;
    void CloseWithoutPrompt();
    // Closed and waiting for deletion.
    bool IsClosing() const { return closing_; }

    // The tab text: the document title.
    void RefreshTitle();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ImageDocument* doc_;
    EditorView* view_;
    bool confirmed_ = false;
    bool closing_ = false;
};

}  // namespace clipvane
