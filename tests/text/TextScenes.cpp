#include "TextScenes.h"

#include <algorithm>
#include <cctype>

#include "support/MagickFiles.h"

namespace clipvane::test {
namespace {

std::vector<SceneText> Column(int x, int y, int step, const std::string& font, int size, const std::string& colour,
                              const std::vector<std::string>& lines) {
    std::vector<SceneText> out;
    for (const std::string& line : lines) {
        out.push_back({x, y, font, size, colour, line});
        y += step;
    }
    return out;
}

void Append(std::vector<SceneText>& to, const std::vector<SceneText>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

std::string Normalised(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

const std::vector<std::string> kTerminal = {
    "$ git status",
    "On branch main",
    "Your branch is up to date with origin/main.",
    "Changes not staged for commit:",
    "modified: src/text/TextRegions.cpp",
    "$ ping -c 1 example.org",
    "64 bytes from 93.184.216.34: icmp_seq=1 ttl=56 time=11.2 ms",
    "Connected to database server at port 5432 after 3 retries",
};

const std::vector<std::string> kDialog = {
    "Save changes to the document before closing?",
    "Your changes will be lost if you do not save them.",
    "The file was last saved on Monday at 10:42 by Alice.",
    "Keep a backup copy in the same folder",
};

const std::vector<std::string> kLeftColumn = {
    "Screen text is small and often",
    "drawn light on a dark panel, so",
    "every region is prepared before",
    "it is read by the recogniser.",
};

const std::vector<std::string> kRightColumn = {
    "Columns are kept apart: the left",
    "one is read to its end before the",
    "right one starts, as a reader of",
    "this page would expect it to be.",
};

}  // namespace

std::vector<Scene> AccuracyScenes() {
    std::vector<Scene> scenes;
    scenes.push_back({"terminal-dark-mono13", 760, 170, "#1e1e1e",
                      Column(10, 20, 19, "DejaVu-Sans-Mono", 13, "#d4d4d4", kTerminal), ""});
    scenes.push_back({"terminal-light-mono14", 820, 180, "#ffffff",
                      Column(12, 22, 20, "Liberation-Mono", 14, "#1a1a1a", kTerminal), ""});
    scenes.push_back({"terminal-green-mono12", 680, 160, "#000000",
                      Column(8, 18, 17, "DejaVu-Sans-Mono", 12, "#33dd66", kTerminal), ""});
    Scene dialog{"dialog-light-sans12",
                 520,
                 190,
                 "#efefef",
                 Column(20, 30, 20, "DejaVu-Sans", 12, "#202020", kDialog),
                 "-fill '#e1e1e1' -stroke '#adadad' -draw 'rectangle 300,140 390,170' "
                 "-draw 'rectangle 405,140 495,170' -stroke none"};
    dialog.texts.push_back({330, 160, "DejaVu-Sans", 12, "#202020", "Save"});
    dialog.texts.push_back({428, 160, "DejaVu-Sans", 12, "#202020", "Cancel"});
    scenes.push_back(dialog);
    scenes.push_back(
        {"dialog-dark-sans13", 520, 150, "#2b2b2b", Column(16, 28, 22, "Liberation-Sans", 13, "#e6e6e6", kDialog), ""});
    scenes.push_back(
        {"dialog-light-serif11", 420, 120, "#ffffff", Column(12, 22, 18, "DejaVu-Serif", 11, "#000000", kDialog), ""});
    Scene web{"web-two-columns", 760, 230, "#ffffff", {}, ""};
    web.texts.push_back({20, 38, "Liberation-Serif-Bold", 24, "#111111", "Reading screenshots well"});
    Append(web.texts, Column(20, 80, 21, "Liberation-Sans", 14, "#333333", kLeftColumn));
    Append(web.texts, Column(400, 80, 21, "Liberation-Sans", 14, "#333333", kRightColumn));
    web.texts.push_back({20, 200, "Liberation-Sans", 12, "#1a0dab",
                         "Read more about text recognition on screenshots and in scanned pages"});
    scenes.push_back(web);
    return scenes;
}

Scene FullScreenScene() {
    Scene s{"full-screen", 1920, 1080, "#f5f5f5", {}, ""};
    s.draw = "-fill '#1e1e1e' -draw 'rectangle 0,0 900,1079' -fill '#dddddd' -draw 'rectangle 900,0 910,1079'";
    for (int block = 0; block < 6; ++block)
        Append(s.texts, Column(12, 24 + block * 170, 19, "DejaVu-Sans-Mono", 13, "#d4d4d4", kTerminal));
    // Listed in reading order: the left column to its end, then the right.
    for (int block = 0; block < 4; ++block) {
        Append(s.texts, Column(940, 40 + block * 260, 21, "Liberation-Sans", 14, "#333333", kLeftColumn));
        Append(s.texts, Column(940, 150 + block * 260, 20, "DejaVu-Sans", 12, "#202020", kDialog));
    }
    for (int block = 0; block < 4; ++block)
        Append(s.texts, Column(1420, 40 + block * 260, 21, "Liberation-Sans", 14, "#333333", kRightColumn));
    return s;
}

bool RenderScene(const Scene& scene, const std::string& path) {
    std::string args = "-size " + std::to_string(scene.width) + "x" + std::to_string(scene.height) +
                       " xc:" + Quote(scene.background) + " " + scene.draw;
    for (const SceneText& t : scene.texts)
        args += " -font " + t.font + " -pointsize " + std::to_string(t.size) + " -fill " + Quote(t.colour) +
                " -annotate +" + std::to_string(t.x) + "+" + std::to_string(t.y) + " " + Quote(t.text);
    return Magick(args + " -alpha off " + Quote(path));
}

std::string SceneWords(const Scene& scene) {
    std::string out;
    for (const SceneText& t : scene.texts) out += t.text + "\n";
    return out;
}

double CharErrorRate(const std::string& expected, const std::string& got) {
    const std::string a = Normalised(expected), b = Normalised(got);
    if (a.empty()) return b.empty() ? 0 : 1;
    std::vector<size_t> row(b.size() + 1), next(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        next[0] = i;
        for (size_t j = 1; j <= b.size(); ++j)
            next[j] = std::min({row[j] + 1, next[j - 1] + 1, row[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(row, next);
    }
    return double(row[b.size()]) / double(a.size());
}

}  // namespace clipvane::test
