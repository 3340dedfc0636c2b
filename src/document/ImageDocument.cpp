#include "document/ImageDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

#include "document/BandEffects.h"
#include "document/EffectDialogs.h"
#include "annotation/EditablePng.h"
#include "document/OffThreadWork.h"
#include "imagefile/FileError.h"
#include "imagefile/AlphaFiles.h"
#include "imagefile/ImageFile.h"
#include "annotation/ObjectGeometry.h"
#include "document/RenderCache.h"
#include "document/RenderObjects.h"
#include "image/ConvertedCopy.h"
#include "image/ImageEffect.h"
#include "image/effects/EffectRegistry.h"
#include "image/effects/FillEffect.h"

namespace clipvane {

namespace {
constexpr int kDocumentUndoLimit = 10;

// The types whose 32-bit form can carry real alpha. A BMP's or PCX's fourth
// byte is not trusted: many writers leave it 0 or fill it with anything.
bool TypeCanBeTransparent(ImageFileType type) {
    switch (type) {
    case kFilePng:
    case kFileTiff:
    case kFileGif:
    case kFileIco:
    case kFileTga:
    case kFilePsd: return true;
    default: return false;
    }
}
}  // namespace

ImageDocument::ImageDocument(QObject* parent) : QObject(parent), cache_(std::make_unique<RenderCache>()) {
    SetLimit(kDocumentUndoLimit);
}

ImageDocument::~ImageDocument() {
    ClearObjects();
    image.Destroy();
    ClearHistory();
}

void ImageDocument::SetTitle(const QString& title) { title_ = title; }

void ImageDocument::SetPathName(const QString& path) {
    pathName_ = path;
    title_ = QFileInfo(path).fileName();
}

void ImageDocument::SetProgressFactory(std::function<std::unique_ptr<ProgressReporter>()> factory) {
    progressFactory_ = std::move(factory);
}

std::unique_ptr<ProgressReporter> ImageDocument::MakeProgress() {
    if (progressFactory_) {
        if (auto reporter = progressFactory_()) return reporter;
    }
    return std::make_unique<ProgressReporter>();
}

void ImageDocument::UpdateAllViews() {
    cache_->InvalidateBase();
    DropUnneededComposite();
    emit changed();
}

void ImageDocument::DropUnneededComposite() {
    // Without objects the views paint the image itself: a composite kept
    // from earlier would be a second whole image at rest.
    if (objects.empty()) cache_->ReleaseComposite();
}

void ImageDocument::StateRestored() {
    addedObject_ = nullptr;  // the list was rebuilt from copies
    // Undo and redo change the document like any other edit.
    modified = 1;
    UpdateAllViews();
}

// ---- steps -----------------------------------------------------------------------

// Holds EffectBand for the length of one command: the band clipped to the
// image for a command that keeps the size, nothing for the others.
class ImageDocument::BandScope {
public:
    BandScope(ImageDocument& doc, int id, const Rect& band) : doc_(doc) {
        doc_.effectBand_ =
            EffectCommandKeepsSize(id) ? band.Intersected(Rect{0, 0, doc_.image.Width(), doc_.image.Height()}) : Rect{};
        if (doc_.effectBand_.IsEmpty()) doc_.effectBand_ = Rect{};
    }
    ~BandScope() { doc_.effectBand_ = Rect{}; }
    BandScope(const BandScope&) = delete;
    BandScope& operator=(const BandScope&) = delete;

private:
    ImageDocument& doc_;
};

void ImageDocument::CancelWork() {
    if (work_ && cancellable_) work_->Cancel();
}

bool ImageDocument::RunWork(const std::function<void(WorkProgress&)>& work, bool cancellable) {
    WorkProgress progress;
    std::unique_ptr<ProgressReporter> shown = MakeProgress();
    shown->Reset();
    work_ = &progress;
    cancellable_ = cancellable;
    emit workStarted(cancellable);
    // The bar follows the worker's position; the window repaints meanwhile.
    QTimer tick;
    tick.setInterval(40);
    connect(&tick, &QTimer::timeout, this, [&] { shown->SetPosition(progress.Position()); });
    tick.start();
    auto finish = [&] {
        tick.stop();
        work_ = nullptr;
        shown.reset();
        emit workFinished();
        // Captures that arrived meanwhile, once the caller's step is complete.
        if (!pendingCaptures_.empty()) QTimer::singleShot(0, this, [this] { ApplyPendingCaptures(); });
    };
    try {
        RunOffThread([&] { work(progress); }, &progress);
    } catch (...) {
        finish();
        throw;
    }
    if (!progress.Cancelled()) shown->SetPosition(100);
    finish();
    if (progress.Cancelled()) cancelled_ = true;
    return !progress.Cancelled();
}

void ImageDocument::ApplyEffectList(PixelImage& work, const Rect& band, const std::vector<ImageEffect*>& effects,
                                    ProgressReporter& progress) {
    if (effects.empty()) return;
    if (!band.IsEmpty()) {
        ApplyEffectsInBand(work, band, effects, &progress);
        return;
    }
    for (ImageEffect* effect : effects) {
        if (progress.Cancelled()) return;
        if (effect) work.ApplyEffect(*effect, &progress);
    }
}

bool ImageDocument::RunOnCopy(const std::function<void(PixelImage&, ProgressReporter&)>& change,
                              std::unique_ptr<UndoRecord> record, int depth) {
    if (IsBusy()) return false;  // one piece of work per document at a time
    PixelImage work;
    const PixelImage& current = image;
    const bool done = RunWork(
        [&](WorkProgress& progress) {
            // The worker only reads the image. A copy at another depth is
            // converted as it is copied, on the effect threads.
            if (depth == 0 || !ConvertedCopy(current, depth, work)) {
                work = current;
                if (depth != 0) work.ConvertTo(depth);
            }
            if (!progress.Cancelled()) change(work, progress);
        },
        true);
    if (!done) return false;
    if (record) {
        // The image before is the step's snapshot: taken over, not copied.
        record->beforeImage = std::move(image);
        CopyObjectList(record->beforeObjects, objects);
        addedObject_ = nullptr;
        Push(std::move(record));
    }
    image = std::move(work);
    modified = 1;
    UpdateAllViews();
    return true;
}

void ImageDocument::RunEffect(ImageEffect* effect) {
    if (!effect) return;
    const Rect band = effectBand_;
    RunOnCopy([&](PixelImage& work, ProgressReporter& progress) { ApplyEffectList(work, band, {effect}, progress); },
              std::make_unique<UndoRecord>());
}

void ImageDocument::RunEffects(const std::vector<std::unique_ptr<ImageEffect>>& effects) {
    if (effects.empty()) return;
    std::vector<ImageEffect*> list;
    for (const auto& effect : effects) list.push_back(effect.get());
    const Rect band = effectBand_;
    RunOnCopy([&](PixelImage& work, ProgressReporter& progress) { ApplyEffectList(work, band, list, progress); },
              std::make_unique<UndoRecord>());
}

void ImageDocument::RunEffectNormalised(ImageEffect* effect) {
    if (!effect) return;
    const Rect band = effectBand_;
    const bool normalise = !transparent_;
    RunOnCopy(
        [&](PixelImage& work, ProgressReporter& progress) {
            ApplyEffectList(work, band, {effect}, progress);
            if (normalise && !progress.Cancelled() && !work.IsEmpty() && work.Depth() != 24) NormaliseTo24(work);
        },
        std::make_unique<UndoRecord>(), 32);
}

void ImageDocument::RunRecord(std::unique_ptr<UndoRecord> record) {
    if (!record) return;
    if (const auto* resize = dynamic_cast<const ResizeUndoRecord*>(record.get())) {
        const ResizeUndoRecord change(resize->width, resize->height, resize->quality);
        RunOnCopy([&](PixelImage& work, ProgressReporter& progress) { change.Apply(work, &progress); },
                  std::move(record));
        return;
    }
    {
        auto progress = MakeProgress();
        record->Do(*this, nullptr, progress.get());
    }
    Push(std::move(record));
    modified = 1;
    UpdateAllViews();
}

bool ImageDocument::RecordUndo(const PixelImage& before) {
    addedObject_ = nullptr;  // a later step ends what WithdrawObject may take back
    auto record = std::make_unique<UndoRecord>();
    record->Snapshot(before, objects);
    return Push(std::move(record));
}

bool ImageDocument::RecordObjectsUndo() {
    addedObject_ = nullptr;
    auto record = std::make_unique<ObjectsUndoRecord>();
    record->SnapshotObjects(objects);
    return Push(std::move(record));
}

void ImageDocument::OnUndo() {
    if (!CanUndo()) return;
    emit objectsAboutToBeReplaced();
    Undo();
}

void ImageDocument::OnRedo() {
    if (!CanRedo()) return;
    emit objectsAboutToBeReplaced();
    Redo();
}

// ---- objects ---------------------------------------------------------------------

void ImageDocument::ClearObjects() {
    objects.clear();
    addedObject_ = nullptr;
}

void ImageDocument::CopyObjectList(ObjectList& destination, const ObjectList& source) {
    clipvane::CopyObjectList(destination, source);
}

AnnotationObject* ImageDocument::AddObject(std::unique_ptr<AnnotationObject> object) {
    if (!object) return nullptr;
    const bool recorded = RecordObjectsUndo();
    objects.push_back(std::move(object));
    addedObject_ = objects.back().get();
    addedStep_ = recorded ? UndoSteps().back().get() : nullptr;
    ObjectsEdited();
    return objects.back().get();
}

bool ImageDocument::WithdrawObject(const AnnotationObject* object) {
    if (!object || object != addedObject_ || objects.empty() || objects.back().get() != object) return false;
    objects.pop_back();
    if (addedStep_ && UndoCount() > 0 && UndoSteps().back().get() == addedStep_) DiscardLastStep();
    addedObject_ = nullptr;
    addedStep_ = nullptr;
    ObjectsEdited();
    return true;
}

bool ImageDocument::DeleteObject(const AnnotationObject* object) {
    auto it = std::find_if(objects.begin(), objects.end(), [&](const auto& o) { return o.get() == object; });
    if (!object || it == objects.end()) return false;
    RecordObjectsUndo();
    if (object == addedObject_) addedObject_ = nullptr;
    objects.erase(it);
    ObjectsEdited();
    return true;
}

void ImageDocument::Flatten() {
    RecordUndo(image);
    if (!objects.empty()) {
        emit objectsAboutToBeReplaced();
        cache_->Render(image, objects);
        ClearObjects();
    }
    modified = 1;
    UpdateAllViews();
}

void ImageDocument::BringToFront(const AnnotationObject* object) {
    clipvane::BringToFront(objects, object);
    ObjectsEdited();
}

void ImageDocument::SendToBack(const AnnotationObject* object) {
    clipvane::SendToBack(objects, object);
    ObjectsEdited();
}

void ImageDocument::ObjectsEdited() {
    modified = 1;
    DropUnneededComposite();
    emit changed();
}

void ImageDocument::ImageEdited() {
    modified = 1;
    UpdateAllViews();
}

// ---- drawing ---------------------------------------------------------------------

const PixelImage& ImageDocument::Composite() { return cache_->Compose(image, objects); }

size_t ImageDocument::RenderCacheBytes() const { return cache_->MemoryBytes(); }

void ImageDocument::RenderObjects(PixelImage& target) { cache_->Render(target, objects); }

// ---- files and new images ---------------------------------------------------------

namespace {
// The file layer notes its reasons per thread: the worker's goes to the
// calling thread, where the document's callers read it.
void PassFileError(const std::string& reason) {
    ClearFileError();
    if (!reason.empty()) NoteFileError(reason);
}
}  // namespace

bool ImageDocument::OpenDocument(const QString& path) {
    // Checked without waiting: a pipe or device is refused, not read.
    if (!CanOpenForReading(path.toStdString())) return false;
    if (IsBusy()) return false;
    cancelled_ = false;
    const std::string file = path.toStdString();
    PixelImage loaded;
    bool read = false;
    bool transparent = false;
    std::string reason;
    EditableContent editable;
    EditableState state = EditableState::kPlain;
    std::string why;
    const bool done = RunWork(
        [&](WorkProgress& progress) {
            read = LoadFromFile(file, loaded);
            reason = LastImageFileError();
            if (!read || progress.Cancelled()) return;
            if (TypeFromPath(file) == kFilePng) state = ReadEditablePng(file, &loaded, editable, why);
            if (state == EditableState::kEditable) return;
            transparent = TypeCanBeTransparent(TypeFromPath(file)) && HasTransparency(loaded);
            loaded.ConvertTo(32);
        },
        true);
    PassFileError(reason);
    if (!done) return false;
    // The chunk's checksum has no key: objects that do not draw the file's
    // own picture were not saved with it, so the picture is opened plain.
    if (state == EditableState::kEditable &&
        !ObjectsReproduce(editable.image, editable.objects, loaded, editable.transparent)) {
        state = EditableState::kDamaged;
        why = "its objects do not match its pixels";
        transparent = TypeCanBeTransparent(TypeFromPath(file)) && HasTransparency(loaded);
        loaded.ConvertTo(32);
    }
    emit objectsAboutToBeReplaced();
    ClearObjects();
    ClearHistory();
    savesEditable_ = false;
    openNote_.clear();
    if (read && state == EditableState::kEditable) {
        image = std::move(editable.image);
        transparent_ = editable.transparent;
        objects = std::move(editable.objects);
        savesEditable_ = true;
    } else {
        if (state == EditableState::kDamaged) openNote_ = QString::fromStdString(why);
        transparent_ = read && transparent;
        if (read)
            image = std::move(loaded);
        else
            image.Destroy();
    }
    SetPathName(path);
    modified = 0;
    UpdateAllViews();
    return true;
}

bool ImageDocument::SaveDocument(const QString& path) {
    if (IsBusy()) return false;
    const std::string file = path.toStdString();
    const bool alpha = transparent_;
    const bool keepObjects = savesEditable_ && TypeFromPath(file) == kFilePng;
    int saved = 0;
    std::string reason;
    auto write = [&](const PixelImage& picture) {
        if (keepObjects)
            // The same pixels as the plain save writes, plus the chunk.
            saved = SaveEditablePng(file, picture, alpha, image, alpha, objects) ? 1 : 0;
        else
            saved = alpha ? SaveImageFileWithAlpha(picture, file) : SaveImageFile(picture, file);
        reason = LastImageFileError();
    };
    // A save is not cancelled: once the file is being written it completes.
    if (objects.empty()) {
        // Nothing to draw: the image itself is written, read by the worker.
        const PixelImage& current = image;
        RunWork([&](WorkProgress&) { write(current); }, false);
    } else {
        // Objects are drawn on 32 bits; over a 24-bit image the result is
        // opaque, so going back to 24 bits loses nothing and the file keeps
        // the image's depth (a 24-bit BMP or TGA stays 24-bit).
        const bool back24 = image.Depth() == 24;
        PixelImage copy;
        const PixelImage& current = image;
        RunWork(
            [&](WorkProgress&) {
                copy = current;
                copy.ConvertTo(32);
            },
            false);
        RenderObjects(copy);
        RunWork(
            [&](WorkProgress&) {
                if (back24) copy.ConvertTo(24);
                write(copy);
            },
            false);
    }
    PassFileError(reason);
    if (saved == 0) return false;
    modified = 0;
    emit changed();
    return true;
}

void ImageDocument::NewImage() {
    PixelImage blank;
    if (blank.Create(640, 480, 32)) {
        // Opaque: objects drawn on it blend with the white at their strength.
        FillEffect white(0xFFFFFF, 255);
        blank.ApplyEffect(white);
        image = std::move(blank);
        transparent_ = false;
    }
    modified = 1;
    UpdateAllViews();
}

void ImageDocument::ApplyCapture(const PixelImage& captured, bool replace) {
    if (captured.IsEmpty()) return;  // a failed grab delivers nothing
    if (IsBusy()) {
        pendingCaptures_.emplace_back(captured, replace);
        return;
    }
    if (replace) {
        // The image before becomes the step's snapshot: taken over, not copied.
        addedObject_ = nullptr;
        auto record = std::make_unique<UndoRecord>();
        record->beforeImage = std::move(image);
        CopyObjectList(record->beforeObjects, objects);
        Push(std::move(record));
    }
    image = captured;
    image.ConvertTo(32);
    if (transparent_) image.SetAlpha(255);  // a capture is opaque; the grab's fourth byte is not alpha
    modified = 1;
    UpdateAllViews();
}

void ImageDocument::ApplyPendingCaptures() {
    if (IsBusy()) return;  // more work began: its end applies them
    auto captures = std::move(pendingCaptures_);
    pendingCaptures_.clear();
    for (auto& [captured, replace] : captures) ApplyCapture(captured, replace);
}

// ---- Image and Filter commands ------------------------------------------------------

void ImageDocument::NormaliseAfterCommand() {
    // A 24-bit image would go to 32 bits and straight back, which gives the
    // same bytes; a transparent image stays 32 bits, since normalising would
    // drop its alpha; a cancelled command leaves the image as it was.
    if (cancelled_ || transparent_ || image.IsEmpty() || image.Depth() == 24) return;
    RunOnCopy([](PixelImage& work, ProgressReporter&) { NormaliseTo24(work); }, nullptr);
}

void ImageDocument::OnEffectCommand(int id, EffectDialogs* dialogs, const Rect& band) {
    if (id < kCmdFirstEffect || id > kCmdLastEffect) return;
    cancelled_ = false;
    const EffectEntry* entry = FindEffect(id);
    const EffectDialog dialog = entry ? entry->dialog : EffectDialog::None;
    if (dialog == EffectDialog::Band) {
        Redact(band);
        return;
    }
    const BandScope scope(*this, id, band);
    switch (dialog) {
    case EffectDialog::Sliders:
    case EffectDialog::ColorLevel:
    case EffectDialog::ColorTone:
        // The dialog applies the effect itself.
        if (dialogs) dialogs->RunEffectDialog(*this, id);
        break;
    case EffectDialog::BrightnessContrast:
        if (dialogs) dialogs->RunBrightnessContrastDialog(*this);
        break;
    case EffectDialog::Resize: {
        int width = image.Width(), height = image.Height(), quality = 0;
        if (dialogs && dialogs->RunResizeDialog(*this, width, height, quality)) {
            RunRecord(std::make_unique<ResizeUndoRecord>(width, height, quality));
            return;
        }
        break;
    }
    default:
        // Direct commands: the effect of the id (none for ids without an
        // entry) through the normalised path.
        if (!PlanEffectCommand(id, EffectParams{}).effects.empty()) {
            ApplyEffectCommand(id, EffectParams{}, nullptr, band);
            return;
        }
        break;
    }
    if (!entry || !entry->keepsDepth) NormaliseAfterCommand();
}

bool ImageDocument::Redact(const Rect& band) {
    const Rect r = band.Intersected(Rect{0, 0, image.Width(), image.Height()});
    if (image.IsEmpty() || r.IsEmpty()) return false;
    EffectParams params;
    params.values[0] = RedactCell(r.Height());
    params.count = 1;
    // Mosaic's own steps (32 bits, one undo step, 24-bit normalisation), on the band.
    ApplyEffectCommand(kCmdMosaic, params, nullptr, r);
    return true;
}

void ImageDocument::ApplyEffectCommand(int id, const EffectParams& params, const uint32_t* seed, const Rect& band) {
    if (const EffectEntry* entry = FindEffect(id); entry && entry->dialog == EffectDialog::Band) {
        Redact(band);
        return;
    }
    EffectCommandSteps steps = PlanEffectCommand(id, params, seed);
    if (!steps.known) return;
    const BandScope scope(*this, id, band);
    cancelled_ = false;
    if (image.IsEmpty()) return;
    // The whole command, conversions included, is one piece of work on a
    // copy: a cancelled command changes nothing, not even the depth.
    const bool step = !steps.effects.empty() || steps.resize;
    const bool normalise = steps.normaliseTo24 && !transparent_;
    const int depth = normalise ? 24 : steps.convertTo32 ? 32 : image.Depth();
    if (!step && image.Depth() == depth) return;
    std::vector<ImageEffect*> effects;
    for (const auto& effect : steps.effects) effects.push_back(effect.get());
    const ResizeUndoRecord resize(steps.width, steps.height, steps.quality);
    const Rect workBand = effectBand_;
    RunOnCopy(
        [&](PixelImage& work, ProgressReporter& progress) {
            ApplyEffectList(work, workBand, effects, progress);
            if (steps.resize && !progress.Cancelled()) resize.Apply(work, &progress);
            if (normalise && !progress.Cancelled() && !work.IsEmpty() && work.Depth() != 24) NormaliseTo24(work);
        },
        step ? std::make_unique<UndoRecord>() : nullptr, steps.convertTo32 ? 32 : 0);
}

}  // namespace clipvane
