#pragma once
// The drop-down of ColorButton: a frameless pop-up grid of 72 named colours and
// 16 system colours (8 columns), a separator row, a "Custom..." row that opens
// the colour dialog, and two rows of custom colours. It ends on a button
// release (inside: choose, outside: cancel), Enter or Escape, reports through
// `finished` and deletes itself.
//
// Colours are 0x00BBGGRR values, the way annotation objects store them.
#include <QColor>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QPalette;

namespace clipvane {

using ColorRef = uint32_t;

// 0x00BBGGRR to an opaque QColor and back (alpha dropped).
QColor ToQColor(ColorRef color);
ColorRef FromQColor(const QColor& color);

// A custom-colour cell that was never filled.
inline constexpr ColorRef kUnsetColor = 0xFFFFFFFF;

struct NamedColor {
    ColorRef color;
    const char* name;
};

// The colour table: 13 rows of 8 entries. Rows 7 and 8 hold system colours
// (taken from the palette by RefreshSystemColors), rows 9 and 10 are the
// separator and the "Custom..." row, rows 11 and 12 the custom colours. The
// table is shared by every pop-up of the process.
inline constexpr int kColorColumns = 8;
inline constexpr int kColorRows = 13;
inline constexpr int kColorEntries = kColorColumns * kColorRows;
inline constexpr int kSeparatorRow = 9;
inline constexpr int kCustomButtonRow = 10;
inline constexpr int kFirstCustomRow = 11;
inline constexpr int kCustomColorCount = 16;

const NamedColor& ColorTableEntry(int row, int column);
// Sets the system-colour entries from the palette's roles.
void RefreshSystemColors(const QPalette& palette);

using CustomColors = std::array<ColorRef, kCustomColorCount>;

class ColorPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellSize = 18;
    static constexpr int kMargin = 2;

    // Opens at `topLeft` (global) with `color` as the start colour. `custom`
    // (may be null) is copied into the custom rows and receives them back
    // when a colour is chosen or the colour dialog is confirmed. Without a
    // preset cell (-1) the chosen cell is the first entry equal to `color`.
    ColorPopup(ColorRef color, CustomColors* custom, int presetRow, int presetColumn, QWidget* owner);

    int HotRow() const { return hotRow_; }
    int HotColumn() const { return hotColumn_; }
    int ChosenRow() const { return chosenRow_; }
    int ChosenColumn() const { return chosenColumn_; }
    ColorRef StartColor() const { return startColor_; }
    ColorRef SelectedColor() const { return selectedColor_; }

    // Widget-relative rectangle of a colour cell, of the "Custom..." row and
    // of the separator.
    QRect CellRect(int row, int column) const;
    QRect CustomRect() const { return customRect_; }
    QRect SeparatorRect() const { return separatorRect_; }
    // The cell at a widget position: {row, column}, or {-1, -1} outside the
    // grid and on the separator.
    std::pair<int, int> CellAt(QPoint position) const;

    // Ends as a click on the hot cell (or Enter) does, or as Escape does.
    void EndOk();
    void EndCancel();

    // Runs the colour dialog: start colour, the 16 custom colours (updated
    // in place when confirmed), the chosen colour. Returns false when the
    // user cancels. Tests replace it; null restores QColorDialog.
    using DialogRunner = std::function<bool(ColorRef start, CustomColors& custom, ColorRef& chosen)>;
    static void SetDialogRunner(DialogRunner runner);

signals:
    // The cell under the pointer or keyboard changed: its colour, or the
    // start colour for the "Custom..." row.
    void hotColorChanged(ColorRef color);
    // The pop-up ended: chosen (true) or cancelled, the selected colour and
    // the chosen cell.
    void finished(bool ok, ColorRef color, int row, int column);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetHot(int row, int column);
    void Finish(bool ok);
    void RunCustomDialog();
    void CopyCustomBack();
    bool IsSelectable(int row, int column) const;

    CustomColors* custom_;
    int hotRow_ = -1, hotColumn_ = -1;
    int chosenRow_ = -1, chosenColumn_ = -1;
    ColorRef startColor_;
    ColorRef selectedColor_;
    QRect customRect_, separatorRect_;
    bool ended_ = false;
    bool inDialog_ = false;
};

}  // namespace clipvane
