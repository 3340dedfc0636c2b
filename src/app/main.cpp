#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/ConfigPath.h"
#include "platform/DisplayCheck.h"
#include "platform/PlatformChoice.h"
#include "app/MainWindow.h"
#include "app/ProductLinks.h"
#include "app/RecoveryKeeper.h"
#include "app/RemoteControl.h"
#include "app/WebBrowser.h"
#include "base/TraceLog.h"
#include "capture/CaptureDriver.h"
#include "capture/CaptureSound.h"
#include "document/Clipboard.h"
#include "capture/OneShot.h"
#include "editor/tools/StampLibrary.h"
#include "imagefile/ImageHandler.h"
#include "widgets/HyperlinkLabel.h"

int main(int argc, char** argv) {
    const clipvane::CommandLine cl = clipvane::ParseCommandLine(argc, argv);
    if (!cl.error.empty()) {
        std::fprintf(stderr, "clipvane: %s\n\n%s", cl.error.c_str(), clipvane::UsageText());
        return cl.shot.empty() ? 2 : 1;
    }
    if (cl.help) {
        std::fputs(clipvane::UsageText(), stdout);
        return 0;
    }
    if (cl.helpMan) {
        std::fputs(clipvane::ManPage().c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("Clipvane %s\n", clipvane::kProductVersion);
        return 0;
    }
    if (!cl.shot.empty()) {
        // No window and no running instance needed. The file layer reads the
        // picture a screenshot portal hands over.
        clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
        QStringList args;
        for (int i = 0; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
        return clipvane::RunOneShot(args);
    }
    std::string why;
    if (!clipvane::DisplayAvailable(&why)) {
        std::fprintf(stderr, "clipvane: %s. Clipvane needs an X11 or Wayland desktop session.\n", why.c_str());
        return 2;
    }
    QElapsedTimer started;
    started.start();
    // On a Wayland session Qt's Wayland platform, else xcb; asked for on the
    // command line, so programs started from here keep their own default.
    std::vector<char*> qtArgs(argv, argv + argc);
    static char platformOption[] = "-platform";
    static char platformValue[] = "wayland;xcb";
    if (clipvane::PreferToolkitWaylandFromEnvironment()) {
        qtArgs.push_back(platformOption);
        qtArgs.push_back(platformValue);
    }
    int qtArgc = int(qtArgs.size());
    qtArgs.push_back(nullptr);
    QApplication app(qtArgc, qtArgs.data());
    QApplication::setApplicationName(QStringLiteral("Clipvane"));
    QApplication::setApplicationVersion(QString::fromLatin1(clipvane::kProductVersion));
    QApplication::setDesktopFileName(QStringLiteral("clipvane"));
    QApplication::setWindowIcon(clipvane::ApplicationIcon());
    // In tray mode the main window may be hidden while a dialog closes; the
    // program ends through the main window's closing sequence only.
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList files;
    for (const std::string& f : cl.files) files.append(QString::fromStdString(f));
    const QString capture = QString::fromStdString(cl.capture);
    if (!capture.isEmpty()) {
        clipvane::CaptureMode mode;
        if (!clipvane::CaptureModeFromName(capture, &mode)) {
            std::fprintf(stderr, "clipvane: unknown capture mode \"%s\"\n", cl.capture.c_str());
            return 2;
        }
    }
    // One instance per session: whoever takes the bus name first runs; the
    // others hand their files and captures over and leave.
    const QString service = QString::fromLatin1(clipvane::kDBusService);
    QString busName;
    QString busError;
    if (!cl.newInstance) {
        for (int attempt = 0; attempt < 5 && busName.isEmpty(); ++attempt) {
            const clipvane::NameClaim claim = clipvane::ClaimBusName(service, &busError);
            if (claim == clipvane::NameClaim::kOwned) {
                busName = service;
                break;
            }
            if (claim == clipvane::NameClaim::kNoBus) break;
            const clipvane::HandOver handed = clipvane::HandOverToRunningInstance(files, capture);
            if (handed.status == clipvane::HandOver::kNoOwner) continue;  // it just ended: claim again
            if (!cl.configPath.empty())
                std::fprintf(stderr,
                             "clipvane: Clipvane is already running; --config is not used (--new-instance starts "
                             "a separate instance)\n");
            if (handed.status == clipvane::HandOver::kDelivered) return 0;
            std::fprintf(stderr, "clipvane: %s\n", qPrintable(handed.message));
            return 1;
        }
    } else {
        // A separate instance: the usual name when it is free, else one of
        // its own, so that the running one keeps its callers.
        if (clipvane::ClaimBusName(service, &busError) == clipvane::NameClaim::kOwned) {
            busName = service;
        } else {
            const QString own = service + QStringLiteral(".Instance%1").arg(QCoreApplication::applicationPid());
            if (clipvane::ClaimBusName(own, &busError) == clipvane::NameClaim::kOwned) busName = own;
        }
        std::fprintf(stderr, "clipvane: separate instance; D-Bus name %s\n",
                     busName.isEmpty() ? "none" : qPrintable(busName));
    }
    if (busName.isEmpty()) clipvane::TraceLog("D-Bus service not registered: %s\n", qPrintable(busError));

    clipvane::InstallHandlerFactory(new clipvane::StandardHandlerFactory);
    // The About box's links report a browser that fails to start as well.
    clipvane::HyperlinkLabel::SetOpener([](const QString& url) { return clipvane::OpenInBrowser(url); });
    clipvane::MainWindow::Options options;
    options.configPath =
        clipvane::ResolveConfigPath(QString::fromStdString(cl.configPath), QApplication::applicationDirPath());
    clipvane::MainWindow frame(options);
    // The window has read the pixel limit from the settings: Qt's decoders
    // (drops, pastes from other programs) follow it instead of their 256 MB.
    clipvane::SyncQtAllocationLimit();
    auto* remote = new clipvane::RemoteControl(frame);
    if (!busName.isEmpty() && !remote->Register(&busError))
        clipvane::TraceLog("D-Bus object not exported: %s\n", qPrintable(busError));
    // Unsaved documents are kept for a restart after a crash; a clean exit
    // (the keeper's destruction) removes them.
    clipvane::QtRecoveryPrompts recoveryPrompts;
    clipvane::RecoveryKeeper recovery(frame.Documents(), clipvane::RecoveryKeeper::DefaultRoot(), recoveryPrompts,
                                      &frame);
    frame.show();
    clipvane::TraceLog("main window shown after %lld ms\n", static_cast<long long>(started.elapsed()));
    // Where the shipped data was found: the installed folder or the source tree's.
    clipvane::TraceLog("data: sound %s; stamps %s\n", qPrintable(clipvane::CaptureSoundPath()),
                       clipvane::StampLibrary::ShippedFolder().c_str());
    QTimer::singleShot(0, &frame, [&recovery] { recovery.OfferRestore(); });
    for (const QString& f : files) frame.OpenFile(f);
    if (!capture.isEmpty()) {
        clipvane::CaptureMode mode;
        clipvane::CaptureModeFromName(capture, &mode);
        QTimer::singleShot(0, &frame, [&frame, mode] { frame.Capture()->Request(mode); });
    }
    return app.exec();
}
