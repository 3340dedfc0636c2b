#pragma once
// The colour button of the tool panels and the text dialog: a push button
// showing the current colour in a swatch beside a drop-down arrow. A click
// opens a ColorPopup below it; what happens there is reported by signals.
// Colours are 0x00BBGGRR values (ToQColor / FromQColor convert).
#include <QPointer>
#include <QPushButton>

#include "widgets/ColorPopup.h"

namespace clipvane {

class ColorButton : public QPushButton {
    Q_OBJECT
public:
    // Drawn as the default colour instead of a real one.
    static constexpr ColorRef kDefaultColorMarker = 0xFF000000;
    // What a disabled button shows.
    static constexpr ColorRef kDisabledColor = 0xC0C0C0;

    explicit ColorButton(QWidget* parent = nullptr);

    ColorRef Color() const { return color_; }
    void SetColor(ColorRef color);
    // The colour the swatch shows now (grey while disabled, the default
    // colour for the marker).
    ColorRef DisplayedColor() const;

    ColorRef DefaultColor() const { return defaultColor_; }
    void SetDefaultColor(ColorRef color);
    // When set, the swatch follows the cell under the pointer while the
    // pop-up is open.
    bool TrackSelection() const { return trackSelection_; }
    void SetTrackSelection(bool track) { trackSelection_ = track; }
    bool PushedLook() const { return pushedLook_; }
    void SetPushedLook(bool pushed);

    // This button's custom colours, offered in its pop-up (white at first).
    const CustomColors& Custom() const { return custom_; }
    void SetCustom(const CustomColors& colors) { custom_ = colors; }
    // Cell of the last colour chosen in the pop-up, -1 before any.
    int LastRow() const { return lastRow_; }
    int LastColumn() const { return lastColumn_; }

    // Opens the pop-up as a click does; the open pop-up (null when none).
    void ShowPopup();
    ColorPopup* Popup() const { return popup_; }

    QSize sizeHint() const override;

signals:
    // The colour was changed by a choice in the pop-up.
    void colorChanged(ColorRef color);
    // The pop-up opened, with the current colour.
    void dropDown(ColorRef color);
    // The pop-up closed either way (sent before the two below).
    void closeUp(ColorRef color);
    void selectionEndOk(ColorRef color);
    void selectionEndCancel(ColorRef color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PopupHot(ColorRef color);
    void PopupFinished(bool ok, ColorRef color, int row, int column);

    int lastRow_ = -1;
    int lastColumn_ = -1;
    bool trackSelection_ = false;
    ColorRef color_ = 0xFFFFFF;
    ColorRef savedColor_;  // what tracking falls back to
    CustomColors custom_;
    ColorRef defaultColor_;
    bool pushedLook_ = false;
    QPointer<ColorPopup> popup_;
};

}  // namespace clipvane
