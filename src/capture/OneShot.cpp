#include "capture/OneShot.h"

#include <QCoreApplication>

#include <cstdio>
#include <thread>

#include "imagefile/ImageFile.h"
#include "image/PixelImage.h"
#include "platform/PlatformChoice.h"
#include "platform/ScreenPlatform.h"

namespace clipvane {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("OneShot", text); }

int Fail(const QString& message) {
    std::fprintf(stderr, "clipvane: %s\n", message.toLocal8Bit().constData());
    return 1;
}

}  // namespace

int RunOneShot(const QStringList& args) {
    QString what, output;
    int delay = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--shot") && hasValue) {
            what = args[++i];
        } else if (a == QLatin1String("--output") && hasValue) {
            output = args[++i];
        } else if (a == QLatin1String("--delay") && hasValue) {
            bool ok = false;
            delay = args[++i].toInt(&ok);
            if (!ok || delay < 0) return Fail(Tr("--delay needs a number of milliseconds, not \"%1\"").arg(args[i]));
        }
    }
    if (what != QLatin1String("full") && what != QLatin1String("active"))
        return Fail(Tr("--shot takes \"full\" or \"active\""));
    if (output.isEmpty()) return Fail(Tr("--shot needs --output FILE"));
    if (TypeFromPath(output.toStdString()) == kFileNone)
        return Fail(Tr("cannot tell the image format from the name \"%1\"").arg(output));

    // No toolkit runs here: the environment tells the session's kind.
    DesktopKind kind = DesktopKind::kX11;
    std::string why;
    if (!ChooseDesktopFromEnvironment(std::string(), &kind, &why)) return Fail(QString::fromStdString(why));
    std::unique_ptr<ScreenPlatform> platform;
    if (kind == DesktopKind::kX11) {
        platform = CreateX11Platform();
        if (!platform) return Fail(Tr("cannot connect to the X display"));
    } else {
        platform = CreateWaylandPlatform(
            kind == DesktopKind::kWaylandPortal ? WaylandGrab::kPortalOnly : WaylandGrab::kAuto, &why);
        if (!platform) return Fail(QString::fromStdString(why));
        if (what == QLatin1String("active"))
            return Fail(
                Tr("this desktop does not tell other programs which window is active; "
                   "capture the full screen or a region instead"));
    }
    if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));

    const Rect screen = platform->PrimaryScreen();
    Rect rect = screen;
    if (what == QLatin1String("active")) {
        const WindowId active = platform->ActiveWindow();
        Rect frame;
        if (!active || !platform->FrameRect(active, &frame)) return Fail(Tr("there is no active window"));
        rect = frame.Intersected(screen);
        if (rect.IsEmpty()) return Fail(Tr("the active window is not on the screen"));
    }
    PixelImage image;
    if (!platform->Grab(rect, image)) {
        const std::string reason = platform->GrabError();
        return Fail(Tr("the screen could not be captured%1")
                        .arg(reason.empty() ? QString() : QStringLiteral(": ") + QString::fromStdString(reason)));
    }
    if (!SaveImageFile(image, output.toStdString())) {
        const std::string why = LastImageFileError();
        return Fail(Tr("cannot write \"%1\"%2")
                        .arg(output, why.empty() ? QString() : QStringLiteral(": ") + QString::fromStdString(why)));
    }
    return 0;
}

}  // namespace clipvane
