#pragma once
// A ToolHost without a view: fixed metrics set by the test, and a record of
// what the tools asked of it.
#include <functional>
#include <vector>

#include "annotation/ObjectGeometry.h"
#include "editor/tools/DrawingStyle.h"
#include "image/PixelImage.h"
#include "editor/tools/ToolHost.h"

namespace clipvane::test {

struct FakeToolHost : clipvane::ToolHost {
    FakeToolHost() {
        metrics.imageWidth = 200;
        metrics.imageHeight = 150;
    }

    clipvane::ImageDocument* Document() override { return document; }
    clipvane::ObjectSelection& Selection() override { return selection; }
    clipvane::ViewMetrics Metrics() const override { return metrics; }
    void ScrollTo(int x, int y) override {
        metrics.scrollX = x;
        metrics.scrollY = y;
        ++scrolls;
    }
    void ZoomIn() override { ++zoomIns; }
    void ZoomOut() override { ++zoomOuts; }
    void ShowCursor(clipvane::ViewCursor cursor) override { cursors.push_back(cursor); }
    void Redraw() override { ++redraws; }
    void ToolChanged(clipvane::EditorTool tool) override { toolChanges.push_back(tool); }
    const clipvane::DrawingStyle& Style() const override { return style; }
    clipvane::PixelImage StampImage(int index) override {
        stampRequests.push_back(index);
        return index > 0 ? stamp : clipvane::PixelImage();
    }
    bool EditText(clipvane::TextObject& object) override {
        ++textEdits;
        if (textDialogResult) object.text = textEntered;
        return textDialogResult;
    }
    void RequestTool(clipvane::EditorTool tool) override {
        toolRequests.push_back(tool);
        if (onRequestTool) onRequestTool(tool);
    }
    void SelectionChanged() override { ++selectionChanges; }

    clipvane::ViewCursor LastCursor() const { return cursors.empty() ? clipvane::ViewCursor::Arrow : cursors.back(); }

    clipvane::ImageDocument* document = nullptr;
    clipvane::ObjectSelection selection;
    clipvane::ViewMetrics metrics;
    std::vector<clipvane::ViewCursor> cursors;
    std::vector<clipvane::EditorTool> toolChanges;
    int scrolls = 0;
    int zoomIns = 0;
    int zoomOuts = 0;
    int redraws = 0;
    clipvane::DrawingStyle style;
    clipvane::PixelImage stamp;  // what StampImage returns for any index above 0
    std::vector<int> stampRequests;
    bool textDialogResult = true;           // what EditText answers: OK or Cancel
    std::u16string textEntered = u"typed";  // what an OK puts into the object
    int textEdits = 0;
    std::vector<clipvane::EditorTool> toolRequests;
    // Called on each tool request, e.g. to switch a controller as the view does.
    std::function<void(clipvane::EditorTool)> onRequestTool;
    int selectionChanges = 0;
};

}  // namespace clipvane::test
