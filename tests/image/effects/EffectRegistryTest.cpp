// The effect registry against the commands it describes: ids, ranges and
// start values the dialogs and clipvane-image rely on, and whether a command
// really keeps the image's size.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/ImageBuilders.h"
#include "image/effects/EffectRegistry.h"

namespace clipvane {
namespace {

TEST(EffectRegistry, EntriesAreUniqueInRangeAndFoundById) {
    std::set<int> ids;
    std::set<std::string> names;
    for (const EffectEntry& e : EffectRegistry()) {
        SCOPED_TRACE(e.id);
        EXPECT_TRUE(ids.insert(e.id).second);
        EXPECT_TRUE(names.insert(e.name).second);
        EXPECT_GE(e.id, kCmdFirstEffect);
        EXPECT_LE(e.id, kCmdLastEffect);
        EXPECT_EQ(FindEffect(e.id), &e);
        // Parameters come first-to-last with no gap, start values in range.
        for (int i = 0; i < 3; ++i) {
            const EffectParam& p = e.params[i];
            EXPECT_EQ(p.name != nullptr, i < e.ParamCount());
            if (!p.name) continue;
            EXPECT_LE(p.minimum, p.start);
            EXPECT_LE(p.start, p.maximum);
            // A slider-dialog command shows every parameter.
            if (e.dialog == EffectDialog::Sliders) {
                EXPECT_NE(p.label, nullptr);
            }
        }
        // Commands with a dialog of their own have its title.
        const bool ownDialog = e.dialog != EffectDialog::None && e.dialog != EffectDialog::Band;
        EXPECT_EQ(e.title != nullptr, ownDialog);
    }
    EXPECT_EQ(FindEffect(kCmdFirstEffect), nullptr);
    EXPECT_EQ(FindEffect(12345), nullptr);
}

TEST(EffectRegistry, CommandsThatKeepTheSizeDo) {
    // Commands that keep the size run on the Crop tool's band, which can only
    // be written back at its own size.
    for (const EffectEntry& e : EffectRegistry()) {
        if (!e.plan) continue;
        SCOPED_TRACE(e.id);
        PixelImage image = test::Gradient(7, 4);
        ASSERT_TRUE(RunEffectCommand(e.id, {}, image));
        if (e.keepsSize) {
            EXPECT_TRUE(image.Width() == 7 && image.Height() == 4);
        }
        EXPECT_EQ(EffectCommandKeepsSize(e.id), e.keepsSize);
    }
    EXPECT_FALSE(EffectCommandKeepsSize(kCmdResize));
    EXPECT_TRUE(EffectCommandKeepsSize(kCmdRedact));
    EXPECT_FALSE(EffectCommandKeepsSize(kCmdFirstEffect));
}

TEST(EffectRegistry, ParameterChecksFollowTheRanges) {
    for (const EffectEntry& e : EffectRegistry()) {
        SCOPED_TRACE(e.id);
        EffectParams params;
        for (int i = 0; i < e.ParamCount(); ++i) params.values[params.count++] = e.params[i].maximum;
        EXPECT_EQ(CheckEffectParams(e.id, params), "");
        if (e.ParamCount() == 0) continue;
        params.values[e.ParamCount() - 1] += 1;
        EXPECT_NE(CheckEffectParams(e.id, params).find(e.params[e.ParamCount() - 1].name), std::string::npos);
    }
    EXPECT_EQ(CheckEffectParams(kCmdInvert, EffectParams{{1}, 1}), "command 20020 takes 0 parameters, not 1");
}

}  // namespace
}  // namespace clipvane
