// config.ini is edited by hand and by other programs: reading any bytes as the
// settings file must neither crash nor read out of bounds, and once written
// back, the settings must survive further write-read cycles unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/CaptureSettings.h"
#include "settings/ProfileFile.h"

namespace {

std::string TempPath() {
    static std::string path = [] {
        // tmpfs keeps the atomic writes (with their flushes) cheap.
        char dir[] = "/dev/shm/fuzz_config.XXXXXX";
        const char* made = mkdtemp(dir);
        return std::string(made ? made : "/tmp") + "/config.ini";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = TempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    clipvane::ProfileFile file(path);
    clipvane::CaptureSettings settings;
    settings.Load(file);
    // Whatever the file says, numbers stay within their ranges and the title
    // cannot lead out of the capture folder.
    if (settings.startNum < 0 || settings.startNum > clipvane::kMaxStartNum ||
        settings.capDelayTime < clipvane::kMinCaptureDelay || settings.capDelayTime > clipvane::kMaxCaptureDelay ||
        settings.fixRectWidth < 1 || settings.fixRectWidth > clipvane::kMaxFixRectSide || settings.fixRectHeight < 1 ||
        settings.fixRectHeight > clipvane::kMaxFixRectSide || settings.imageSaveTitle.find('/') != std::string::npos ||
        settings.imageSaveTitle == "." || settings.imageSaveTitle == "..")
        std::abort();
    (void)file.GetInt("CaptureSet", "CapDelayTime", 0, 16);
    (void)file.GetBool("AppSet", "TrayMode", false);
    (void)file.GetString("AudoSaveSet", "ImageSavePath", "");

    auto cycle = [&](const clipvane::CaptureSettings& in) {
        std::remove(path.c_str());
        in.SaveCaptureSet(file);
        in.SaveHotkeys(file);
        in.SaveOnClose(file);
        clipvane::CaptureSettings out;
        out.Load(file);
        return out;
    };
    const clipvane::CaptureSettings once = cycle(settings);
    const clipvane::CaptureSettings twice = cycle(once);
    if (twice.isAutoSave != once.isAutoSave || twice.imageSaveTitle != once.imageSaveTitle ||
        twice.imageSavePath != once.imageSavePath)
        std::abort();
    std::remove(path.c_str());
    return 0;
}
