#include "document/ImageDocument.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "document/BandEffects.h"
#include "document/EffectDialogs.h"
#include "annotation/EditablePng.h"
#include "imagefile/AlphaFiles.h"
#include "imagefile/ImageFile.h"
#include "annotation/ObjectGeometry.h"
#include "document/RenderCache.h"
#include "image/ImageEffect.h"
#include "image/effects/EffectCommands.h"
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
    emit changed();
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

void ImageDocument::RunEffectsInBand(const std::vector<ImageEffect*>& effects) {
    auto record = std::make_unique<UndoRecord>();
    record->Snapshot(image, objects);
    {
        auto progress = MakeProgress();
        ApplyEffectsInBand(image, effectBand_, effects, progress.get());
    }
    addedObject_ = nullptr;
    Push(std::move(record));
    modified = 1;
    UpdateAllViews();
}

void ImageDocument::RunEffect(ImageEffect* effect) {
    if (!effect) return;
    if (!effectBand_.IsEmpty()) {
        RunEffectsInBand({effect});
        return;
    }
    auto record = std::make_unique<UndoRecord>();
    {
        auto progress = MakeProgress();
        record->Do(*this, effect, progress.get());
    }
    Push(std::move(record));
    modified = 1;
    UpdateAllViews();
}

void ImageDocument::RunEffects(const std::vector<std::unique_ptr<ImageEffect>>& effects) {
    if (effects.empty()) return;
    if (!effectBand_.IsEmpty()) {
        std::vector<ImageEffect*> list;
        for (const auto& effect : effects) list.push_back(effect.get());
        RunEffectsInBand(list);
        return;
    }
    auto record = std::make_unique<UndoRecord>();
    record->Snapshot(image, objects);
    {
        auto progress = MakeProgress();
        for (const auto& effect : effects)
            if (effect) image.ApplyEffect(*effect, progress.get());
    }
    addedObject_ = nullptr;
    Push(std::move(record));
    modified = 1;
    UpdateAllViews();
}

void ImageDocument::RunRecord(std::unique_ptr<UndoRecord> record) {
    if (!record) return;
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
    emit changed();
}

void ImageDocument::ImageEdited() {
    modified = 1;
    UpdateAllViews();
}

// ---- drawing ---------------------------------------------------------------------

const PixelImage& ImageDocument::Composite() { return cache_->Compose(image, objects); }

void ImageDocument::RenderObjects(PixelImage& target) { cache_->Render(target, objects); }

// ---- files and new images ---------------------------------------------------------

bool ImageDocument::OpenDocument(const QString& path) {
    // Checked without waiting: a pipe or device is refused, not read.
    if (!CanOpenForReading(path.toStdString())) return false;
    emit objectsAboutToBeReplaced();
    ClearObjects();
    ClearHistory();
    PixelImage loaded;
    transparent_ = false;
    savesEditable_ = false;
    openNote_.clear();
    if (LoadFromFile(path.toStdString(), loaded)) {
        EditableContent editable;
        std::string why;
        const EditableState state = TypeFromPath(path.toStdString()) == kFilePng
                                        ? ReadEditablePng(path.toStdString(), &loaded, editable, why)
                                        : EditableState::kPlain;
        if (state == EditableState::kEditable) {
            image = std::move(editable.image);
            transparent_ = editable.transparent;
            objects = std::move(editable.objects);
            savesEditable_ = true;
        } else {
            if (state == EditableState::kDamaged) openNote_ = QString::fromStdString(why);
            transparent_ = TypeCanBeTransparent(TypeFromPath(path.toStdString())) && HasTransparency(loaded);
            image = std::move(loaded);
            image.ConvertTo(32);
        }
    } else {
        image.Destroy();
    }
    SetPathName(path);
    modified = 0;
    UpdateAllViews();
    return true;
}

bool ImageDocument::SaveDocument(const QString& path) {
    PixelImage copy(image);
    RenderObjects(copy);
    // Objects are drawn on 32 bits; over a 24-bit image the result is opaque,
    // so going back to 24 bits loses nothing and the file keeps the image's
    // depth (a 24-bit BMP or TGA stays 24-bit).
    if (image.Depth() == 24) copy.ConvertTo(24);
    const std::string file = path.toStdString();
    int saved = 0;
    if (savesEditable_ && TypeFromPath(file) == kFilePng)
        // The same pixels as the plain save below writes, plus the chunk.
        saved = SaveEditablePng(file, copy, transparent_, image, transparent_, objects) ? 1 : 0;
    else
        saved = transparent_ ? SaveImageFileWithAlpha(copy, file) : SaveImageFile(copy, file);
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
    if (replace) RecordUndo(image);
    image = captured;
    image.ConvertTo(32);
    if (transparent_) image.SetAlpha(255);  // a capture is opaque; the grab's fourth byte is not alpha
    modified = 1;
    UpdateAllViews();
}

// ---- Image and Filter commands ------------------------------------------------------

void ImageDocument::RunNormalised(ImageEffect* effect) {
    // Without an effect a 24-bit image would go to 32 bits and straight back,
    // which gives the same bytes: skip both conversions.
    if (!effect && image.Depth() == 24) return;
    image.ConvertTo(32);
    RunEffect(effect);
    // A transparent image stays 32 bits: normalising would drop its alpha.
    if (!transparent_ && !image.IsEmpty() && image.Depth() != 24) {
        NormaliseTo24(image);
        UpdateAllViews();
    }
}

void ImageDocument::OnEffectCommand(int id, EffectDialogs* dialogs, const Rect& band) {
    if (id < kCmdFirstEffect || id > kCmdLastEffect) return;
    if (id == kCmdRedact) {
        Redact(band);
        return;
    }
    const BandScope scope(*this, id, band);

    // Dialog layouts of the commands whose dialog applies the effect itself.
    int layout = 0;
    switch (id) {
    case kCmdRotate: layout = kLayoutRotate; break;
    case kCmdColorTone: layout = kLayoutColorTone; break;
    case kCmdRgbValue: layout = kLayoutRgbValue; break;
    case kCmdColorLevel: layout = kLayoutColorLevel; break;
    case kCmdNoisy: layout = kLayoutNoise; break;
    case kCmdBlot: layout = kLayoutBlot; break;
    case kCmdEmboss: layout = kLayoutEmboss; break;
    case kCmdOilPaint: layout = kLayoutOilPaint; break;
    case kCmdSplash: layout = kLayoutSplash; break;
    case kCmdPosterize: layout = kLayoutPosterize; break;
    case kCmdMosaic: layout = kLayoutMosaic; break;
    case kCmdGrid: layout = kLayoutGrid; break;
    default: break;
    }
    if (layout != 0) {
        if (dialogs) dialogs->RunEffectDialog(*this, layout);
        RunNormalised(nullptr);
        return;
    }

    switch (id) {
    case kCmdResize: {
        int width = image.Width(), height = image.Height(), quality = 0;
        if (dialogs && dialogs->RunResizeDialog(*this, width, height, quality))
            RunRecord(std::make_unique<ResizeUndoRecord>(width, height, quality));
        else
            RunNormalised(nullptr);
        return;
    }
    case kCmdBrightnessContrast:
        if (dialogs) dialogs->RunBrightnessContrastDialog(*this);
        return;
    case kCmdHueSaturation:
        if (dialogs) dialogs->RunEffectDialog(*this, kLayoutHueSaturation);
        return;
    default: break;
    }

    // Direct commands: the effect of the id (none for unlisted ids) through
    // the normalised path.
    if (PlanEffectCommand(id, EffectParams{}).effects.empty())
        RunNormalised(nullptr);
    else
        ApplyEffectCommand(id, EffectParams{}, nullptr, band);
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
    if (id == kCmdRedact) {
        Redact(band);
        return;
    }
    EffectCommandSteps steps = PlanEffectCommand(id, params, seed);
    if (!steps.known) return;
    const BandScope scope(*this, id, band);
    if (steps.convertTo32) image.ConvertTo(32);
    RunEffects(steps.effects);
    if (steps.resize) RunRecord(std::make_unique<ResizeUndoRecord>(steps.width, steps.height, steps.quality));
    if (steps.normaliseTo24 && !transparent_ && !image.IsEmpty() && image.Depth() != 24) {
        NormaliseTo24(image);
        UpdateAllViews();
    }
}

}  // namespace clipvane
