#pragma once
// The document file commands over the open document tabs: New, Open (an open
// path activates its tab), Save, Save As, the close prompt of one document
// and the exit prompt over all of them.
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QMdiArea;
class QWidget;

namespace cv {

class CChildFrame;
class CGrabwellDoc;
class RecentFileList;
class UserPrompts;

class DocumentManager : public QObject {
    Q_OBJECT
public:
    DocumentManager(QMdiArea* area, UserPrompts& prompts, RecentFileList& recent, QWidget* dialogParent);

    QList<CChildFrame*> Frames() const;
    CChildFrame* Active() const;
    CChildFrame* FindByPath(const QString& path) const;

    // File / New: "Clipvane1", "Clipvane2" ... with a 640 x 480 white image.
    CChildFrame* NewDocument();
    // A new tab with an empty image for a capture to fill.
    CChildFrame* NewCaptureDocument();
    // File / Open with the dialog; every chosen file is opened.
    void Open();
    // Opens one file; an already open path activates its tab. Null (after an
    // error message naming the file) when it cannot be read or decoded.
    CChildFrame* OpenPath(const QString& path);

    bool Save(CChildFrame* frame);
    bool SaveAs(CChildFrame* frame);

    // The close prompt: true when the document may close. A failed save
    // keeps it open and modified.
    bool CanClose(CChildFrame* frame);
    // The exit prompt over every document, in tab order. True when the
    // program may close (every document is then closed).
    bool RunExitPrompt();

    // Called with every new document before its tab is shown.
    std::function<void(CGrabwellDoc*)> onDocumentCreated;

signals:
    void recentFilesChanged();
    void documentsChanged();

private:
    CChildFrame* AddFrame(CGrabwellDoc* doc);
    // Saves with an error message on failure.
    bool SaveTo(CGrabwellDoc* doc, const QString& path);
    void SetPathAndRemember(CGrabwellDoc* doc, const QString& path);

    QMdiArea* area_;
    UserPrompts& prompts_;
    RecentFileList& recent_;
    QWidget* parent_;
    int untitledCount_ = 0;
};

// Why a save to `path` would fail, for the error message ("" when unknown).
QString SaveFailureReason(const QString& path);

}  // namespace cv
