#pragma once
// The contents of the "Param Setting" bar: one ToolPanel at a time, made for
// the current tool or for the kind of the selected object. A panel is kept
// while its tool stays; a panel for another tool starts from that tool's
// defaults.
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "editor/panels/ToolPanel.h"

namespace clipvane {

class ParamBar : public QWidget {
    Q_OBJECT
public:
    // `stampFolders` are passed to every Stamp panel (empty: the stamp
    // library's own folders).
    explicit ParamBar(QWidget* parent = nullptr, std::vector<std::string> stampFolders = {});

    // Shows the panel of `tool` with DefaultStyle(tool); nothing when that
    // tool's panel is shown already.
    void ShowToolPanel(EditorTool tool);
    // Shows the panel of the object's kind holding the object's values.
    void LoadSelected(const AnnotationObject& object);

    // The panel shown (null before the first ShowToolPanel).
    ToolPanel* Panel() const { return panel_; }
    // The shown panel's values (the plain defaults without a panel).
    DrawingStyle Style() const;

signals:
    // The user changed a value in the shown panel.
    void styleChanged(const DrawingStyle& style);

private:
    std::vector<std::string> stampFolders_;
    QPointer<ToolPanel> panel_;
};

}  // namespace clipvane
