#pragma once
// Screenshot-like pictures with known text, drawn by ImageMagick at test time
// with the installed DejaVu and Liberation fonts: terminals, dialogs and a
// two-column web page, light and dark.
#include <string>
#include <vector>

namespace clipvane::test {

struct SceneText {
    int x, y;  // the baseline's start
    std::string font;
    int size;  // pixels
    std::string colour;
    std::string text;
};

struct Scene {
    std::string name;
    int width, height;
    std::string background;
    std::vector<SceneText> texts;  // in reading order
    std::string draw;              // more ImageMagick drawing before the text (panels, borders)
};

// The terminals, dialogs and web page of the accuracy tests.
std::vector<Scene> AccuracyScenes();

// A 1920 x 1080 screen: a dark terminal beside a light editor and a web page.
Scene FullScreenScene();

// Draws `scene` into PATH (PNG); false when ImageMagick failed.
bool RenderScene(const Scene& scene, const std::string& path);

// The scene's text, one text a line.
std::string SceneWords(const Scene& scene);

// Character error rate of `got` against `expected`: the edit distance over
// the length of `expected`, both with their whitespace runs made one space.
double CharErrorRate(const std::string& expected, const std::string& got);

}  // namespace clipvane::test
