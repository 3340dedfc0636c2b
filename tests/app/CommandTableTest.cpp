// The command table: every command runs somewhere, every layout names known
// commands, and every text the table shows goes through translation.
#include <QCoreApplication>
#include <QMenuBar>
#include <QTranslator>
#include <gtest/gtest.h>

#include <set>

#include "MainWindowFixture.h"
#include "app/CommandTable.h"
#include "image/effects/EffectRegistry.h"

namespace clipvane {
namespace {

using test::FrameFixture;

TEST(CommandTable, EveryCommandHasAHandlerAndEveryLayoutKnownIds) {
    std::set<unsigned> ids;
    for (const CommandInfo& info : CommandTable()) {
        EXPECT_TRUE(ids.insert(info.id).second) << info.id;
        EXPECT_NE(info.handler, nullptr) << info.id;
        EXPECT_EQ(info.checkable, info.check != CommandCheck::None) << info.id;
    }
    // Every Image and Filter command is in the table and in a menu.
    std::set<unsigned> inMenus;
    for (const MenuSpec& menu : MenuBarLayout())
        for (unsigned id : menu.entries) inMenus.insert(id);
    for (const EffectEntry& e : EffectRegistry()) {
        EXPECT_EQ(ids.count(unsigned(e.id)), 1u) << e.id;
        EXPECT_EQ(inMenus.count(unsigned(e.id)), 1u) << e.id;
    }
    for (const auto* layout : {&MainToolBarLayout(), &ToolsToolBarLayout(), &TrayMenuLayout(), &TabMenuLayout()})
        for (unsigned id : *layout)
            if (id != kSeparator) {
                EXPECT_EQ(ids.count(id), 1u) << id;
            }
    for (unsigned id : inMenus)
        if (id != kSeparator && id != kRecentFilesSlot) {
            EXPECT_EQ(ids.count(id), 1u) << id;
        }
    for (unsigned id : TabMenuLayout())
        if (id != kSeparator) {
            EXPECT_NE(TabMenuText(id), nullptr) << id;
        }
}

// Marks every text it is asked for, so an untranslated one stands out.
class MarkingTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override {
        return QStringLiteral("<%1>").arg(QString::fromUtf8(source));
    }
};

TEST_F(FrameFixture, MenuTextsGoThroughTranslation) {
    MarkingTranslator marking;
    QCoreApplication::installTranslator(&marking);
    MainWindow& f = Make();
    EXPECT_EQ(f.Action(kCmdFileNew)->text(), QStringLiteral("<&New>"));
    EXPECT_EQ(f.Action(kCmdFileNew)->toolTip(), QStringLiteral("<Create a new image>"));
    EXPECT_EQ(f.Action(kCmdNoisy)->text(), QStringLiteral("<Noisy>"));
    EXPECT_EQ(f.Action(kCmdGreyImage)->statusTip(), QStringLiteral("<Convert to grey>"));
    EXPECT_EQ(f.menuBar()->actions().front()->text(), QStringLiteral("<&File>"));
    QCoreApplication::removeTranslator(&marking);
}

}  // namespace
}  // namespace clipvane
