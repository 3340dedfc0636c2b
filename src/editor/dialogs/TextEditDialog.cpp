#include "editor/dialogs/TextEditDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "widgets/ColorButton.h"
#include "widgets/FontPreviewCombo.h"

namespace clipvane {

namespace {

const char* const kSizes[] = {"8", "9", "10", "11", "12", "14", "16", "18", "20", "24", "28", "36", "48", "72"};

}  // namespace

TextEditDialog::TextEditDialog(TextObject& object, QWidget* parent) : QDialog(parent), object_(object) {
    setWindowTitle(tr("Edit Text"));

    fontList_ = new FontPreviewCombo(this);
    fontList_->SetStyle(FontPreviewCombo::kNameInFont, true);
    colorButton_ = new ColorButton(this);
    sizeEdit_ = new QLineEdit(this);
    sizeEdit_->setMaximumWidth(60);
    sizeList_ = new QComboBox(this);
    for (const char* s : kSizes) sizeList_->addItem(QString::fromLatin1(s));
    boldCheck_ = new QCheckBox(tr("Bold"), this);
    italicCheck_ = new QCheckBox(tr("Italic"), this);
    underlineCheck_ = new QCheckBox(tr("Underline"), this);
    alignRadios_[0] = new QRadioButton(tr("Left"), this);
    alignRadios_[1] = new QRadioButton(tr("Middle"), this);
    alignRadios_[2] = new QRadioButton(tr("Right"), this);
    auto* alignGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) alignGroup->addButton(alignRadios_[i], i);
    textEdit_ = new QPlainTextEdit(this);
    textEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    textEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    textEdit_->installEventFilter(this);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TextEditDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TextEditDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Font:"), this), 0, 0);
    grid->addWidget(fontList_, 0, 1, 1, 3);
    grid->addWidget(new QLabel(tr("Color:"), this), 0, 4);
    grid->addWidget(colorButton_, 0, 5);
    grid->addWidget(new QLabel(tr("Size:"), this), 1, 0);
    grid->addWidget(sizeEdit_, 1, 1);
    grid->addWidget(sizeList_, 1, 2);
    auto* styles = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(boldCheck_), static_cast<QWidget*>(italicCheck_),
                       static_cast<QWidget*>(underlineCheck_)})
        styles->addWidget(w);
    styles->addSpacing(12);
    for (QRadioButton* r : alignRadios_) styles->addWidget(r);
    styles->addStretch();
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(styles);
    main->addWidget(textEdit_, 1);
    main->addWidget(buttons);
    resize(520, 300);
    // Names for tests and automation.
    fontList_->setObjectName(QStringLiteral("fontList"));
    colorButton_->setObjectName(QStringLiteral("colorButton"));
    sizeEdit_->setObjectName(QStringLiteral("sizeEdit"));
    sizeList_->setObjectName(QStringLiteral("sizeList"));
    textEdit_->setObjectName(QStringLiteral("textEdit"));

    // Prepare from the object.
    text = QString::fromStdU16String(object.text);
    faceName = QString::fromStdU16String(object.fontName);
    size = object.fontSize;
    alignment = std::clamp(int(object.alignment), 0, 2);
    bold = object.bold ? 1 : 0;
    italic = object.italic ? 1 : 0;
    underline = object.underline ? 1 : 0;
    colorButton_->SetColor(object.textColor);
    const int listIndex = sizeList_->findText(QString::number(size));
    sizeList_->setCurrentIndex(listIndex);
    Write();

    connect(sizeList_, &QComboBox::currentIndexChanged, this, &TextEditDialog::SizeChosen);
    connect(fontList_, &QComboBox::currentIndexChanged, this, [this] {
        if (!writing_) keepMissingFace_ = false;
    });
}

QRadioButton* TextEditDialog::AlignmentRadio(int index) const {
    return index >= 0 && index < 3 ? alignRadios_[index] : nullptr;
}

void TextEditDialog::Write() {
    writing_ = true;
    textEdit_->setPlainText(text);
    alignRadios_[alignment]->setChecked(true);
    boldCheck_->setChecked(bold);
    italicCheck_->setChecked(italic);
    underlineCheck_->setChecked(underline);
    if (!fontList_->SelectFaceName(faceName) && !faceName.isEmpty()) {
        // Not installed: show the family the font system draws it with, and
        // keep the object's own name unless the user picks another.
        keepMissingFace_ = true;
        const QString substitute = QFontInfo(QFont(faceName)).family();
        const int index = fontList_->findText(substitute, Qt::MatchFixedString);
        if (index >= 0) fontList_->setCurrentIndex(index);
    }
    sizeEdit_->setText(QString::number(size));
    writing_ = false;
}

void TextEditDialog::Read() {
    text = textEdit_->toPlainText();
    for (int i = 0; i < 3; ++i)
        if (alignRadios_[i]->isChecked()) alignment = i;
    bold = boldCheck_->isChecked() ? 1 : 0;
    italic = italicCheck_->isChecked() ? 1 : 0;
    underline = underlineCheck_->isChecked() ? 1 : 0;
    if (!keepMissingFace_) faceName = fontList_->SelectedFaceName();
    // Anything but a sensible whole number keeps the previous size.
    bool ok = false;
    const int typed = sizeEdit_->text().trimmed().toInt(&ok);
    if (ok && typed > 0 && typed <= kMaxSize) size = typed;
}

void TextEditDialog::SizeChosen(int index) {
    if (writing_ || index < 0) return;
    Read();
    size = sizeList_->itemText(index).toInt();
    sizeEdit_->setText(QString::number(size));
}

void TextEditDialog::accept() {
    Read();
    object_.textColor = colorButton_->Color();
    object_.fontName = faceName.toStdU16String();
    object_.bold = bold;
    object_.italic = italic;
    object_.underline = underline;
    object_.text = text.toStdU16String();
    object_.fontSize = size;
    object_.alignment = alignment;
    QDialog::accept();
}

void TextEditDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The dialog opens to type the text: the text field has the focus, also
    // once the window manager has activated the window.
    textEdit_->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, textEdit_, [edit = textEdit_] { edit->setFocus(Qt::ActiveWindowFocusReason); });
}

bool TextEditDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == textEdit_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ControlModifier)
                textEdit_->insertPlainText(QStringLiteral("\n"));
            else
                accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace clipvane
