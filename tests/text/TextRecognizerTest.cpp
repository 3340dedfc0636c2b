// Recognition of generated screenshots against their known text, beside the
// stock tesseract command on the same files.
#include "text/TextRecognizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "TextScenes.h"
#include "image/PixelImage.h"
#include "image/PixelLimit.h"
#include "imagefile/ImageFile.h"
#include "imagefile/ImageHandler.h"
#include "support/MagickFiles.h"

namespace clipvane {
namespace {

using test::Scene;

class TextRecognizerTest : public ::testing::Test {
protected:
    void SetUp() override { InstallHandlerFactory(new StandardHandlerFactory); }

    // The scene drawn into a file and loaded as the editor would.
    PixelImage Render(const Scene& scene, std::string* path = nullptr) {
        const std::string file = dir_ / (scene.name + ".png");
        EXPECT_TRUE(test::RenderScene(scene, file));
        PixelImage image;
        EXPECT_TRUE(LoadFromFile(file.c_str(), image));
        if (path) *path = file;
        return image;
    }

    test::ScratchDir dir_;
};

bool HaveTesseractCommand() { return test::Run("command -v tesseract >/dev/null 2>&1") == 0; }

TEST_F(TextRecognizerTest, ReadsScreenshotsAtLeastAsWellAsTheCommand) {
    const bool command = HaveTesseractCommand();
    for (const Scene& scene : test::AccuracyScenes()) {
        SCOPED_TRACE(scene.name);
        std::string path;
        const PixelImage image = Render(scene, &path);
        const TextResult result = RecognizeText(image);
        ASSERT_EQ(result.status, RecognizeStatus::kDone) << result.message;
        const std::string expected = test::SceneWords(scene);
        const double ours = test::CharErrorRate(expected, PlainText(result));
        std::printf("%-24s ours %.2f %%", scene.name.c_str(), ours * 100);
        EXPECT_LE(ours, 0.01) << PlainText(result);
        if (command) {
            const double theirs =
                test::CharErrorRate(expected, test::Capture("tesseract " + test::Quote(path) + " stdout 2>/dev/null"));
            std::printf("   tesseract command %.2f %%", theirs * 100);
            EXPECT_LE(ours, theirs) << PlainText(result);
        }
        std::printf("\n");
    }
}

TEST_F(TextRecognizerTest, KeepsColumnsApartInReadingOrder) {
    const Scene web = test::AccuracyScenes().back();
    const TextResult result = RecognizeText(Render(web));
    const std::string text = PlainText(result);
    // The left column's last line comes before the right column's first.
    const size_t leftEnd = text.find("recogniser");
    const size_t rightStart = text.find("Columns are");
    ASSERT_NE(leftEnd, std::string::npos) << text;
    ASSERT_NE(rightStart, std::string::npos) << text;
    EXPECT_LT(leftEnd, rightStart) << text;
    EXPECT_NE(text.find("\n\nColumns are"), std::string::npos) << "a column starts a block:\n" << text;
}

TEST_F(TextRecognizerTest, ReadsOnlyTheBandInPictureCoordinates) {
    // The dialog's second line (baseline 50, 12 px text) alone.
    const PixelImage image = Render(test::AccuracyScenes()[3]);
    RecognizeOptions options;
    options.area = Rect{10, 36, 500, 56};
    const TextResult result = RecognizeText(image, options);
    EXPECT_EQ(PlainText(result), "Your changes will be lost if you do not save them.\n");
    ASSERT_EQ(result.lines.size(), 1u);
    const Rect first = result.lines[0].words[0].box;
    EXPECT_GE(first.left, 18);
    EXPECT_LE(first.left, 22);
    EXPECT_GE(first.top, 38);
    EXPECT_LE(first.bottom, 54);
}

TEST_F(TextRecognizerTest, BlankAndFlatPicturesHoldNoText) {
    PixelImage flat;
    ASSERT_TRUE(flat.Create(640, 480, 32));
    const TextResult result = RecognizeText(flat);
    EXPECT_EQ(result.status, RecognizeStatus::kDone);
    EXPECT_TRUE(result.lines.empty());
    EXPECT_EQ(PlainText(result), "");
}

TEST_F(TextRecognizerTest, RefusesWhatItCannotRead) {
    PixelImage palette;
    ASSERT_TRUE(palette.Create(64, 64, 8));
    EXPECT_EQ(RecognizeText(palette).status, RecognizeStatus::kRefused);

    PixelImage image;
    ASSERT_TRUE(image.Create(300, 200, 32));
    RecognizeOptions missing;
    missing.language = "xx_not_installed";
    const TextResult noLanguage = RecognizeText(Render(test::AccuracyScenes().front()), missing);
    EXPECT_EQ(noLanguage.status, RecognizeStatus::kRefused);
    EXPECT_NE(noLanguage.message.find("xx_not_installed"), std::string::npos);

    // A picture made under a larger limit is refused under a smaller one.
    SetMaxPixelCount(300 * 200 - 1);
    const TextResult tooLarge = RecognizeText(image);
    SetMaxPixelCount(0);
    EXPECT_EQ(tooLarge.status, RecognizeStatus::kRefused);
    EXPECT_FALSE(tooLarge.message.empty());
}

TEST_F(TextRecognizerTest, CancelStopsEarlyAndReturnsNothing) {
    const PixelImage image = Render(test::FullScreenScene());
    std::atomic<bool> cancel{true};
    RecognizeOptions options;
    options.cancel = &cancel;
    EXPECT_EQ(RecognizeText(image, options).status, RecognizeStatus::kCancelled);

    // Cancelled while running: returns well before a whole run would.
    cancel = false;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const TextResult result = RecognizeText(image, options);
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_EQ(result.status, RecognizeStatus::kCancelled);
    EXPECT_TRUE(result.lines.empty());
    EXPECT_LT(took, std::chrono::milliseconds(3000));
}

TEST_F(TextRecognizerTest, ListsTheInstalledLanguagesWithoutOrientationData) {
    const std::vector<std::string> languages = InstalledLanguages();
    EXPECT_NE(std::find(languages.begin(), languages.end(), "eng"), languages.end());
    EXPECT_EQ(std::find(languages.begin(), languages.end(), "osd"), languages.end());
    EXPECT_TRUE(std::is_sorted(languages.begin(), languages.end()));
    EXPECT_TRUE(InstalledLanguages("/nonexistent/tessdata").empty());
}

TEST_F(TextRecognizerTest, SameTextOnOneThreadAndOnMany) {
    const PixelImage image = Render(test::AccuracyScenes()[3]);
    RecognizeOptions one;
    one.threads = 1;
    RecognizeOptions many;
    many.threads = 4;
    EXPECT_EQ(PlainText(RecognizeText(image, one)), PlainText(RecognizeText(image, many)));
}

}  // namespace
}  // namespace clipvane
