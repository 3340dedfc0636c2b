#pragma once
// A drop-down list of the installed font families, sorted by name, each entry
// previewed in its own font. Fonts are made only for the entries actually
// drawn, so filling the list costs no more than listing the family names.
#include <QComboBox>
#include <QString>

namespace clipvane {

class FontPreviewCombo : public QComboBox {
    Q_OBJECT
public:
    // How an entry is drawn.
    enum Style {
        kNameInFont = 0,      // the family name in its own font
        kNameOnly = 1,        // the family name in the list's font
        kNameThenSample = 2,  // the name, then a sample in the family's font
        kSampleThenName = 3,  // a sample in the family's font, then the name
        kSampleOnly = 4,      // the sample in the family's font
    };

    explicit FontPreviewCombo(QWidget* parent = nullptr);

    Style PreviewStyle() const { return style_; }
    // Changes the drawing style; `refill` fills the list again. Nothing
    // happens when the style is unchanged.
    void SetStyle(Style style, bool refill);
    // Empties the list and fills it with the installed families, entry 0
    // selected.
    void Refill();

    // The selected family, empty when nothing is selected.
    QString SelectedFaceName() const;
    // Selects the first entry that begins with `name` (any letter case), or
    // entry 0 when none does. Returns whether an entry matched.
    bool SelectFaceName(const QString& name);

    QString SampleText() const { return sampleText_; }
    // Pixel height of the preview fonts; an entry is 4 pixels taller.
    int PreviewHeight() const { return previewHeight_; }

private:
    Style style_ = kNameThenSample;
    QString sampleText_ = QStringLiteral("abcdeABCDE");
    int previewHeight_ = 16;
};

}  // namespace clipvane
