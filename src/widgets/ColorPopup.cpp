#include "widgets/ColorPopup.h"

#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QStyleOption>
#include <QToolTip>
#include <qdrawutil.h>

namespace clipvane {

QColor ToQColor(ColorRef color) { return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF)); }

ColorRef FromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return ColorRef(rgb.red()) | ColorRef(rgb.green()) << 8 | ColorRef(rgb.blue()) << 16;
}

namespace {

constexpr ColorRef kSpacerColor = 0xC0C0C0;

// clang-format off
NamedColor g_table[kColorEntries] = {
    {0x400080, "Light Maroon"}, {0x00008B, "Dark Red"}, {0x0000FF, "Red"}, {0x8000FF, "Deep Pink"},
    {0xFF00FF, "Magenta"}, {0xC080FF, "Pink"}, {0xFF80FF, "Light Pink"}, {0xE8D0FF, "Very Light Pink"},
    {0x008CFF, "Dark Orange"}, {0x00A5FF, "Orange"}, {0x8080FF, "Light Salmon"}, {0xA0E0FF, "Light Orange"},
    {0x00D7FF, "Gold"}, {0x00FFFF, "Yellow"}, {0x80FFFF, "Desert Yellow"}, {0xB8FFFF, "Pale Yellow"},
    {0x004000, "Dark Green"}, {0x404000, "Medium Green"}, {0x008000, "Green"}, {0x408000, "Dark Teal"},
    {0x008080, "Olive"}, {0x808000, "Teal"}, {0x808040, "Turquoise"}, {0x40FF00, "Medium Spring Green"},
    {0x00FF80, "Mint Green"}, {0x00FF00, "Lime"}, {0x80FF00, "Spring Green"}, {0x98FB98, "Pale Green"},
    {0xD4FF7F, "Aquamarine"}, {0xC0DCC0, "Very Pale Green"}, {0x400040, "Deep Purple"}, {0x800080, "Purple"},
    {0x800040, "Deep Violet"}, {0x400000, "Midnight Blue"}, {0xA00000, "Dark Blue"}, {0x800000, "Navy"},
    {0xFF0080, "Violet"}, {0xFF0000, "Blue"}, {0x804000, "Medium Blue"}, {0xFF8000, "Light Sky Blue"},
    {0xED9564, "Cornflower Blue"}, {0xC08080, "Sky Blue"}, {0xC08000, "Dark Cyan"}, {0xFF8080, "Medium Slate Blue"},
    {0xFFFF80, "Light Blue"}, {0xFFFF00, "Cyan"}, {0xE6E0B0, "Powder Blue"}, {0xFFFFE0, "Light Cyan"},
    {0x000000, "Black"}, {0x808080, "Gray"}, {0x989898, "Gray 40%"}, {0xC0C0C0, "Silver"},
    {0xD3D3D3, "Light Gray"}, {0xDCF5F5, "Beige"}, {0xF0FBFF, "Floral White"}, {0xFFFFFF, "White"},
    // System colours, set from the palette.
    {0, "Window"}, {0, "WindowText"}, {0, "InfoBk"}, {0, "InfoText"},
    {0, "ActiveCaption"}, {0, "CaptionText"}, {0, "InactiveCaption"}, {0, "InactiveCaptionText"},
    {0, "BtnFace"}, {0, "BtnText"}, {0, "BtnShadow"}, {0, "BtnHighlight"},
    {0, "Highlight"}, {0, "HighlightText"}, {0, "3DLight"}, {0, "Desktop"},
    // Separator and "Custom..." rows: placeholders, never shown as cells.
    {kSpacerColor, "1"}, {kSpacerColor, "2"}, {kSpacerColor, "3"}, {kSpacerColor, "4"},
    {kSpacerColor, "5"}, {kSpacerColor, "6"}, {kSpacerColor, "7"}, {kSpacerColor, "8"},
    {kSpacerColor, "9"}, {kSpacerColor, "10"}, {kSpacerColor, "11"}, {kSpacerColor, "12"},
    {kSpacerColor, "13"}, {kSpacerColor, "14"}, {kSpacerColor, "15"}, {kSpacerColor, "16"},
    {kUnsetColor, "Custom color 1"}, {kUnsetColor, "Custom color 2"}, {kUnsetColor, "Custom color 3"},
    {kUnsetColor, "Custom color 4"}, {kUnsetColor, "Custom color 5"}, {kUnsetColor, "Custom color 6"},
    {kUnsetColor, "Custom color 7"}, {kUnsetColor, "Custom color 8"}, {kUnsetColor, "Custom color 9"},
    {kUnsetColor, "Custom color 10"}, {kUnsetColor, "Custom color 11"}, {kUnsetColor, "Custom color 12"},
    {kUnsetColor, "Custom color 13"}, {kUnsetColor, "Custom color 14"}, {kUnsetColor, "Custom color 15"},
    {kUnsetColor, "Custom color 16"},
};
// clang-format on

NamedColor& Entry(int row, int column) { return g_table[row * kColorColumns + column]; }

const char kCustomText[] = "Custom...";

ColorPopup::DialogRunner& Runner() {
    static ColorPopup::DialogRunner runner;
    return runner;
}

bool RunQColorDialog(ColorRef start, CustomColors& custom, ColorRef& chosen) {
    const int count = std::min(QColorDialog::customCount(), kCustomColorCount);
    for (int i = 0; i < count; ++i)
        QColorDialog::setCustomColor(i, ToQColor(custom[i] == kUnsetColor ? 0xFFFFFF : custom[i]));
    QColorDialog dialog(ToQColor(start));
    if (dialog.exec() != QDialog::Accepted) return false;
    chosen = FromQColor(dialog.selectedColor());
    for (int i = 0; i < count; ++i) custom[i] = FromQColor(QColorDialog::customColor(i));
    return true;
}

}  // namespace

const NamedColor& ColorTableEntry(int row, int column) { return Entry(row, column); }

void RefreshSystemColors(const QPalette& palette) {
    // The roles Qt's own Windows palette fills from the same system colours;
    // captions and the desktop have no role and take the nearest.
    struct Source {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    static const Source sources[2 * kColorColumns] = {
        {QPalette::Active, QPalette::Base},        {QPalette::Active, QPalette::WindowText},
        {QPalette::Active, QPalette::ToolTipBase}, {QPalette::Active, QPalette::ToolTipText},
        {QPalette::Active, QPalette::Highlight},   {QPalette::Active, QPalette::HighlightedText},
        {QPalette::Disabled, QPalette::Highlight}, {QPalette::Disabled, QPalette::HighlightedText},
        {QPalette::Active, QPalette::Button},      {QPalette::Active, QPalette::ButtonText},
        {QPalette::Active, QPalette::Dark},        {QPalette::Active, QPalette::Light},
        {QPalette::Active, QPalette::Highlight},   {QPalette::Active, QPalette::HighlightedText},
        {QPalette::Active, QPalette::Midlight},    {QPalette::Active, QPalette::Shadow},
    };
    for (int i = 0; i < 2 * kColorColumns; ++i)
        g_table[7 * kColorColumns + i].color = FromQColor(palette.color(sources[i].group, sources[i].role));
}

void ColorPopup::SetDialogRunner(DialogRunner runner) { Runner() = std::move(runner); }

ColorPopup::ColorPopup(ColorRef color, CustomColors* custom, int presetRow, int presetColumn, QWidget* owner)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), custom_(custom), startColor_(color), selectedColor_(color) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    RefreshSystemColors(QApplication::palette());

    if (presetRow >= 0 && presetRow < kColorRows && presetColumn >= 0 && presetColumn < kColorColumns) {
        chosenRow_ = presetRow;
        chosenColumn_ = presetColumn;
    } else {
        for (int i = 0; i < kColorEntries; ++i) {
            const int row = i / kColorColumns;
            if (row == kSeparatorRow || row == kCustomButtonRow) continue;
            if (g_table[i].color == color) {
                chosenRow_ = row;
                chosenColumn_ = i % kColorColumns;
                break;
            }
        }
    }
    if (custom_)
        for (int i = 0; i < kCustomColorCount; ++i) g_table[kFirstCustomRow * kColorColumns + i].color = (*custom_)[i];

    // Layout: the grid, the "Custom..." row widened to its text if needed.
    const int innerWidth = std::max(kColorColumns * kCellSize, fontMetrics().horizontalAdvance(kCustomText) + 8);
    resize(innerWidth + 2 * kMargin, kColorRows * kCellSize + 2 * kMargin);
    separatorRect_ = QRect(kMargin, kMargin + kSeparatorRow * kCellSize, innerWidth, kCellSize);
    customRect_ = QRect(kMargin, kMargin + kCustomButtonRow * kCellSize, innerWidth, kCellSize);

    if (owner) {
        // Below the owner's bottom-left corner, kept on its screen.
        QPoint at = owner->mapToGlobal(QPoint(0, owner->height()));
        if (const QScreen* screen = owner->screen()) {
            const QRect area = screen->availableGeometry();
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
            if (at.y() + height() > area.bottom() + 1) at.setY(owner->mapToGlobal(QPoint(0, 0)).y() - height());
            at.setY(std::max(at.y(), area.top()));
        }
        move(at);
    }
}

QRect ColorPopup::CellRect(int row, int column) const {
    return QRect(kMargin + column * kCellSize, kMargin + row * kCellSize, kCellSize, kCellSize);
}

std::pair<int, int> ColorPopup::CellAt(QPoint position) const {
    if (customRect_.contains(position)) return {kCustomButtonRow, 0};
    if (separatorRect_.contains(position)) return {-1, -1};
    const QPoint p = position - QPoint(kMargin, kMargin);
    if (p.x() < 0 || p.y() < 0) return {-1, -1};
    const int row = p.y() / kCellSize, column = p.x() / kCellSize;
    if (row >= kColorRows || column >= kColorColumns) return {-1, -1};
    return {row, column};
}

bool ColorPopup::IsSelectable(int row, int column) const {
    if (row < 0 || column < 0 || row == kSeparatorRow) return false;
    // An unfilled custom cell holds no colour to choose.
    return row == kCustomButtonRow || Entry(row, column).color != kUnsetColor;
}

void ColorPopup::SetHot(int row, int column) {
    if (row == hotRow_ && column == hotColumn_) return;
    hotRow_ = row;
    hotColumn_ = column;
    update();
    if (row < 0) return;
    if (row == kCustomButtonRow) {
        emit hotColorChanged(startColor_);
        return;
    }
    const ColorRef color = Entry(row, column).color;
    if (color == kUnsetColor) return;
    selectedColor_ = color;
    emit hotColorChanged(color);
}

bool ColorPopup::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const auto [row, column] = CellAt(help->pos());
        if (row == kCustomButtonRow)
            QToolTip::showText(help->globalPos(), tr("Selects a custom color"), this, customRect_);
        else if (row >= 0)
            QToolTip::showText(help->globalPos(), QString::fromLatin1(Entry(row, column).name), this,
                               CellRect(row, column));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void ColorPopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    for (int row = 0; row < kColorRows; ++row) {
        if (row == kSeparatorRow || row == kCustomButtonRow) continue;
        for (int column = 0; column < kColorColumns; ++column) {
            const QRect cell = CellRect(row, column);
            const bool hot = row == hotRow_ && column == hotColumn_;
            const bool chosen = row == chosenRow_ && column == chosenColumn_;
            if (hot || chosen) {
                qDrawShadePanel(&p, cell, pal, /*sunken=*/chosen && !hot, 1);
            }
            const ColorRef color = Entry(row, column).color;
            const QRect swatch = cell.adjusted(kMargin + 1, kMargin + 1, -kMargin - 1, -kMargin - 1);
            if (color != kUnsetColor) p.fillRect(swatch, ToQColor(color));
            p.setPen(pal.color(QPalette::Dark));
            p.drawRect(swatch.adjusted(0, 0, -1, -1));
        }
    }
    // Separator: an etched band across the middle of its row.
    const int mid = separatorRect_.center().y();
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(separatorRect_.left() + 1, mid - 1, separatorRect_.right() - 1, mid - 1);
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(separatorRect_.left() + 1, mid, separatorRect_.right() - 1, mid);
    // "Custom..." row.
    if (hotRow_ == kCustomButtonRow) qDrawShadePanel(&p, customRect_, pal, false, 1);
    p.setPen(pal.color(QPalette::ButtonText));
    p.drawText(customRect_, Qt::AlignCenter, tr(kCustomText));
    qDrawShadePanel(&p, rect(), pal, false, 1);
}

void ColorPopup::mouseMoveEvent(QMouseEvent* event) {
    const auto [row, column] = CellAt(event->position().toPoint());
    SetHot(row, column);
}

void ColorPopup::mousePressEvent(QMouseEvent* event) {
    // A press outside closes the pop-up as a cancel.
    if (!rect().contains(event->position().toPoint())) Finish(false);
}

void ColorPopup::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    if (!rect().contains(pos)) {
        Finish(false);
        return;
    }
    const auto [row, column] = CellAt(pos);
    // Releases on the separator, the border or an empty custom cell leave
    // the pop-up open.
    if (!IsSelectable(row, column)) return;
    SetHot(row, column);
    EndOk();
}

void ColorPopup::keyPressEvent(QKeyEvent* event) {
    int row = hotRow_ >= 0 ? hotRow_ : chosenRow_;
    int column = hotRow_ >= 0 ? hotColumn_ : chosenColumn_;
    const bool none = row < 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: EndOk(); return;
    case Qt::Key_Escape: EndCancel(); return;
    case Qt::Key_Left:
        if (!none) column = column == 0 ? kColorColumns - 1 : column - 1;
        break;
    case Qt::Key_Right:
        if (!none) column = column == kColorColumns - 1 ? 0 : column + 1;
        break;
    case Qt::Key_Up:
        if (!none) row = row == 0 ? kColorRows - 1 : row == kCustomButtonRow ? kSeparatorRow - 1 : row - 1;
        break;
    case Qt::Key_Down:
        if (!none) row = row == kColorRows - 1 ? 0 : row == kSeparatorRow - 1 ? kCustomButtonRow : row + 1;
        break;
    default: QWidget::keyPressEvent(event); return;
    }
    if (none) row = column = 0;  // the first arrow key with no cell marked starts at the top left
    SetHot(row, column);
}

void ColorPopup::EndOk() {
    if (hotRow_ == kCustomButtonRow) {
        RunCustomDialog();
        return;
    }
    if (hotRow_ >= 0 && !IsSelectable(hotRow_, hotColumn_)) return;
    Finish(true);
}

void ColorPopup::EndCancel() { Finish(false); }

void ColorPopup::RunCustomDialog() {
    CustomColors colors;
    for (int i = 0; i < kCustomColorCount; ++i) colors[i] = g_table[kFirstCustomRow * kColorColumns + i].color;
    ColorRef chosen = startColor_;
    // The pop-up steps aside while the modal dialog runs and comes back after.
    inDialog_ = true;
    hide();
    const bool ok = Runner() ? Runner()(startColor_, colors, chosen) : RunQColorDialog(startColor_, colors, chosen);
    if (ok) {
        selectedColor_ = chosen;
        for (int i = 0; i < kCustomColorCount; ++i) g_table[kFirstCustomRow * kColorColumns + i].color = colors[i];
        CopyCustomBack();
    }
    show();
    inDialog_ = false;
    update();
}

void ColorPopup::CopyCustomBack() {
    if (!custom_) return;
    for (int i = 0; i < kCustomColorCount; ++i) (*custom_)[i] = g_table[kFirstCustomRow * kColorColumns + i].color;
}

void ColorPopup::Finish(bool ok) {
    if (ended_) return;
    ended_ = true;
    if (ok) {
        if (hotRow_ >= 0) {
            chosenRow_ = hotRow_;
            chosenColumn_ = hotColumn_;
        }
        CopyCustomBack();
    } else {
        selectedColor_ = startColor_;
    }
    emit finished(ok, selectedColor_, chosenRow_, chosenColumn_);
    close();
}

void ColorPopup::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Closed from outside (another window took over): a cancel.
    if (!inDialog_ && !ended_) Finish(false);
}

}  // namespace clipvane
