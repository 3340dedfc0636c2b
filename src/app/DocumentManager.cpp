#include "app/DocumentManager.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>
#include <QMdiArea>

#include "app/DocumentWindow.h"
#include "app/RecentFileList.h"
#include "app/UserPrompts.h"
#include "document/ImageDocument.h"
#include "imagefile/ImageFile.h"
#include "app/ExitHintDialog.h"
#include "editor/view/EditorView.h"

namespace clipvane {

namespace {

// The name a save dialog proposes: the document's path, else its title.
QString ProposedName(const ImageDocument* doc) { return doc->PathName().isEmpty() ? doc->Title() : doc->PathName(); }

// What the file's content looks like ("a PDF document") when it is known and
// no picture; empty for pictures and for content nothing recognises.
QString NonPictureKind(const QString& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchContent);
    if (!type.isValid() || type.isDefault() || type.name().startsWith(QLatin1String("image/"))) return {};
    const QString comment = type.comment().isEmpty() ? type.name() : type.comment();
    const bool vowel = QStringLiteral("aeiouAEIOU").contains(comment.front());
    return (vowel ? QStringLiteral("an ") : QStringLiteral("a ")) + comment;
}

}  // namespace

QString SaveFailureReason(const QString& path) {
    const QFileInfo info(path);
    const ImageFileType type = TypeFromPath(path.toStdString());
    if (type == kFileNone || type == kFilePsd || type == kFileIco || type == kFileXpm)
        return QStringLiteral(
                   "Clipvane cannot write files of type \"%1\". Choose BMP, JPEG, PNG, GIF, TIFF, PCX or TGA.")
            .arg(info.suffix().isEmpty() ? QStringLiteral("(no extension)") : QStringLiteral(".") + info.suffix());
    const QFileInfo dir(info.absolutePath());
    if (!dir.exists()) return QStringLiteral("The folder \"%1\" does not exist.").arg(dir.absoluteFilePath());
    if (!dir.isWritable() || (info.exists() && !info.isWritable())) return QStringLiteral("Permission denied.");
    const std::string why = LastImageFileError();  // the file layer's reason for this thread's last failure
    return QStringLiteral("The file could not be written: %1.")
        .arg(why.empty() ? QStringLiteral("the reason is not known") : QString::fromStdString(why));
}

DocumentManager::DocumentManager(QMdiArea* area, UserPrompts& prompts, RecentFileList& recent, QWidget* dialogParent)
    : QObject(area), area_(area), prompts_(prompts), recent_(recent), parent_(dialogParent) {}

QList<DocumentWindow*> DocumentManager::Frames() const {
    QList<DocumentWindow*> frames;
    for (QMdiSubWindow* w : area_->subWindowList(QMdiArea::CreationOrder))
        if (auto* f = qobject_cast<DocumentWindow*>(w); f && !f->IsClosing()) frames.append(f);
    return frames;
}

DocumentWindow* DocumentManager::Active() const {
    if (auto* f = qobject_cast<DocumentWindow*>(area_->activeSubWindow())) return f;
    // Without window focus (tray mode, tests) the current tab still counts.
    if (auto* f = qobject_cast<DocumentWindow*>(area_->currentSubWindow())) return f;
    const QList<DocumentWindow*> frames = Frames();
    return frames.size() == 1 ? frames.front() : nullptr;
}

DocumentWindow* DocumentManager::FindByPath(const QString& path) const {
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (DocumentWindow* f : Frames()) {
        const QString own = f->Document()->PathName();
        if (!own.isEmpty() && QFileInfo(own).absoluteFilePath() == wanted) return f;
    }
    return nullptr;
}

DocumentWindow* DocumentManager::AddFrame(ImageDocument* doc, bool announce) {
    if (announce && onDocumentCreated) onDocumentCreated(doc);
    auto* frame = new DocumentWindow(doc);
    frame->canClose = [this](DocumentWindow* f) { return CanClose(f); };
    area_->addSubWindow(frame);
    frame->showMaximized();
    area_->setActiveSubWindow(frame);
    frame->View()->setFocus();
    connect(frame, &QObject::destroyed, this, &DocumentManager::documentsChanged);
    emit documentAdded(doc);
    emit documentsChanged();
    return frame;
}

DocumentWindow* DocumentManager::NewDocument() {
    auto* doc = new ImageDocument;
    doc->SetTitle(QStringLiteral("Clipvane%1").arg(++untitledCount_));
    doc->NewImage();
    return AddFrame(doc);
}

DocumentWindow* DocumentManager::NewCaptureDocument() {
    auto* doc = new ImageDocument;
    doc->SetTitle(QStringLiteral("Clipvane%1").arg(++untitledCount_));
    return AddFrame(doc);
}

void DocumentManager::Open() {
    for (const QString& path : prompts_.OpenPaths(parent_)) OpenPath(path);
}

DocumentWindow* DocumentManager::OpenPath(const QString& path, QString* error) {
    if (DocumentWindow* open = FindByPath(path)) {
        area_->setActiveSubWindow(open);
        return open;
    }
    auto fail = [&](const QString& why) -> DocumentWindow* {
        const QString text = QStringLiteral("Cannot open \"%1\": %2").arg(ElidePath(path), why);
        if (error)
            *error = text;
        else
            prompts_.ShowError(parent_, text);
        return nullptr;
    };
    const QFileInfo info(path);
    if (!info.exists()) return fail(QStringLiteral("no such file."));
    // A pipe or device would block the reading (a pipe until someone
    // writes to it): only regular files are opened.
    if (!info.isFile()) return fail(QStringLiteral("it is not a regular file."));
    // The file layer's own reason (a size limit, the system's error) when it
    // has one, else a general one.
    auto failWith = [&](const char* general) {
        // A file of another kind (text, PDF) is named as such: the decoders'
        // reasons would only puzzle.
        if (const QString kind = NonPictureKind(info.absoluteFilePath()); !kind.isEmpty())
            return fail(QStringLiteral("it is not a picture (it looks like %1).").arg(kind));
        const std::string why = LastImageFileError();
        return fail(why.empty() ? QString::fromLatin1(general) : QString::fromStdString(why) + QLatin1Char('.'));
    };
    auto doc = std::make_unique<ImageDocument>();
    // Connected before the load, so that its progress and Cancel show.
    if (onDocumentCreated) onDocumentCreated(doc.get());
    if (!doc->OpenDocument(info.absoluteFilePath())) {
        if (doc->WorkCancelled()) {
            if (error) *error = QStringLiteral("Opening \"%1\" was cancelled.").arg(ElidePath(path));
            return nullptr;
        }
        return failWith("the file cannot be read.");
    }
    if (doc->image.IsEmpty()) return failWith("it is not an image Clipvane can read, or it is damaged.");
    recent_.Add(info.absoluteFilePath());
    emit recentFilesChanged();
    const QString note = doc->OpenNote();
    DocumentWindow* frame = AddFrame(doc.release(), false);
    if (!note.isEmpty())
        emit message(QStringLiteral("Opened \"%1\" as a plain picture: %2. Its annotations are part of the pixels "
                                    "and cannot be edited.")
                         .arg(ElidePath(QFileInfo(path).fileName()), note));
    return frame;
}

void DocumentManager::SetPathAndRemember(ImageDocument* doc, const QString& path) {
    doc->SetPathName(QFileInfo(path).absoluteFilePath());
    recent_.Add(path);
    emit recentFilesChanged();
}

bool DocumentManager::SaveTo(ImageDocument* doc, const QString& path) {
    if (doc->SaveDocument(path)) {
        emit documentSaved(doc);
        return true;
    }
    prompts_.ShowError(parent_, QStringLiteral("Could not save \"%1\".\n\n%2").arg(path, SaveFailureReason(path)));
    return false;
}

bool DocumentManager::SaveChosen(ImageDocument* doc, const QString& path, bool editable, bool keep) {
    const bool was = doc->SavesEditable();
    doc->SetSavesEditable(editable && TypeFromPath(path.toStdString()) == kFilePng);
    const bool saved = SaveTo(doc, path);
    if (!saved || !keep) doc->SetSavesEditable(was);
    return saved;
}

bool DocumentManager::Save(DocumentWindow* frame) {
    if (!frame) return false;
    ImageDocument* doc = frame->Document();
    if (!doc->PathName().isEmpty()) return SaveTo(doc, doc->PathName());
    return SaveAs(frame);
}

bool DocumentManager::SaveAs(DocumentWindow* frame) {
    if (!frame) return false;
    ImageDocument* doc = frame->Document();
    const UserPrompts::SaveChoice choice =
        prompts_.ChooseSavePath(parent_, ProposedName(doc), QStringLiteral("png"), doc->SavesEditable());
    const QString& path = choice.path;
    if (path.isEmpty()) return false;
    // Only a save that landed renames the tab and enters the recent files.
    if (!SaveChosen(doc, path, choice.editable, true)) return false;
    SetPathAndRemember(doc, path);
    frame->RefreshTitle();
    return true;
}

bool DocumentManager::CanClose(DocumentWindow* frame) {
    ImageDocument* doc = frame->Document();
    if (!doc->IsModified()) return true;
    switch (prompts_.AskSaveOnClose(parent_, doc->Title())) {
    case UserPrompts::kNo: return true;
    case UserPrompts::kCancel: return false;
    case UserPrompts::kYes: break;
    }
    // A document with a file goes back to it; a failed save keeps it open.
    if (!doc->PathName().isEmpty()) return SaveTo(doc, doc->PathName());
    const UserPrompts::SaveChoice choice =
        prompts_.ChooseSavePath(parent_, ProposedName(doc), QStringLiteral("png"), doc->SavesEditable());
    if (choice.path.isEmpty()) return false;
    return SaveChosen(doc, choice.path, choice.editable, false);
}

bool DocumentManager::RunExitPrompt() {
    bool askMore = true;
    for (DocumentWindow* frame : Frames()) {
        ImageDocument* doc = frame->Document();
        if (!doc->IsModified() || !askMore) {
            if (!askMore) doc->SetModified(false);
            frame->CloseWithoutPrompt();
            continue;
        }
        area_->setActiveSubWindow(frame);
        switch (prompts_.AskExitHint(parent_, doc->Title())) {
        case ExitHintDialog::kYes: {
            const UserPrompts::SaveChoice choice =
                prompts_.ChooseSavePath(parent_, ProposedName(doc), QStringLiteral("jpg"), false);
            if (choice.path.isEmpty() || !SaveChosen(doc, choice.path, choice.editable, false)) return false;
            frame->CloseWithoutPrompt();
            break;
        }
        case ExitHintDialog::kNo:
            doc->SetModified(false);
            frame->CloseWithoutPrompt();
            break;
        case ExitHintDialog::kSaveNone:
            askMore = false;
            doc->SetModified(false);
            frame->CloseWithoutPrompt();
            break;
        default:  // Cancel, Esc or the close box
            return false;
        }
    }
    return true;
}

}  // namespace clipvane
