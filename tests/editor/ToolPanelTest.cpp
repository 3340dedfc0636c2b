// The tool panels: each layout with its labels, lists and defaults, which
// changes are reported (user changes once each, shown values never), and the
// stamp list's choice.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "editor/panels/ToolPanel.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "widgets/ColorButton.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace clipvane {
namespace {

QStringList Labels(const ToolPanel& panel) {
    QStringList texts;
    for (QLabel* label : panel.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

// Records every styleChanged of a panel.
struct Changes {
    explicit Changes(ToolPanel& panel) {
        QObject::connect(&panel, &ToolPanel::styleChanged, [this](const DrawingStyle& s) { seen.push_back(s); });
    }
    std::vector<DrawingStyle> seen;
};

void ClickAt(QListWidget* list, QPoint at) {
    QWidget* viewport = list->viewport();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

TEST(ToolPanelLayout, EachToolShowsItsControlsAndDefaults) {
    ToolPanel line(EditorTool::Line);
    EXPECT_EQ(Labels(line), QStringList({"Width:", "Line style:", "Opacity:"}));
    EXPECT_EQ(Items(line.WidthList()), QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(line.WidthList()->currentText(), QStringLiteral("2"));
    EXPECT_EQ(Items(line.LineStyleList()), QStringList({"Solid", "Dot"}));
    EXPECT_EQ(line.LineStyleList()->currentText(), QStringLiteral("Solid"));
    EXPECT_EQ(line.ColorPicker()->Color(), 0u);
    EXPECT_EQ(line.OpacitySlider()->maximum(), 100);
    EXPECT_EQ(line.OpacitySlider()->value(), 0);
    EXPECT_TRUE(line.ShadowCheck()->isChecked());

    ToolPanel text(EditorTool::Text);
    EXPECT_EQ(Labels(text), QStringList({"Box style:", "Back color:", "Opacity:"}));
    EXPECT_EQ(Items(text.BoxStyleList()), QStringList({"Solid", "Transparent"}));
    EXPECT_EQ(text.BackColorPicker()->Color(), 0xFFFFFFu);

    ToolPanel arrow(EditorTool::Arrow);
    EXPECT_EQ(Labels(arrow), QStringList({"Style:", "Color:", "Opacity:"}));
    EXPECT_EQ(Items(arrow.ArrowStyleList()), QStringList({"Fill Arrow", "Empty Arrow"}));

    ToolPanel shape(EditorTool::Shape);
    EXPECT_EQ(Labels(shape), QStringList({"Width:", "Border:", "Back:", "Opacity:"}));
    EXPECT_EQ(Items(shape.BorderList()), QStringList({"Rectangle", "Ellipse", "Rectangle(Fill)", "Ellipse(Fill)"}));
    EXPECT_EQ(shape.FillColorPicker()->Color(), MakeColorRef(0, 128, 128));
    EXPECT_FALSE(shape.ShadowCheck()->isChecked());

    ToolPanel highlight(EditorTool::Highlight);
    EXPECT_EQ(Labels(highlight), QStringList({"Color:", "Opacity:"}));
    EXPECT_EQ(highlight.OpacitySlider()->value(), 50);
    EXPECT_EQ(highlight.ColorPicker()->Color(), MakeColorRef(0, 0, 128));

    for (EditorTool tool : {EditorTool::Select, EditorTool::Move, EditorTool::Crop, EditorTool::Zoom}) {
        ToolPanel none(tool);
        auto* group = none.findChild<QGroupBox*>();
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), QStringLiteral("no parameter"));
        EXPECT_EQ(none.OpacitySlider(), nullptr);
    }
}

TEST(ToolPanelChanges, EveryUserChangeReportsOnceAndShownValuesNever) {
    ToolPanel shape(EditorTool::Shape);
    Changes changes(shape);

    DrawingStyle loaded = DefaultStyle(EditorTool::Shape);
    loaded.width = 7;
    loaded.borderStyle = 1;
    loaded.borderColor = 0x123456;
    loaded.fillColor = 0x654321;
    loaded.transparency = 40;
    loaded.shadow = true;
    shape.SetStyle(loaded);
    EXPECT_TRUE(changes.seen.empty());
    EXPECT_EQ(shape.OpacitySlider()->value(), 40);

    DrawingStyle expected = loaded;
    const auto expectOne = [&](const char* what) {
        ASSERT_EQ(changes.seen.size(), 1u) << what;
        EXPECT_EQ(changes.seen.front(), expected) << what;
        EXPECT_EQ(shape.Style(), expected) << what;
        changes.seen.clear();
    };
    shape.OpacitySlider()->setValue(75);
    expected.transparency = 75;
    expectOne("slider");
    shape.BorderList()->setCurrentIndex(3);
    expected.borderStyle = 3;
    expectOne("border");
    shape.ShadowCheck()->click();
    expected.shadow = false;
    expectOne("shadow");
    emit shape.FillColorPicker()->colorChanged(0xFF0000);  // as a choice in its pop-up reports it
    expected.fillColor = 0xFF0000;
    expectOne("fill colour");
}

struct StampPanelFixture : ::testing::Test {
    StampPanelFixture() {
        InstallHandlerFactory(new StandardHandlerFactory);
        folder = dir.filePath("stamps").toStdString();
        QDir().mkpath(QString::fromStdString(folder));
        for (int i = 0; i < 3; ++i) {
            PixelImage image;
            image.Create(8 + i, 6, 24);
            EXPECT_TRUE(SaveToFile(image, folder + "/s" + std::to_string(i) + ".bmp"));
        }
    }
    QTemporaryDir dir;
    std::string folder;
};

TEST_F(StampPanelFixture, StartsOnTheFirstStampAndAClickChoosesRowPlusOne) {
    ToolPanel panel(EditorTool::Stamp, nullptr, {folder});
    panel.resize(600, 60);
    panel.show();
    Changes changes(panel);
    QListWidget* list = panel.StampList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->iconSize(), QSize(36, 27));
    EXPECT_EQ(panel.Style().stampIndex, 1);
    EXPECT_TRUE(list->item(0)->isSelected());

    ClickAt(list, list->visualItemRect(list->item(2)).center());
    ASSERT_EQ(changes.seen.size(), 1u);
    EXPECT_EQ(changes.seen[0].stampIndex, 3);
    EXPECT_EQ(panel.Style().stampIndex, 3);

    // Clicking the chosen stamp again changes nothing; a click beside the
    // items keeps it chosen.
    ClickAt(list, list->visualItemRect(list->item(2)).center());
    ClickAt(list, QPoint(list->viewport()->width() - 2, list->viewport()->height() - 2));
    EXPECT_EQ(changes.seen.size(), 1u);
    EXPECT_EQ(panel.Style().stampIndex, 3);
    EXPECT_TRUE(list->item(2)->isSelected());

    // A loaded object's stamp is shown as the chosen item.
    DrawingStyle loaded = panel.Style();
    loaded.stampIndex = 2;
    panel.SetStyle(loaded);
    EXPECT_TRUE(list->item(1)->isSelected());
    EXPECT_EQ(changes.seen.size(), 1u);
}

TEST_F(StampPanelFixture, AMissingFolderGivesNoStamp) {
    ToolPanel panel(EditorTool::Stamp, nullptr, {folder + "/missing"});
    EXPECT_EQ(panel.StampList()->count(), 0);
    EXPECT_EQ(panel.Style().stampIndex, 0);
}

}  // namespace
}  // namespace clipvane
