#include "editor/panels/ParamBar.h"

#include <QHBoxLayout>

namespace clipvane {

ParamBar::ParamBar(QWidget* parent, std::vector<std::string> stampFolders)
    : QWidget(parent), stampFolders_(std::move(stampFolders)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
}

void ParamBar::ShowToolPanel(EditorTool tool) {
    if (panel_ && panel_->Tool() == tool) return;
    if (panel_) {
        // The old panel may be in the middle of reporting a change (a change
        // that selects an object of another kind): it goes once that is done.
        panel_->disconnect(this);
        panel_->hide();
        layout()->removeWidget(panel_);
        panel_->deleteLater();
    }
    panel_ = new ToolPanel(tool, this, stampFolders_);
    connect(panel_, &ToolPanel::styleChanged, this, &ParamBar::styleChanged);
    layout()->addWidget(panel_);
    panel_->show();
}

void ParamBar::LoadSelected(const AnnotationObject& object) {
    ShowToolPanel(PanelToolFor(object.kind));
    panel_->SetStyle(StyleOf(object));
}

DrawingStyle ParamBar::Style() const { return panel_ ? panel_->Style() : DrawingStyle{}; }

}  // namespace clipvane
