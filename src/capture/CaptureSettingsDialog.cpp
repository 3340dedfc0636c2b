#include "capture/CaptureSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <climits>

#include "settings/ProfileFile.h"

namespace clipvane {

namespace {

QString (*g_folderChooser)(const QString&) = nullptr;
void (*g_message)(QWidget*, const QString&) = nullptr;

const char* const kFormatItems[] = {"bmp(*.bmp)", "jpeg(*.jpg)", "png(*.png)", "gif(*.gif)"};

QSpinBox* IntEdit(const char* name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(INT_MIN, INT_MAX);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    return box;
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

void SetFolderChooserForTesting(QString (*chooser)(const QString&)) { g_folderChooser = chooser; }
void SetSettingsMessageForTesting(void (*show)(QWidget*, const QString&)) { g_message = show; }

SaveSettingsPage::SaveSettingsPage(QWidget* parent) : QWidget(parent) {
    auto* group = new QGroupBox(tr("Copy captured image to"), this);
    toClipboard = Named(new QCheckBox(tr("To Clipboard"), group), "ctl1060");
    toEditor = Named(new QCheckBox(tr("To Editor / Viewer"), group), "ctl1006");
    newWindow = Named(new QRadioButton(tr("Create a new window"), group), "ctl1007");
    replace = Named(new QRadioButton(tr("Replace image in the window"), group), "ctl1008");
    toFile = Named(new QCheckBox(tr("To File"), group), "ctl1039");
    title = Named(new QLineEdit(group), "ctl1038");
    startAt = IntEdit("ctl1036", group);
    startAt->setRange(0, kMaxStartNum);
    path = Named(new QLineEdit(group), "ctl1005");
    auto* select = Named(new QPushButton(tr("Select"), group), "ctl1037");
    format = Named(new QComboBox(group), "ctl1035");
    for (const char* item : kFormatItems) format->addItem(QLatin1String(item));

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(toClipboard);
    layout->addWidget(toEditor);
    auto* radios = new QHBoxLayout;
    radios->addSpacing(20);
    radios->addWidget(newWindow);
    radios->addWidget(replace);
    layout->addLayout(radios);
    layout->addWidget(toFile);
    auto* form = new QFormLayout;
    form->addRow(tr("Title:"), title);
    form->addRow(tr("Start at:"), startAt);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path);
    pathRow->addWidget(select);
    form->addRow(tr("Image save path:"), pathRow);
    form->addRow(tr("Image Format:"), format);
    layout->addLayout(form);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);

    connect(toFile, &QCheckBox::clicked, this, &SaveSettingsPage::UpdateEnabling);
    connect(toEditor, &QCheckBox::clicked, this, &SaveSettingsPage::UpdateEnabling);
    connect(select, &QPushButton::clicked, this, &SaveSettingsPage::ChooseFolder);
}

void SaveSettingsPage::Fill(const CaptureSettings& s) {
    toClipboard->setChecked(s.copyToClipboard);
    const bool editor = s.capAppViewMode != kViewNone;
    toEditor->setChecked(editor);
    newWindow->setChecked(!editor || s.capAppViewMode != kViewReplace);
    replace->setChecked(editor && s.capAppViewMode == kViewReplace);
    toFile->setChecked(s.isAutoSave);
    path->setText(QString::fromStdString(s.imageSavePath));
    title->setText(QString::fromStdString(s.imageSaveTitle));
    startAt->setValue(s.startNum);
    format->setCurrentIndex(s.imageFormat >= 0 && s.imageFormat < format->count() ? s.imageFormat : -1);
    UpdateEnabling();
}

void SaveSettingsPage::Take(CaptureSettings& s) const {
    s.copyToClipboard = toClipboard->isChecked();
    s.capAppViewMode = !toEditor->isChecked() ? kViewNone : replace->isChecked() ? kViewReplace : kViewNewWindow;
    s.isAutoSave = toFile->isChecked();
    s.imageSavePath = path->text().toStdString().substr(0, kMaxSavePathLength);
    // A file-name stem: a typed folder part would put captures elsewhere.
    s.imageSaveTitle = CaptureFileStem(title->text().toStdString()).substr(0, kMaxSaveTitleLength);
    s.startNum = startAt->value();
    // The format follows the selected item's text; anything else is BMP, in
    // memory as in the file (no selection must not leave a format without an
    // extension, for which every numbered save would fail).
    s.imageFormat = kFormatBmp;
    for (int i = 0; i < 4; ++i) {
        if (format->currentText() == QLatin1String(kFormatItems[i])) s.imageFormat = i;
    }
}

void SaveSettingsPage::UpdateEnabling() {
    const bool file = toFile->isChecked();
    path->setEnabled(file);
    title->setEnabled(file);
    startAt->setEnabled(file);
    format->setEnabled(file);
    newWindow->setEnabled(toEditor->isChecked());
    replace->setEnabled(toEditor->isChecked());
}

void SaveSettingsPage::ChooseFolder() {
    const QString chosen = g_folderChooser
                               ? g_folderChooser(path->text())
                               : QFileDialog::getExistingDirectory(nullptr, tr("Select a folder."), path->text());
    if (!chosen.isEmpty()) path->setText(chosen);  // what was typed into the other fields stays
}

BasicSettingsPage::BasicSettingsPage(QWidget* parent) : QWidget(parent) {
    auto* capture = new QGroupBox(tr("Capture Setting"), this);
    delay = IntEdit("ctl1005", capture);
    hide = Named(new QCheckBox(tr("Hide Clipvane window before capture"), capture), "ctl1004");
    restore = Named(new QCheckBox(tr("Restore Clipvane window after capture"), capture), "ctl1032");
    sound = Named(new QCheckBox(tr("Play sound when capture"), capture), "ctl1033");
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(new QLabel(tr("Delay time before the capture "), capture));
    delayRow->addWidget(delay);
    delayRow->addWidget(new QLabel(tr("milliseconds"), capture));
    auto* c = new QVBoxLayout(capture);
    c->addLayout(delayRow);
    c->addWidget(hide);
    c->addWidget(restore);
    c->addWidget(sound);
    scrollFromCurrent =
        Named(new QCheckBox(tr("Scrolling capture starts at the current position"), capture), "scrollFromCurrent");
    scrollFromCurrent->setToolTip(
        tr("Leave the area where it is scrolled to (a chat, a log) instead of scrolling it to its top first."));
    c->addWidget(scrollFromCurrent);

    auto* fixed = new QGroupBox(tr("Fix rectangle setting"), this);
    width = IntEdit("ctl1006", fixed);
    height = IntEdit("ctl1007", fixed);
    auto* f = new QFormLayout(fixed);
    f->addRow(tr("Width:"), width);
    f->addRow(tr("Height:"), height);

    everyCapture = Named(new QCheckBox(tr("Copy every capture to clipboard"), this), "ctl1040");
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(capture);
    outer->addWidget(fixed);
    outer->addWidget(everyCapture);
}

void BasicSettingsPage::Fill(const CaptureSettings& s) {
    delay->setValue(s.capDelayTime);
    hide->setChecked(s.hideWindowBeforeCapture);
    restore->setChecked(s.restoreWindowAfterCapture);
    sound->setChecked(s.playSoundOnCapture);
    scrollFromCurrent->setChecked(s.scrollFromCurrent);
    width->setValue(s.fixRectWidth);
    height->setValue(s.fixRectHeight);
    everyCapture->setChecked(s.copyToClipboard);
}

void BasicSettingsPage::Take(CaptureSettings& s) const {
    s.capDelayTime = delay->value();
    s.hideWindowBeforeCapture = hide->isChecked();
    s.restoreWindowAfterCapture = restore->isChecked();
    s.playSoundOnCapture = sound->isChecked();
    s.scrollFromCurrent = scrollFromCurrent->isChecked();
    s.fixRectWidth = width->value();
    s.fixRectHeight = height->value();
}

CaptureSettingsDialog::CaptureSettingsDialog(const CaptureSettings& settings, ProfileFile* file, QWidget* parent)
    : QDialog(parent), values_(settings), live_(settings), openedStartNum_(settings.startNum), file_(file) {
    setWindowTitle(tr("Capture Setting"));
    sheet_ = new QTabWidget(this);
    save_ = new SaveSettingsPage(sheet_);
    basic_ = new BasicSettingsPage(sheet_);
    sheet_->addTab(save_, tr("Capture to"));
    sheet_->addTab(basic_, tr("Other"));
    save_->Fill(settings);
    basic_->Fill(settings);
    // The two clipboard check boxes name one setting.
    connect(save_->toClipboard, &QCheckBox::toggled, basic_->everyCapture, &QCheckBox::setChecked);
    connect(basic_->everyCapture, &QCheckBox::toggled, save_->toClipboard, &QCheckBox::setChecked);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CaptureSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CaptureSettingsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sheet_);
    layout->addWidget(buttons);
}

void CaptureSettingsDialog::accept() {
    const int width = basic_->width->value(), height = basic_->height->value();
    if (width < 1 || height < 1 || width > kMaxFixRectSide || height > kMaxFixRectSide) {
        const QString text =
            tr("The fixed rectangle must be between 1 and %1 pixels wide and high.").arg(kMaxFixRectSide);
        sheet_->setCurrentWidget(basic_);
        (width < 1 || width > kMaxFixRectSide ? basic_->width : basic_->height)->setFocus();
        if (g_message) {
            g_message(this, text);
        } else {
            QMessageBox::warning(this, windowTitle(), text);
        }
        return;
    }
    save_->Take(values_);
    basic_->Take(values_);
    // Captures taken while the dialog was open advanced the counter: an
    // untouched "Start at" keeps that advance instead of going back.
    if (values_.startNum == openedStartNum_) values_.startNum = live_.startNum;
    if (file_) values_.SaveCaptureSet(*file_);  // the delay as entered; the floor applies when it is used
    QDialog::accept();
}

}  // namespace clipvane
