#pragma once
// Every question and message the document commands put to the user, behind
// one interface so that tests can answer them.
#include <QString>
#include <QStringList>

class QWidget;

namespace clipvane {

class UserPrompts {
public:
    enum Answer { kYes, kNo, kCancel };

    virtual ~UserPrompts() = default;
    // File / Open: the chosen paths, empty on Cancel.
    virtual QStringList OpenPaths(QWidget* parent) = 0;
    // A save dialog proposing `initialName` with `defaultSuffix` ("png",
    // "jpg"); empty on Cancel.
    virtual QString SavePath(QWidget* parent, const QString& initialName, const QString& defaultSuffix) = 0;
    // The same dialog, also telling whether the user chose "PNG with
    // editable annotations" (offered first when `editable`). The default
    // asks SavePath and reports a plain file.
    struct SaveChoice {
        QString path;  // empty on Cancel
        bool editable = false;
    };
    virtual SaveChoice ChooseSavePath(QWidget* parent, const QString& initialName, const QString& defaultSuffix,
                                      bool editable) {
        (void)editable;
        return {SavePath(parent, initialName, defaultSuffix), false};
    }
    // "Do you want to save the image?" of a closing document.
    virtual Answer AskSaveOnClose(QWidget* parent, const QString& title) = 0;
    // The exit prompt's ExitHintDialog: 1000 Yes, 1001 No, 1002 Save None,
    // 1003 Cancel (Esc and the close box count as Cancel).
    virtual int AskExitHint(QWidget* parent, const QString& documentName) = 0;
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
};

// The open filter and the save filter of the file dialogs. The open filter
// starts with "All images": every type the file layer reads.
QString OpenFilter();
QString SaveFilter();
// The save filter of "PNG with editable annotations".
QString EditablePngFilter();
// The first extension a filter names ("jpg" for "JPEG (*.jpg *.jpeg)"); empty
// when it names none.
QString FilterSuffix(const QString& filter);

// A path short enough for any message: longer than `maxChars` characters,
// its middle gives way to "...". A plain character cut, so that a path of
// megabytes costs nothing to lay out.
QString ElidePath(const QString& path, int maxChars = 160);
// A message text no longer than a box can show: every over-long line is cut
// in its middle the same way, and the text has at most a few dozen lines.
QString ShortenMessage(const QString& text);

class QtUserPrompts : public UserPrompts {
public:
    QStringList OpenPaths(QWidget* parent) override;
    QString SavePath(QWidget* parent, const QString& initialName, const QString& defaultSuffix) override;
    SaveChoice ChooseSavePath(QWidget* parent, const QString& initialName, const QString& defaultSuffix,
                              bool editable) override;
    Answer AskSaveOnClose(QWidget* parent, const QString& title) override;
    int AskExitHint(QWidget* parent, const QString& documentName) override;
    void ShowError(QWidget* parent, const QString& text) override;
};

}  // namespace clipvane
