#pragma once
// One tool's panel in the "Param Setting" bar: the controls of that tool laid
// out in a row (width, line style, colours, box, arrow and border styles, the
// stamp list, "Opacity:" and "Shadow"), or the "no parameter" group for the
// tools without values. The panel keeps a whole DrawingStyle; its controls
// show and change the fields of its tool, the other fields pass through.
#include <QWidget>
#include <string>
#include <vector>

#include "editor/tools/DrawingStyle.h"
#include "editor/tools/StampLibrary.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QSlider;

namespace clipvane {

class ColorButton;

class ToolPanel : public QWidget {
    Q_OBJECT
public:
    // A panel for `tool` showing DefaultStyle(tool). The Stamp panel reads
    // the stamp list from `stampFolders` (StampLibrary's folders when
    // empty) and starts on the first stamp, or with no stamp when the list
    // is empty.
    explicit ToolPanel(EditorTool tool, QWidget* parent = nullptr, const std::vector<std::string>& stampFolders = {});

    EditorTool Tool() const { return tool_; }
    const DrawingStyle& Style() const { return style_; }
    // Shows `style` without reporting a change.
    void SetStyle(const DrawingStyle& style);

    // The controls; null where the tool's layout has none.
    QComboBox* WidthList() const { return width_; }
    QComboBox* LineStyleList() const { return lineStyle_; }
    QComboBox* BoxStyleList() const { return boxStyle_; }
    QComboBox* ArrowStyleList() const { return arrowStyle_; }
    QComboBox* BorderList() const { return border_; }
    // Line, Arrow and Highlight colour.
    ColorButton* ColorPicker() const { return color_; }
    ColorButton* BackColorPicker() const { return backColor_; }
    ColorButton* BorderColorPicker() const { return borderColor_; }
    ColorButton* FillColorPicker() const { return fillColor_; }
    QSlider* OpacitySlider() const { return opacity_; }
    QCheckBox* ShadowCheck() const { return shadow_; }
    QListWidget* StampList() const { return stamps_; }
    const StampLibrary& Stamps() const { return library_; }

signals:
    // The user changed a value; `style` is the panel's whole new style.
    void styleChanged(const DrawingStyle& style);

private:
    QComboBox* AddList(const char* label, const char* objectName, const QStringList& items, int DrawingStyle::*field);
    ColorButton* AddColor(const char* label, const char* objectName, ColorRef DrawingStyle::*field);
    // `text` is marked with QT_TR_NOOP and translated here; null adds nothing.
    void AddLabel(const char* text);
    void AddOpacityAndShadow();
    void AddStampList(const std::vector<std::string>& folders);
    void StampSelectionChanged();
    void ShowValues();
    void Changed();

    EditorTool tool_;
    DrawingStyle style_;
    StampLibrary library_;
    bool showing_ = false;  // controls are being set from style_, not by the user
    QComboBox* width_ = nullptr;
    QComboBox* lineStyle_ = nullptr;
    QComboBox* boxStyle_ = nullptr;
    QComboBox* arrowStyle_ = nullptr;
    QComboBox* border_ = nullptr;
    ColorButton* color_ = nullptr;
    ColorButton* backColor_ = nullptr;
    ColorButton* borderColor_ = nullptr;
    ColorButton* fillColor_ = nullptr;
    QSlider* opacity_ = nullptr;
    QCheckBox* shadow_ = nullptr;
    QListWidget* stamps_ = nullptr;
};

}  // namespace clipvane
