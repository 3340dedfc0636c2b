#include "capture/CaptureDelivery.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "capture/CaptureSound.h"
#include "document/Clipboard.h"
#include "image/PixelImage.h"
#include "imagefile/ImageFile.h"

namespace clipvane {

namespace {

// Creates `path` empty when nothing is there yet: the name is then taken, also
// against another program saving into the same folder meanwhile.
bool ClaimName(const std::string& path, int* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

CaptureDelivery::CaptureDelivery(CaptureHost& host, CaptureSettings& settings, ProfileFile& profile, QObject* parent)
    : QObject(parent), host_(host), settings_(settings), profile_(profile) {}

void CaptureDelivery::Deliver(const PixelImage& image) {
    CopyToClipboard(image);
    const bool toDocument = ToEditor(image);
    AutoSave(image, toDocument);
}

void CaptureDelivery::CopyToClipboard(const PixelImage& image) {
    if (settings_.copyToClipboard) CopyImageToClipboard(image);
}

bool CaptureDelivery::ToEditor(const PixelImage& image) {
    if (settings_.playSoundOnCapture) PlayCaptureSound();
    switch (settings_.capAppViewMode) {
    case kViewNewWindow: host_.DeliverNew(image, false); return true;
    case kViewReplace:
        if (!host_.DeliverReplace(image)) host_.DeliverNew(image, true);
        return true;
    default: return false;
    }
}

void CaptureDelivery::AutoSave(const PixelImage& image, bool toDocument) {
    if (!settings_.isAutoSave) return;
    std::string path = NumberedCapturePath(settings_);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    // An existing file is never replaced: the next free number is taken and
    // the counter moves past it. A number is used up even when the save fails.
    QString reason;
    bool claimed = false;
    if (ec) {
        reason = QString::fromStdString(ec.message());
        settings_.startNum = std::min(settings_.startNum + 1, kMaxStartNum);
    }
    while (!ec) {
        path = NumberedCapturePath(settings_);
        int error = 0;
        claimed = ClaimName(path, &error);
        const bool atLimit = settings_.startNum >= kMaxStartNum;
        if (!claimed && error == EEXIST && atLimit) {
            reason = tr("every number up to %1 is taken").arg(kMaxStartNum);
            break;
        }
        if (!atLimit) ++settings_.startNum;
        if (!claimed && error == EEXIST) continue;
        if (!claimed) reason = QString::fromLocal8Bit(std::strerror(error));
        break;
    }
    // Kept in the file at once, so a crash cannot make the next run reuse
    // the number and overwrite an earlier capture.
    if (!profile_.Path().empty()) profile_.WriteInt("AudoSaveSet", "StartNum", settings_.startNum);

    if (claimed && !SaveImageFile(image, path)) {
        const int saveError = errno;
        ::unlink(path.c_str());
        reason = access(folder.c_str(), W_OK) != 0 ? QString::fromLocal8Bit(std::strerror(saveError))
                                                   : tr("the image could not be written in this format");
    }
    const QString qpath = QString::fromStdString(path);
    if (!reason.isEmpty()) {
        host_.ReportMessage(tr("The capture could not be saved to %1: %2").arg(qpath, reason));
        return;
    }
    if (toDocument) host_.SetDeliveredPath(qpath);
    emit saved(qpath);
}

}  // namespace clipvane
