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

namespace clipvane {

class DocumentWindow;
class ImageDocument;
class RecentFileList;
class UserPrompts;

class DocumentManager : public QObject {
    Q_OBJECT
public:
    DocumentManager(QMdiArea* area, UserPrompts& prompts, RecentFileList& recent, QWidget* dialogParent);

    QList<DocumentWindow*> Frames() const;
    DocumentWindow* Active() const;
    DocumentWindow* FindByPath(const QString& path) const;

    // File / New: "Clipvane1", "Clipvane2" ... with a 640 x 480 white image.
    DocumentWindow* NewDocument();
    // A new tab with an empty image for a capture to fill.
    DocumentWindow* NewCaptureDocument();
    // File / Open with the dialog; every chosen file is opened.
    void Open();
    // Opens one file; an already open path activates its tab. Null when it
    // cannot be read or decoded, after an error message naming the file, or
    // with `error` given, with the message there and no dialog.
    DocumentWindow* OpenPath(const QString& path, QString* error = nullptr);

    // A tab for a document made elsewhere (a restored one); takes ownership.
    DocumentWindow* AdoptDocument(ImageDocument* doc) { return AddFrame(doc); }

    bool Save(DocumentWindow* frame);
    bool SaveAs(DocumentWindow* frame);

    // The close prompt: true when the document may close. A failed save
    // keeps it open and modified.
    bool CanClose(DocumentWindow* frame);
    // The exit prompt over every document, in tab order. True when the
    // program may close (every document is then closed).
    bool RunExitPrompt();

    // Called with every new document before its tab is shown.
    std::function<void(ImageDocument*)> onDocumentCreated;

signals:
    void recentFilesChanged();
    void documentsChanged();
    // A document got its tab; a document was saved (its changes are on disk).
    void documentAdded(ImageDocument* doc);
    void documentSaved(ImageDocument* doc);
    // A note for the status bar: a file opened, but not quite as saved (its
    // editable annotations could not be used).
    void message(const QString& text);

private:
    // `announce`: hand the document to onDocumentCreated first (false when
    // that was done before it was loaded).
    DocumentWindow* AddFrame(ImageDocument* doc, bool announce = true);
    // Saves with an error message on failure.
    bool SaveTo(ImageDocument* doc, const QString& path);
    // Saves to `path` as a plain file or as "PNG with editable annotations"
    // (a .png name only); the document keeps that choice for Save only when
    // `keep` and the save landed.
    bool SaveChosen(ImageDocument* doc, const QString& path, bool editable, bool keep);
    void SetPathAndRemember(ImageDocument* doc, const QString& path);

    QMdiArea* area_;
    UserPrompts& prompts_;
    RecentFileList& recent_;
    QWidget* parent_;
    int untitledCount_ = 0;
};

// Why a save to `path` would fail, for the error message ("" when unknown).
QString SaveFailureReason(const QString& path);

}  // namespace clipvane
