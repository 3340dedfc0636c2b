// The exit prompt's texts and mnemonics.
#include <QPushButton>
#include <QSet>
#include <gtest/gtest.h>

#include "app/ExitHintDialog.h"

namespace clipvane {
namespace {

TEST(ExitHintDialog, AsksAboutTheNamedDocument) {
    ExitHintDialog dlg;
    dlg.SetDocumentName(QStringLiteral("Clipvane3"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Save image"));
    EXPECT_EQ(dlg.Question(), QStringLiteral("Do you want to save Clipvane3?"));
    // Every button has its own mnemonic letter.
    QSet<QChar> letters;
    for (QPushButton* b : dlg.findChildren<QPushButton*>()) {
        const int amp = b->text().indexOf(QLatin1Char('&'));
        if (amp < 0) continue;
        EXPECT_FALSE(letters.contains(b->text()[amp + 1].toLower())) << b->text().toStdString();
        letters.insert(b->text()[amp + 1].toLower());
    }
    EXPECT_EQ(letters.size(), 3);
}

}  // namespace
}  // namespace clipvane
