// Objects described in JSON without members take the editor's values: the
// same as a new object given its tool panel's defaults.
#include <gtest/gtest.h>

#include "annotation/ObjectsJson.h"
#include "editor/tools/DrawingStyle.h"

namespace clipvane {
namespace {

TEST(ObjectDefaults, JsonDefaultsAreTheToolPanelsDefaults) {
    for (ObjectKind kind : {kObjectLine, kObjectArrow, kObjectText, kObjectShape, kObjectHighlight, kObjectStamp}) {
        ObjectList editor, json;
        editor.push_back(CreateObject(kind));
        ApplyStyle(DefaultStyle(PanelToolFor(kind)), *editor.back());
        json.push_back(NewEditorObject(kind));
        EXPECT_EQ(WriteObjectsJson(json), WriteObjectsJson(editor)) << ObjectKindName(kind);
        EXPECT_EQ(StyleOf(*json.back()), StyleOf(*editor.back())) << ObjectKindName(kind);
    }
}

}  // namespace
}  // namespace clipvane
