#pragma once
// Where a captured image goes once it is taken: the clipboard, the capture
// sound, the editor (through CaptureHost) and the next numbered file, all as
// the capture settings say.
#include <QObject>
#include <QString>

#include "capture/CaptureHost.h"
#include "settings/CaptureSettings.h"
#include "settings/ProfileFile.h"

namespace clipvane {

class PixelImage;

class CaptureDelivery : public QObject {
    Q_OBJECT
public:
    // `settings` and `profile` belong to the caller and outlive the delivery.
    CaptureDelivery(CaptureHost& host, CaptureSettings& settings, ProfileFile& profile, QObject* parent = nullptr);

    // Clipboard, then editor, then file.
    void Deliver(const PixelImage& image);

    // The single steps, for callers that pause between them.
    void CopyToClipboard(const PixelImage& image);
    // Plays the sound and hands the image to the editor; true when a document shows it.
    bool ToEditor(const PixelImage& image);
    // Saves to the next free numbered file when auto-save is on; an existing
    // file is never replaced. `toDocument`: the editor shows this image, so
    // its document takes the path.
    void AutoSave(const PixelImage& image, bool toDocument);

signals:
    // After a successful numbered save.
    void saved(const QString& path);

private:
    CaptureHost& host_;
    CaptureSettings& settings_;
    ProfileFile& profile_;
};

}  // namespace clipvane
