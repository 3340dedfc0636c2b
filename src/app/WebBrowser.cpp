#include "app/WebBrowser.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace clipvane {

bool OpenInBrowser(const QString& url, int waitMs) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return QDesktopServices::openUrl(QUrl(url));
    // No parent: a QProcess kills its program when destroyed, and a browser
    // started in the foreground must outlive Clipvane.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({url});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(waitMs)) {
        delete process;
        return false;
    }
    if (process->waitForFinished(waitMs)) {
        const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        delete process;
        return ok;
    }
    // Still running (a browser in the foreground): freed when it ends.
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
}

}  // namespace clipvane
