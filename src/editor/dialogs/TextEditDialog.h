#pragma once
// "Edit Text": the text, font family, size, colour, bold, italic, underline
// and alignment of one Text object. Prepared from the object when built; the
// object is changed only by OK. Nothing is recorded for undo.
//
// Return in the text field presses OK; Ctrl+Return types a line break. Line
// breaks are stored as '\n'.
#include <QDialog>
#include <QString>

#include "annotation/AnnotationObject.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace clipvane {

class ColorButton;
class FontPreviewCombo;

class TextEditDialog : public QDialog {
    Q_OBJECT
public:
    // `object` must outlive the dialog.
    explicit TextEditDialog(TextObject& object, QWidget* parent = nullptr);

    // Largest accepted point size; larger or non-positive entries keep the
    // previous size.
    static constexpr int kMaxSize = 1000;

    // The values the controls were last read into.
    QString text;
    QString faceName;
    int size = 16;
    int alignment = 1;  // 0 left, 1 middle, 2 right
    int bold = 0, italic = 0, underline = 0;

    FontPreviewCombo* FontList() const { return fontList_; }
    ColorButton* ColorPicker() const { return colorButton_; }
    QLineEdit* SizeEdit() const { return sizeEdit_; }
    QComboBox* SizeList() const { return sizeList_; }
    QCheckBox* BoldCheck() const { return boldCheck_; }
    QCheckBox* ItalicCheck() const { return italicCheck_; }
    QCheckBox* UnderlineCheck() const { return underlineCheck_; }
    QRadioButton* AlignmentRadio(int alignment) const;
    QPlainTextEdit* TextEdit() const { return textEdit_; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Read();
    void Write();
    void SizeChosen(int index);

    TextObject& object_;
    FontPreviewCombo* fontList_;
    ColorButton* colorButton_;
    QLineEdit* sizeEdit_;
    QComboBox* sizeList_;
    QCheckBox* boldCheck_;
    QCheckBox* italicCheck_;
    QCheckBox* underlineCheck_;
    QRadioButton* alignRadios_[3];
    QPlainTextEdit* textEdit_;
    // The object's family is not installed and the user has not picked
    // another: OK keeps the object's name instead of the stand-in shown.
    bool keepMissingFace_ = false;
    bool writing_ = false;
};

}  // namespace clipvane
