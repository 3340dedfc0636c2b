#pragma once
// The "Capture Setting" dialog: page "Capture to" (SaveSettingsPage: clipboard,
// editor, numbered files) and page "Other" (BasicSettingsPage: delay, hiding,
// restoring, sound, fixed rectangle). Filled from the settings in memory; on
// OK it writes config.ini in its fixed order (when given a file) and
// Values() holds what the user chose.
#include <QDialog>
#include <QWidget>

#include "settings/CaptureSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace clipvane {

class ProfileFile;

class SaveSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SaveSettingsPage(QWidget* parent = nullptr);
    void Fill(const CaptureSettings& s);
    void Take(CaptureSettings& s) const;
    // Enables the file fields by "To File" and the radios by "To Editor / Viewer".
    void UpdateEnabling();
    void ChooseFolder();

    QCheckBox* toClipboard;   // 1060
    QCheckBox* toEditor;      // 1006
    QRadioButton* newWindow;  // 1007
    QRadioButton* replace;    // 1008
    QCheckBox* toFile;        // 1039
    QLineEdit* title;         // 1038
    QSpinBox* startAt;        // 1036
    QLineEdit* path;          // 1005
    QComboBox* format;        // 1035
};

class BasicSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit BasicSettingsPage(QWidget* parent = nullptr);
    void Fill(const CaptureSettings& s);
    void Take(CaptureSettings& s) const;

    QSpinBox* delay;     // 1005
    QCheckBox* hide;     // 1004
    QCheckBox* restore;  // 1032
    QCheckBox* sound;    // 1033
    QCheckBox* scrollFromCurrent;
    QSpinBox* width;          // 1006
    QSpinBox* height;         // 1007
    QCheckBox* everyCapture;  // 1040, the same setting as "To Clipboard"
};

class CaptureSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // `settings` are the ones in use; they must outlive the dialog: captures
    // that run while it is open advance their counter, and OK keeps that
    // advance unless the user typed another "Start at" number.
    CaptureSettingsDialog(const CaptureSettings& settings, ProfileFile* file, QWidget* parent = nullptr);
    const CaptureSettings& Values() const { return values_; }
    SaveSettingsPage* SavePage() { return save_; }
    BasicSettingsPage* BasicPage() { return basic_; }
    QTabWidget* Sheet() { return sheet_; }

    void accept() override;

private:
    CaptureSettings values_;
    const CaptureSettings& live_;
    int openedStartNum_;
    ProfileFile* file_;
    QTabWidget* sheet_;
    SaveSettingsPage* save_;
    BasicSettingsPage* basic_;
};

// The folder chooser of the "Select" button; tests replace it.
void SetFolderChooserForTesting(QString (*chooser)(const QString& current));
// The message box shown when OK is refused; tests replace it.
void SetSettingsMessageForTesting(void (*show)(QWidget* parent, const QString& text));

}  // namespace clipvane
