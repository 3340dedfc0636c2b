#include "capture/HotkeyDialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "capture/CaptureModes.h"
#include "capture/HotkeyManager.h"
#include "settings/ProfileFile.h"

namespace clipvane {

namespace {

int (*g_inputRunner)(HotkeyDialog&) = nullptr;

struct KeyPair {
    int vk;
    int qt;
};

constexpr KeyPair kNamedKeys[] = {
    {0x08, Qt::Key_Backspace},  {0x09, Qt::Key_Tab},         {0x0D, Qt::Key_Return},    {0x13, Qt::Key_Pause},
    {0x1B, Qt::Key_Escape},     {0x20, Qt::Key_Space},       {0x21, Qt::Key_PageUp},    {0x22, Qt::Key_PageDown},
    {0x23, Qt::Key_End},        {0x24, Qt::Key_Home},        {0x25, Qt::Key_Left},      {0x26, Qt::Key_Up},
    {0x27, Qt::Key_Right},      {0x28, Qt::Key_Down},        {0x2C, Qt::Key_Print},     {0x2D, Qt::Key_Insert},
    {0x2E, Qt::Key_Delete},     {0x91, Qt::Key_ScrollLock},  {0xBA, Qt::Key_Semicolon}, {0xBB, Qt::Key_Equal},
    {0xBC, Qt::Key_Comma},      {0xBD, Qt::Key_Minus},       {0xBE, Qt::Key_Period},    {0xBF, Qt::Key_Slash},
    {0xC0, Qt::Key_QuoteLeft},  {0xDB, Qt::Key_BracketLeft}, {0xDC, Qt::Key_Backslash}, {0xDD, Qt::Key_BracketRight},
    {0xDE, Qt::Key_Apostrophe},
};

// Sub-dialog captions, in mode order.
const char* const kCaptions[kCaptureModeCount] = {QT_TRANSLATE_NOOP("HotkeyListDialog", "Capture full screen"),
                                                  QT_TRANSLATE_NOOP("HotkeyListDialog", "Capture Windows"),
                                                  QT_TRANSLATE_NOOP("HotkeyListDialog", "Capture Active Window"),
                                                  QT_TRANSLATE_NOOP("HotkeyListDialog", "Capture Region"),
                                                  QT_TRANSLATE_NOOP("HotkeyListDialog", "Capture scrolling window"),
                                                  QT_TRANSLATE_NOOP("HotkeyListDialog", "Capture fix-size rectangle")};
const char* const kButtonIds[kCaptureModeCount] = {"ctl1025", "ctl1027", "ctl1028", "ctl1029", "ctl1031", "ctl1032"};

}  // namespace

void SetHotkeyInputForTesting(int (*run)(HotkeyDialog&)) { g_inputRunner = run; }

QString CaptureCommand(const QString& program, CaptureMode mode) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+@%=:,-]+$"));
    QString quoted = program;
    if (!plain.match(program).hasMatch()) {
        quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
        quoted = QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }
    return quoted + QStringLiteral(" --capture ") + QLatin1String(CaptureModeName(mode));
}

QString ProgramForCommands() {
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString found = QStandardPaths::findExecutable(QStringLiteral("clipvane"));
    if (!found.isEmpty() && QFileInfo(found).canonicalFilePath() == self) return QStringLiteral("clipvane");
    return self.isEmpty() ? QStringLiteral("clipvane") : self;
}

int VirtualKeyFromQtKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same codes as the virtual keys
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
    if (key == Qt::Key_Enter) return 0x0D;
    for (const KeyPair& k : kNamedKeys) {
        if (k.qt == key) return k.vk;
    }
    return 0;
}

int QtKeyFromVirtualKey(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);
    for (const KeyPair& k : kNamedKeys) {
        if (k.vk == vk) return k.qt;
    }
    return 0;
}

QKeySequence SequenceFromHotkey(const HotkeyDef& hotkey) {
    const int key = QtKeyFromVirtualKey(hotkey.key);
    if (!key) return {};
    int mods = 0;
    if (hotkey.mask & 1) mods |= Qt::AltModifier;
    if (hotkey.mask & 2) mods |= Qt::ControlModifier;
    if (hotkey.mask & 4) mods |= Qt::ShiftModifier;
    return QKeySequence(QKeyCombination(Qt::KeyboardModifiers(mods), Qt::Key(key)));
}

HotkeyDef HotkeyFromSequence(const QKeySequence& sequence) {
    if (sequence.isEmpty()) return {};
    const QKeyCombination combo = sequence[0];
    HotkeyDef h;
    h.key = VirtualKeyFromQtKey(combo.key());
    const Qt::KeyboardModifiers m = combo.keyboardModifiers();
    if (m & Qt::AltModifier) h.mask |= 1;
    if (m & Qt::ControlModifier) h.mask |= 2;
    if (m & Qt::ShiftModifier) h.mask |= 4;
    return h;
}

HotkeyDialog::HotkeyDialog(HotkeyDef& hotkey, const QString& caption, QWidget* parent)
    : QDialog(parent), hotkey_(hotkey) {
    setWindowTitle(tr("Set hot key"));
    auto* prompt = new QLabel(tr("Please press the combination that will set"), this);
    caption_ = new QLabel(caption + tr(" hot key!"), this);
    caption_->setObjectName(QStringLiteral("ctl1027"));
    edit_ = new QKeySequenceEdit(SequenceFromHotkey(hotkey), this);
    edit_->setObjectName(QStringLiteral("ctl1028"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &HotkeyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &HotkeyDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(caption_);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
}

void HotkeyDialog::accept() {
    hotkey_ = HotkeyFromSequence(edit_->keySequence());
    QDialog::accept();
}

HotkeyListDialog::HotkeyListDialog(ProfileFile& file, bool enabled, QWidget* parent) : QDialog(parent), file_(file) {
    setWindowTitle(tr("Define hot key"));
    CaptureSettings fromFile;
    fromFile.Load(file_);
    hotkeys_ = fromFile.hotkeys;

    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    for (int m = 0; m < kCaptureModeCount; ++m) {
        grid->addWidget(new QLabel(HotkeyModeLabel(CaptureMode(m)), group), m, 0);
        auto* button = new QPushButton(group);
        button->setObjectName(QLatin1String(kButtonIds[m]));
        button->setAutoDefault(false);
        buttons_[size_t(m)] = button;
        grid->addWidget(button, m, 1);
        connect(button, &QPushButton::clicked, this, [this, m] { Edit(CaptureMode(m)); });
    }
    enable_ = new QCheckBox(tr("Enable Hot Key"), this);
    enable_->setObjectName(QStringLiteral("ctl1004"));
    enable_->setChecked(enabled);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* defaults = buttons->addButton(tr("Default"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("default"));
    connect(defaults, &QPushButton::clicked, this, &HotkeyListDialog::SetDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &HotkeyListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &HotkeyListDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(enable_);
    layout->addWidget(buttons);
    RefreshTexts();
}

bool HotkeyListDialog::HotkeysEnabled() const { return enable_->isChecked(); }

void HotkeyListDialog::ShowDesktopCommands(const QString& program) {
    if (commands_[0]) return;
    auto* group = new QGroupBox(tr("Shortcuts on this desktop"), this);
    group->setObjectName(QStringLiteral("desktopCommands"));
    auto* grid = new QGridLayout(group);
    auto* note = new QLabel(tr("This desktop does not let programs set up global hotkeys, so the combinations "
                               "below do not work here. Add shortcuts in the desktop's own keyboard settings "
                               "that run these commands:"),
                            group);
    note->setWordWrap(true);
    grid->addWidget(note, 0, 0, 1, 3);
    for (int m = 0; m < kCaptureModeCount; ++m) {
        const QString command = CaptureCommand(program, CaptureMode(m));
        grid->addWidget(new QLabel(HotkeyModeLabel(CaptureMode(m)), group), m + 1, 0);
        auto* line = new QLineEdit(command, group);
        line->setReadOnly(true);
        line->setObjectName(QStringLiteral("command-") + QLatin1String(CaptureModeName(CaptureMode(m))));
        line->setMinimumWidth(line->fontMetrics().horizontalAdvance(command) + 16);
        commands_[size_t(m)] = line;
        grid->addWidget(line, m + 1, 1);
        auto* copy = new QPushButton(tr("Copy"), group);
        copy->setObjectName(QStringLiteral("copy-") + QLatin1String(CaptureModeName(CaptureMode(m))));
        copy->setAutoDefault(false);
        copy->setToolTip(tr("Copy the command to the clipboard"));
        copyButtons_[size_t(m)] = copy;
        grid->addWidget(copy, m + 1, 2);
        connect(copy, &QPushButton::clicked, this, [command] { QGuiApplication::clipboard()->setText(command); });
    }
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, group);
}

void HotkeyListDialog::RefreshTexts() {
    for (int m = 0; m < kCaptureModeCount; ++m) {
        // The key's character is one byte, a Latin-1 code (0xBA shows as the ordinal sign).
        const std::string text = HotkeyText(hotkeys_[size_t(m)]);
        buttons_[size_t(m)]->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
    }
}

void HotkeyListDialog::SetDefaults() {
    for (int m = 0; m < kCaptureModeCount; ++m) hotkeys_[size_t(m)] = DefaultHotkey(CaptureMode(m));
    RefreshTexts();
}

void HotkeyListDialog::Edit(CaptureMode mode) {
    HotkeyDialog input(hotkeys_[size_t(mode)], tr(kCaptions[int(mode)]), this);
    if (g_inputRunner) {
        g_inputRunner(input);
    } else {
        input.exec();
    }
    RefreshTexts();
}

void HotkeyListDialog::accept() {
    CaptureSettings s;
    s.hotkeys = hotkeys_;
    s.SaveHotkeys(file_);
    QDialog::accept();
}

}  // namespace clipvane
