// annotate [--keep-objects] IN OBJECTS.json OUT: opens IN as the editor opens
// a file, adds the objects of the JSON description and saves OUT through the
// document's own save, so the file is byte for byte what the editor's Save
// writes for the same objects. --keep-objects writes a PNG with editable
// annotations, as the editor's "PNG with editable annotations" does.
#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Commands.h"
#include "base/TraceLog.h"
#include "annotation/ObjectsJson.h"
#include "document/ImageDocument.h"
#include "imagefile/FileError.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"

namespace {

// ": REASON" when the file layer knows why the last load or save failed.
std::string Reason() {
    const std::string why = clipvane::LastImageFileError();
    return why.empty() ? std::string() : ": " + why;
}

// The whole description, read without waiting on anything but a regular file
// and never more than the reader's limit.
bool ReadDescription(const std::string& path, std::string& text, std::string& why) {
    clipvane::ClearFileError();
    off_t size = 0;
    const int fd = clipvane::OpenRegularFile(path, &size);
    if (fd < 0) {
        why = clipvane::FileError();
        return false;
    }
    if (uint64_t(size) > clipvane::kMaxObjectsJsonBytes) {
        close(fd);
        why = "the description is larger than " + std::to_string(clipvane::kMaxObjectsJsonBytes >> 20) + " MiB";
        return false;
    }
    text.assign(size_t(size), '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            why = n < 0 ? std::string(std::strerror(errno)) : "the file became shorter while it was read";
            close(fd);
            return false;
        }
        got += size_t(n);
    }
    close(fd);
    return true;
}

}  // namespace

int CommandAnnotate(int argc, char** argv) {
    bool keepObjects = false;
    std::vector<std::string> names;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--keep-objects") {
            keepObjects = true;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "clipvane-image: unknown option '%s'\n", arg.c_str());
            names.clear();
            break;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 3) {
        std::fprintf(stderr, "usage: clipvane-image annotate [--keep-objects] IN OBJECTS.json OUT\n");
        return 2;
    }
    const std::string in = names[0], description = names[1], out = names[2];
    if (keepObjects && clipvane::TypeFromPath(out) != clipvane::kFilePng) {
        std::fprintf(stderr, "clipvane-image: --keep-objects writes PNG files: '%s' does not end in .png\n",
                     out.c_str());
        return 2;
    }
    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);

    std::string text, why;
    if (!ReadDescription(description, text, why)) {
        std::fprintf(stderr, "clipvane-image: cannot read '%s'%s\n", description.c_str(),
                     why.empty() ? "" : (": " + why).c_str());
        return 1;
    }
    // Stamp pictures as the Stamp tool takes them: through the file layer, at
    // 32 bits; a relative path starts from the description's folder.
    const std::filesystem::path base = std::filesystem::path(description).parent_path();
    const clipvane::StampLoader loadStamp = [&base](const std::string& path, clipvane::PixelImage& image,
                                                    std::string& reason) {
        const std::filesystem::path given(path);
        const std::filesystem::path file = given.is_absolute() ? given : base / given;
        if (!clipvane::LoadFromFile(file.string(), image)) {
            reason = clipvane::LastImageFileError();
            return false;
        }
        image.ConvertTo(32);
        if (image.Depth() == 32) return true;
        reason = "it cannot be converted to 32 bits per pixel";
        return false;
    };
    clipvane::ObjectList objects;
    if (!clipvane::ReadObjectsJson(text, loadStamp, objects, why)) {
        std::fprintf(stderr, "clipvane-image: %s: %s\n", description.c_str(), why.c_str());
        return 1;
    }

    // Objects are drawn with QPainter, which needs a QGuiApplication; drawing
    // into images needs no display, so the offscreen platform serves always.
    // Qt's own notes (a missing runtime folder, font fallbacks) go to the
    // trace, so that standard error carries only this tool's messages.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        clipvane::TraceLog("qt: %s", message.toLocal8Bit().constData());
    });
    static int qtArgc = 1;
    static char qtName[] = "clipvane-image";
    static char* qtArgv[] = {qtName, nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    clipvane::ImageDocument document;
    clipvane::ClearFileError();
    if (!document.OpenDocument(QString::fromStdString(in)) || document.image.IsEmpty()) {
        std::fprintf(stderr, "clipvane-image: cannot read an image from '%s'%s\n", in.c_str(), Reason().c_str());
        return 1;
    }
    // Added over any objects IN brought (a PNG with editable annotations), as
    // the editor adds them.
    for (auto& object : objects) document.objects.push_back(std::move(object));
    document.SetSavesEditable(keepObjects);
    if (!document.SaveDocument(QString::fromStdString(out))) {
        std::fprintf(stderr, "clipvane-image: cannot write '%s'%s\n", out.c_str(), Reason().c_str());
        return 1;
    }
    return 0;
}
