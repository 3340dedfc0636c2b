// The hyperlink control: colours, opening and error texts.
#include <gtest/gtest.h>

#include "widgets/HyperlinkLabel.h"

namespace clipvane {
namespace {

TEST(HyperLink, ColoursFollowHoverAndVisits) {
    HyperlinkLabel link(QStringLiteral("https://example.org/"));
    EXPECT_EQ(link.URL(), QStringLiteral("https://example.org/"));
    EXPECT_EQ(link.toolTip(), link.URL());
    EXPECT_EQ(link.CurrentColour(), HyperlinkLabel::LinkColour());
    QString opened;
    HyperlinkLabel::SetOpener([&](const QString& url) {
        opened = url;
        return true;
    });
    EXPECT_TRUE(link.Activate());
    EXPECT_EQ(opened, link.URL());
    EXPECT_TRUE(link.Visited());
    EXPECT_EQ(link.CurrentColour(), HyperlinkLabel::VisitedColour());
}

TEST(HyperLink, ErrorTexts) {
    EXPECT_EQ(HyperlinkErrorText(26), QStringLiteral("A sharing violation occurred. "));
    EXPECT_EQ(HyperlinkErrorText(4), QStringLiteral("Unknown Error (4) occurred."));
    EXPECT_EQ(HyperlinkErrorText(2), QStringLiteral("The specified file was not found."));
}

}  // namespace
}  // namespace clipvane
