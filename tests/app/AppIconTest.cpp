// Command and application icons: the program's own SVG drawings render at
// tool-bar and menu sizes without any desktop icon theme, a theme that has a
// command's freedesktop name wins, and disabled icons are drawn faded.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <iterator>
#include <gtest/gtest.h>

#include "app/AppIcon.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"

namespace clipvane {
namespace {

// Every command that carries the program's own drawing.
constexpr unsigned kDrawnCommands[] = {
    kCmdFileNew,       kCmdFileOpen,      kCmdFileSave,     kCmdCaptureFullScreen, kCmdCaptureRegion,
    kCmdCaptureWindow, kCmdCaptureActive, kCmdEditUndo,     kCmdEditRedo,          kCmdZoomIn,
    kCmdZoomOut,       kCmdZoomActual,    kCmdToolZoom,     kCmdToolMove,          kCmdToolSelect,
    kCmdToolCrop,      kCmdToolText,      kCmdToolLine,     kCmdToolArrow,         kCmdToolShape,
    kCmdToolHighlight, kCmdToolStamp,     kCmdDeleteObject, kCmdObjectDelete,      kCmdRedact,
};

int OpaquePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 0;
    return n;
}

int VividPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            n += c.alpha() > 128 && c.hsvSaturation() > 120;
        }
    return n;
}

QImage Render(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(QSize(size, size), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Puts the icon theme lookup into a known state and restores it afterwards.
class IconThemeFixture : public ::testing::Test {
protected:
    IconThemeFixture()
        : savedName_(QIcon::themeName()),
          savedPaths_(QIcon::themeSearchPaths()),
          savedFallbackPaths_(QIcon::fallbackSearchPaths()) {
        QIcon::setFallbackSearchPaths({});
    }
    ~IconThemeFixture() override {
        QIcon::setThemeSearchPaths(savedPaths_);
        QIcon::setFallbackSearchPaths(savedFallbackPaths_);
        QIcon::setThemeName(savedName_);
    }
    void UseNoTheme() {
        QIcon::setThemeSearchPaths({dir_.path()});
        QIcon::setThemeName(QStringLiteral("clipvane-no-such-theme"));
    }
    // A theme with one 16 x 16 action folder holding solid magenta icons under
    // the given names.
    void UseFakeTheme(const QStringList& names) {
        const QDir root(dir_.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("fake/16x16/actions")));
        QFile index(root.filePath(QStringLiteral("fake/index.theme")));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=Fake\nDirectories=16x16/actions\n\n"
            "[16x16/actions]\nSize=16\nContext=Actions\nType=Fixed\n");
        index.close();
        QImage magenta(16, 16, QImage::Format_ARGB32);
        magenta.fill(QColor(255, 0, 255));
        for (const QString& name : names)
            ASSERT_TRUE(magenta.save(root.filePath(QStringLiteral("fake/16x16/actions/%1.png").arg(name))));
        QIcon::setThemeSearchPaths({dir_.path()});
        QIcon::setThemeName(QStringLiteral("fake"));
    }

private:
    QString savedName_;
    QStringList savedPaths_;
    QStringList savedFallbackPaths_;
    QTemporaryDir dir_;
};

TEST_F(IconThemeFixture, OwnDrawingsRenderAtMenuAndToolBarSizesWithoutATheme) {
    UseNoTheme();
    for (unsigned id : kDrawnCommands) {
        const QIcon icon = CommandIcon(id);
        ASSERT_FALSE(icon.isNull()) << id;
        for (int size : {16, 24, 32}) {
            const QImage image = Render(icon, size);
            EXPECT_EQ(image.size(), QSize(size, size)) << id;
            // A missing resource or SVG engine gives an empty or blank pixmap.
            EXPECT_GT(OpaquePixels(image), size * size / 20) << id << " at " << size;
        }
    }
    EXPECT_GT(OpaquePixels(Render(ApplicationIcon(), 48)), 48 * 48 / 2);
}

TEST_F(IconThemeFixture, CommandsWithoutADrawingHaveNoIconWithoutATheme) {
    UseNoTheme();
    for (const CommandInfo& info : CommandTable()) {
        const bool drawn = std::find(std::begin(kDrawnCommands), std::end(kDrawnCommands), unsigned(info.id)) !=
                           std::end(kDrawnCommands);
        if (!drawn) {
            EXPECT_TRUE(CommandIcon(info.id).isNull()) << info.id;
        }
    }
    EXPECT_TRUE(CommandIcon(12345).isNull());
}

TEST_F(IconThemeFixture, ThemeIconWinsWhereItHasTheName) {
    UseFakeTheme({QStringLiteral("document-save"), QStringLiteral("edit-cut"), QStringLiteral("zoom-in")});
    const QRgb magenta = qRgb(255, 0, 255);
    EXPECT_EQ(Render(CommandIcon(kCmdFileSave), 16).pixel(8, 8), magenta);
    EXPECT_EQ(Render(CommandIcon(kCmdZoomIn), 16).pixel(8, 8), magenta);
    // Theme-only command: the theme gives it an icon.
    ASSERT_FALSE(CommandIcon(kCmdEditCut).isNull());
    EXPECT_EQ(Render(CommandIcon(kCmdEditCut), 16).pixel(0, 0), magenta);
    // The zoom tool keeps the program's magnifier although the theme has zoom-in.
    EXPECT_NE(Render(CommandIcon(kCmdToolZoom), 16).pixel(8, 8), magenta);
    // Names the theme lacks fall back to the program's own drawing.
    const QImage open = Render(CommandIcon(kCmdFileOpen), 24);
    EXPECT_GT(OpaquePixels(open), 24 * 24 / 4);
    EXPECT_NE(open.pixel(12, 14), magenta);
    EXPECT_TRUE(CommandIcon(kCmdEditCopy).isNull());
    // The application icon is always the program's own.
    EXPECT_NE(Render(ApplicationIcon(), 16).pixel(8, 8), magenta);
}

TEST_F(IconThemeFixture, DisabledIconsLoseTheirColour) {
    UseNoTheme();
    for (unsigned id : {unsigned(kCmdFileSave), unsigned(kCmdCaptureActive), unsigned(kCmdEditUndo)}) {
        const QIcon icon = CommandIcon(id);
        EXPECT_GT(VividPixels(Render(icon, 24)), 20) << id;
        const QImage disabled = Render(icon, 24, QIcon::Disabled);
        EXPECT_GT(OpaquePixels(disabled), 0) << id;
        EXPECT_EQ(VividPixels(disabled), 0) << id;
    }
}

}  // namespace
}  // namespace clipvane
