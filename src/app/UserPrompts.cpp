#include "app/UserPrompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/ExitHintDialog.h"

namespace clipvane {

QString OpenFilter() {
    return QStringLiteral(
        "All images (*.bmp *.jpg *.jpeg *.gif *.png *.tiff *.tif *.pcx *.tga *.psd *.ico *.xpm);;"
        "All Support Files (*.bmp *.jpg *.jpeg *.gif *.png *.tiff *.tif *.pcx);;BMP (*.bmp);;"
        "JPEG (*.jpg *.jpeg);;PNG (*.png);;GIF (*.gif);;TIFF (*.tif *.tiff);;PCX (*.pcx);;TGA (*.tga);;"
        "PSD (*.psd);;ICO (*.ico);;XPM (*.xpm);;All Files (*)");
}

QString SaveFilter() {
    return QStringLiteral("BMP (*.bmp);;JPEG (*.jpg *.jpeg);;PNG (*.png);;") + EditablePngFilter() +
           QStringLiteral(";;GIF (*.gif);;TIFF (*.tif *.tiff);;PCX (*.pcx);;TGA (*.tga)");
}

QString EditablePngFilter() { return QStringLiteral("PNG with editable annotations (*.png)"); }

QString ElidePath(const QString& path, int maxChars) {
    if (maxChars < 8 || path.size() <= maxChars) return path;
    // Keep more of the end: the file name tells most.
    const int head = (maxChars - 3) / 3;
    const int tail = maxChars - 3 - head;
    return path.left(head) + QStringLiteral("...") + path.right(tail);
}

QString ShortenMessage(const QString& text) {
    constexpr int kMaxLine = 300;
    constexpr int kMaxLines = 40;
    // Cheap for any length: only the first lines are looked at, and each is
    // cut (as ElidePath does) before anything measures it.
    QStringList lines;
    qsizetype start = 0;
    while (start <= text.size() && lines.size() < kMaxLines) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) end = text.size();
        const qsizetype length = end - start;
        lines << (length <= kMaxLine ? text.mid(start, length)
                                     : text.mid(start, kMaxLine / 3) + QStringLiteral("...") +
                                           text.mid(end - (kMaxLine - 3 - kMaxLine / 3), kMaxLine - 3 - kMaxLine / 3));
        start = end + 1;
    }
    if (start <= text.size()) lines << QStringLiteral("...");
    return lines.join(QLatin1Char('\n'));
}

QString FilterSuffix(const QString& filter) {
    const int star = filter.indexOf(QStringLiteral("*."));
    if (star < 0) return {};
    int end = star + 2;
    while (end < filter.size() && filter[end].isLetterOrNumber()) ++end;
    return filter.mid(star + 2, end - star - 2);
}

QStringList QtUserPrompts::OpenPaths(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Open"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(OpenFilter());
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString QtUserPrompts::SavePath(QWidget* parent, const QString& initialName, const QString& defaultSuffix) {
    return ChooseSavePath(parent, initialName, defaultSuffix, false).path;
}

UserPrompts::SaveChoice QtUserPrompts::ChooseSavePath(QWidget* parent, const QString& initialName,
                                                      const QString& defaultSuffix, bool editable) {
    QFileDialog dialog(parent, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(SaveFilter());
    dialog.setDefaultSuffix(defaultSuffix);
    if (editable && defaultSuffix == QStringLiteral("png"))
        dialog.selectNameFilter(EditablePngFilter());
    else
        for (const QString& filter : dialog.nameFilters())
            if (filter.contains(QStringLiteral("*.") + defaultSuffix + QLatin1Char(' ')) ||
                filter.contains(QStringLiteral("*.") + defaultSuffix + QLatin1Char(')'))) {
                dialog.selectNameFilter(filter);
                break;
            }
    // A name typed without an extension takes the chosen file type's, not
    // always the one proposed first.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const QString suffix = FilterSuffix(filter);
        if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    });
    QFileInfo initial(initialName);
    if (initial.isAbsolute()) {
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    } else {
        dialog.selectFile(initialName);
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return {};
    return {files.front(), dialog.selectedNameFilter() == EditablePngFilter()};
}

UserPrompts::Answer QtUserPrompts::AskSaveOnClose(QWidget* parent, const QString& title) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Clipvane"), QStringLiteral("Do you want to save the image?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setInformativeText(title);
    switch (box.exec()) {
    case QMessageBox::Yes: return kYes;
    case QMessageBox::No: return kNo;
    default: return kCancel;
    }
}

int QtUserPrompts::AskExitHint(QWidget* parent, const QString& documentName) {
    ExitHintDialog dialog(parent);
    dialog.SetDocumentName(documentName);
    const int result = dialog.exec();
    return result == QDialog::Rejected ? int(ExitHintDialog::kCancel) : result;
}

void QtUserPrompts::ShowError(QWidget* parent, const QString& text) {
    // Window-modal but not blocking: a failed open requested over D-Bus must
    // not hold up the caller's reply.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Clipvane"), ShortenMessage(text), QMessageBox::Ok,
                                parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace clipvane
