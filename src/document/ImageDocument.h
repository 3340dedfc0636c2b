#pragma once
// The editor's unit of work: one raster image, the annotation objects drawn
// over it, the program's own modified flag and a ten-step undo history whose
// every step is a snapshot of image and objects together.
//
// The document is free of widgets: views, the capture driver, the command-line
// tool and tests all drive this same object. Views connect to `changed()` and
// paint `Composite()`.
//
// `modified` is raised by every change of image or objects (effects, object
// edits, undo and redo included) and cleared only by a successful save or by
// the user's choice not to save (`SetModified(false)`).
//
// Effects, loads and saves run on a worker thread (`IsBusy`) while the
// caller waits in a nested event loop, so the window repaints. An effect
// works on a copy of the image that replaces it, and becomes the undo step's
// snapshot, only when the work ran to its end: views keep reading the image
// untouched meanwhile, and a cancelled step (`CancelWork`) leaves image and
// history exactly as they were.
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "history/UndoHistory.h"
#include "annotation/AnnotationObject.h"
#include "image/Bitmap.h"
#include "image/PixelImage.h"
#include "image/effects/EffectCommands.h"
#include "image/ProgressReporter.h"

namespace clipvane {

class EffectDialogs;
class ImageEffect;
class RenderCache;
class WorkProgress;

class ImageDocument : public QObject, public UndoHistory, public UndoDocument {
    Q_OBJECT

public:
    explicit ImageDocument(QObject* parent = nullptr);
    ~ImageDocument() override;

    // ---- state --------------------------------------------------------------
    PixelImage image;
    int modified = 0;
    ObjectList objects;

    bool IsModified() const { return modified != 0; }
    void SetModified(bool on) { modified = on ? 1 : 0; }

    // True when the image's fourth byte is real alpha: the document was opened
    // from a file with transparency (PNG, TIFF, GIF, ICO, TGA, PSD). Views then
    // show it over a checkerboard, effects keep the 32-bit image instead of
    // normalising it to 24 bits, and saving writes the alpha to PNG, TIFF and
    // GIF. Captures, new images and files without transparency leave it false:
    // their fourth byte is not alpha.
    bool Transparent() const { return transparent_; }

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title);
    const QString& PathName() const { return pathName_; }
    // Sets the path and retitles the document with the path's file name.
    void SetPathName(const QString& path);

    // ---- steps ----------------------------------------------------------------
    // Snapshot, apply `effect` to the image, push the step, redraw. Nothing for
    // a null effect; the step is kept even when the effect declined the image.
    // While a command runs on a band (EffectBand), only the band changes.
    void RunEffect(ImageEffect* effect);
    // Snapshot, apply every effect in order, push them as one step, redraw:
    // one command (Brightness/Contrast) is one step however many effects it
    // takes. Nothing when `effects` is empty.
    void RunEffects(const std::vector<std::unique_ptr<ImageEffect>>& effects);
    // The OK of an effect dialog: converts to 32 bits, applies `effect` (on
    // the band while there is one), normalises to 24 bits unless the document
    // is transparent; one step.
    void RunEffectNormalised(ImageEffect* effect);
    // Runs a record that performs its own change (a resize) and pushes it.
    void RunRecord(std::unique_ptr<UndoRecord> record);
    // Pushes a step holding a copy of `before` and of the current objects;
    // call it before changing anything. Nothing is redrawn. False when the
    // history refused the step.
    bool RecordUndo(const PixelImage& before);
    // Pushes a step holding a copy of the objects only, for a change that
    // leaves the image alone (an object created or deleted).
    bool RecordObjectsUndo();

    // Undo and Redo of the Edit menu; they tell views to drop their
    // selection first.
    void OnUndo();
    void OnRedo();
    bool CanUndo() const { return UndoCount() > 0; }
    bool CanRedo() const { return RedoCount() > 0; }

    // ---- work off the user-interface thread ------------------------------------
    // True while an effect, load or save of this document runs.
    bool IsBusy() const { return work_ != nullptr; }
    // True when the running work stops on CancelWork (effects and loads;
    // a save, once started, runs to its end).
    bool WorkCancellable() const { return work_ && cancellable_; }
    // Asks the running work to stop; it ends at its next row.
    void CancelWork();
    // True when work of the current command (or of the last open) was
    // cancelled; what followed it in the command was then left out.
    bool WorkCancelled() const { return cancelled_; }

    // ---- objects ----------------------------------------------------------------
    void ClearObjects();
    static void CopyObjectList(ObjectList& destination, const ObjectList& source);
    // Records a step, then appends `object` on top. Returns the object.
    AnnotationObject* AddObject(std::unique_ptr<AnnotationObject> object);
    // Takes back the object the last AddObject appended, together with the
    // step it recorded, as if neither had happened (a zero-length line, a
    // text box whose dialog was cancelled). The step goes only while it is
    // still the newest one. False when `object` is not that object.
    bool WithdrawObject(const AnnotationObject* object);
    // Records a step, then deletes `object` (nothing when it is not in the list).
    bool DeleteObject(const AnnotationObject* object);
    // Records a step, burns every object into the image and clears the list.
    void Flatten();
    void BringToFront(const AnnotationObject* object);
    void SendToBack(const AnnotationObject* object);
    // For callers that changed objects or the image directly (moves, property
    // edits, crop, paste): raises `modified` and redraws.
    void ObjectsEdited();
    void ImageEdited();

    // ---- commands ---------------------------------------------------------------
    // Image and Filter menu commands, ids 20000..20100. `dialogs` may be null
    // when no user is present: dialog commands then only normalise the depth.
    // With a `band` (the Crop tool's, in image pixels), the commands that keep
    // the image's size change only the pixels inside it, as if run on a
    // cropped copy of the band; the others work on the whole image. Redact
    // needs a band and does nothing without one.
    void OnEffectCommand(int id, EffectDialogs* dialogs, const Rect& band = {});
    // Runs command `id` with explicit parameters and no dialog, as the
    // document's own steps: depth conversion, the command's effects as one
    // undo step (a resize as one resize step), 24-bit normalisation. For
    // scripted use; `band` as for OnEffectCommand.
    void ApplyEffectCommand(int id, const EffectParams& params, const uint32_t* seed = nullptr, const Rect& band = {});
    // Redact: Mosaic on the band with a cell from the band's height
    // (RedactCell), as one undo step. False, with nothing recorded, when the
    // band misses the image.
    bool Redact(const Rect& band);
    // The band the running command works on, clipped to the image; empty when
    // it works on the whole image. The effect dialogs read it.
    const Rect& EffectBand() const { return effectBand_; }
    // Opens a file into the image (32 bits). True even when no reader could
    // decode it (the document then shows an empty image); false when the
    // file cannot be opened for reading or the load was cancelled (the
    // document is then as it was). A PNG with editable annotations
    // (annotation/EditablePng.h) opens with its pixels as they were under
    // the objects, at their depth, and the objects editable; when its
    // editable data cannot be used it opens as the plain picture, and
    // OpenNote says why.
    bool OpenDocument(const QString& path);
    // Renders the objects into a copy of the image and writes it at the
    // image's depth (with its alpha when Transparent()); `modified` is
    // cleared only on success. The objects stay editable. With
    // SavesEditable() a .png file also keeps the image and objects editable.
    bool SaveDocument(const QString& path);
    // Whether saving to a .png name writes "PNG with editable annotations":
    // set by opening such a file, and by Save As choosing it.
    bool SavesEditable() const { return savesEditable_; }
    void SetSavesEditable(bool on) { savesEditable_ = on; }
    // Why the last OpenDocument opened a file with editable annotations as a
    // plain picture (a phrase, "its editable data does not match its
    // checksum"); empty otherwise.
    const QString& OpenNote() const { return openNote_; }
    // File / New: 640 x 480, 32 bits, opaque white.
    void NewImage();
    // Receives a capture: in replace mode the previous state is recorded
    // first. The image becomes a 32-bit copy of `captured` (opaque in a
    // transparent document, whose alpha is real). While work runs it is kept
    // and applied once the work has ended.
    void ApplyCapture(const PixelImage& captured, bool replace);

    // ---- drawing ----------------------------------------------------------------
    // The image with every object rendered over it, 32 bits per pixel (empty
    // for an empty image). Rebuilt only where objects changed since the last
    // call; call UpdateAllViews (or ImageEdited) after changing `image` directly.
    const PixelImage& Composite();
    // The objects drawn into `target` (converted to 32 bits when it is not and
    // something is drawn), through the document's render cache.
    void RenderObjects(PixelImage& target);
    // Bytes the render cache holds (object bitmaps and the composite).
    size_t RenderCacheBytes() const;
    // Redraws every view; also drops the composite so it is rebuilt.
    void UpdateAllViews();

    // Creates the progress reporter for each long step (the status-bar bar in
    // the application). The default is a plain reporter.
    void SetProgressFactory(std::function<std::unique_ptr<ProgressReporter>()> factory);

signals:
    void changed();
    // Work begins on a worker thread, and has ended (done or cancelled).
    void workStarted(bool cancellable);
    void workFinished();
    // Emitted before undo, redo or clearing replace the objects: views drop
    // their selection and drag state.
    void objectsAboutToBeReplaced();

protected:
    void ApplyUndo(UndoRecord& record) override { record.Undo(*this); }
    void ApplyRedo(UndoRecord& record) override { record.Redo(*this); }

    PixelImage& UndoImage() override { return image; }
    ObjectList& UndoObjects() override { return objects; }
    void StateRestored() override;

private:
    std::unique_ptr<ProgressReporter> MakeProgress();
    // Sets EffectBand for command `id` until the returned guard goes.
    class BandScope;
    // After a dialog command: normalise to 24 bits (no step), unless the
    // command's work was cancelled.
    void NormaliseAfterCommand();
    // Runs `work` off the user-interface thread with status-bar progress;
    // false when it was cancelled.
    bool RunWork(const std::function<void(WorkProgress&)>& work, bool cancellable);
    // Runs `change` off the user-interface thread on a copy of the image,
    // which then becomes the image; with `record`, the image before becomes
    // its snapshot and the step is pushed. A `depth` other than 0 converts
    // the copy to it (ConvertTo) before `change`. False, with nothing
    // changed, when cancelled.
    bool RunOnCopy(const std::function<void(PixelImage&, ProgressReporter&)>& change,
                   std::unique_ptr<UndoRecord> record, int depth = 0);
    // `effects` in order on `work` (on `band` when it is not empty), until cancelled.
    static void ApplyEffectList(PixelImage& work, const Rect& band, const std::vector<ImageEffect*>& effects,
                                ProgressReporter& progress);
    void ApplyPendingCaptures();
    void DropUnneededComposite();

    QString title_;
    QString pathName_;
    bool transparent_ = false;
    bool savesEditable_ = false;
    QString openNote_;
    std::function<std::unique_ptr<ProgressReporter>()> progressFactory_;
    std::unique_ptr<RenderCache> cache_;
    // The last AddObject's object and the step it recorded (null when none).
    const AnnotationObject* addedObject_ = nullptr;
    const UndoRecord* addedStep_ = nullptr;
    Rect effectBand_;
    WorkProgress* work_ = nullptr;
    bool cancellable_ = false;
    bool cancelled_ = false;
    // Captures delivered while work ran, in order, with their replace flag.
    std::vector<std::pair<PixelImage, bool>> pendingCaptures_;
};

}  // namespace clipvane
