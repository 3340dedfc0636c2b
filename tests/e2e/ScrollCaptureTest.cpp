// The scrolling capture on the real X server with real applications whose
// content is known: a Qt list of numbered rows, xterm with a long output in
// its scrollback, and Chromium showing a page with a sticky header. The
// window is picked with the pointer in the overlay, as a user does; the
// stitched image is decoded row by row (the rows' colours encode their
// numbers) and every number must appear once, whole and in order.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "capture/CaptureDriver.h"
#include "capture/DesktopPlatform.h"
#include "capture/SelectionOverlay.h"
#include "imagefile/ImageFile.h"
#include "app/CommandIds.h"
#include "support/LiveDesktop.h"
#include "support/OverlayPick.h"

namespace {

using namespace clipvane;
using clipvane::test::RecordingHost;

// Runs of equal decoded values down one column of an image, top to bottom.
struct ValueRun {
    int value = 0;
    int rows = 0;
};

std::vector<ValueRun> Runs(const PixelImage& image, int x, const std::function<int(uint32_t)>& decode) {
    std::vector<ValueRun> runs;
    for (int y = 0; y < image.Height(); ++y) {
        const int v = decode(test::Rgb(image, x, y));
        if (!runs.empty() && runs.back().value == v) {
            ++runs.back().rows;
        } else {
            runs.push_back(ValueRun{v, 1});
        }
    }
    return runs;
}

// The numbered rows must be 0, 1, ..., last, each `rowHeight` pixels, with
// nothing that decodes otherwise between them.
void ExpectNumberedRows(const std::vector<ValueRun>& runs, int last, int rowHeight, const std::string& what) {
    std::vector<ValueRun> numbered;
    size_t first = runs.size(), end = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].value < 0) continue;
        first = std::min(first, i);
        end = i + 1;
    }
    ASSERT_LT(first, end) << what << ": no numbered row found";
    for (size_t i = first; i < end; ++i) numbered.push_back(runs[i]);
    std::string seen;
    for (const ValueRun& r : numbered) seen += std::to_string(r.value) + "x" + std::to_string(r.rows) + " ";
    ASSERT_EQ(numbered.size(), size_t(last) + 1) << what << ": " << seen.substr(0, 2000);
    for (int n = 0; n <= last; ++n) {
        EXPECT_EQ(numbered[size_t(n)].value, n) << what << ": " << seen.substr(0, 2000);
        EXPECT_EQ(numbered[size_t(n)].rows, rowHeight) << what << " row " << n;
    }
}

// Red n % 256, green (n / 256) * 16 + 8, blue 0xA5: the Qt list's and the web page's rows.
int DecodeRow(uint32_t rgb) {
    const int r = int(rgb >> 16) & 0xFF, g = int(rgb >> 8) & 0xFF, b = int(rgb) & 0xFF;
    if (b != 0xA5 || g < 8 || (g - 8) % 16 != 0) return -1;
    return (g - 8) / 16 * 256 + r;
}

class ScrollE2E : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        if (!test::CaptureApp(&error)) GTEST_SKIP() << "no X server: " << error;
        ASSERT_TRUE(dir_.isValid());
        main_ = std::make_unique<QMainWindow>();
        main_->setWindowTitle(QStringLiteral("scroll test main window"));
        main_->setGeometry(1500, 800, 300, 200);
        host_.window = main_.get();
        driver_ = std::make_unique<CaptureDriver>(host_, CreateDesktopPlatform());
        ASSERT_NE(driver_->Platform(), nullptr);
        driver_->LoadSettings(dir_.filePath(QStringLiteral("config.ini")));
    }
    void TearDown() override {
        driver_.reset();
        main_.reset();
        for (pid_t pid : children_) test::Terminate(pid);
        test::Spin(50);
    }

    // Starts a client that prints its window id, and waits for the id.
    unsigned long StartClient(const std::vector<std::string>& argv) {
        int out = -1;
        const pid_t pid = test::Spawn(argv, &out);
        children_.push_back(pid);
        std::string line;
        const bool ok = pid > 0 && test::ReadLine(out, &line, 15000);
        if (out >= 0) close(out);
        return ok ? std::stoul(line) : 0;
    }
    unsigned long StartNamed(const std::vector<std::string>& argv, const std::string& title, int timeoutMs) {
        children_.push_back(test::Spawn(argv));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            const std::string ids = test::RunCommand("xdotool search --onlyvisible --name '" + title + "' 2>/dev/null");
            if (!ids.empty()) return std::stoul(ids);
            test::Spin(200);
        }
        return 0;
    }

    static test::ScreenRectI ClientOf(unsigned long id) {
        const std::string info = test::RunCommand("xwininfo -id " + std::to_string(id));
        auto field = [&](const std::string& name) {
            const size_t at = info.find(name);
            return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + name.size());
        };
        return test::ScreenRectI{field("Absolute upper-left X:"), field("Absolute upper-left Y:"), field("Width:"),
                                 field("Height:")};
    }

    // Picks the window under (x, y) in the overlay with a click, as a user does,
    // and runs the capture; the delivered image, timed.
    const PixelImage* CaptureAt(int x, int y, qint64* ms) {
        test::PickInOverlay(driver_.get(), x, y);
        QElapsedTimer t;
        t.start();
        const bool delivered = driver_->Run(CaptureMode::Scrolling);
        *ms = t.elapsed();
        std::printf("[ scroll   ] %lld ms, %d steps, %s\n", static_cast<long long>(*ms), driver_->LastScrollSteps(),
                    host_.messages.join(' ').toStdString().c_str());
        if (!delivered || host_.delivered.size() != 1) return nullptr;
        return &host_.delivered[0];
    }

    QTemporaryDir dir_;
    RecordingHost host_;
    std::unique_ptr<QMainWindow> main_;
    std::unique_ptr<CaptureDriver> driver_;
    std::vector<pid_t> children_;
};

TEST_F(ScrollE2E, QtListOfNumberedRows) {
    const unsigned long id = StartClient({test::HelperPath("qt_scroll_list"), "300", "500x420+300+200"});
    ASSERT_NE(id, 0u);
    test::Spin(300);
    const test::ScreenRectI c = ClientOf(id);
    qint64 ms = 0;
    const PixelImage* image = CaptureAt(c.x + 200, c.y + 200, &ms);
    ASSERT_NE(image, nullptr) << host_.messages.join('\n').toStdString();
    EXPECT_EQ(driver_->LastScrollEnd(), ScrollEnd::EndOfPage);
    EXPECT_TRUE(host_.messages.isEmpty()) << host_.messages.join('\n').toStdString();
    // Column 10 of the list, wherever the client sits in the picked frame.
    const Rect frame = [&] {
        Rect f;
        driver_->Platform()->FrameRect(WindowId(id), &f);
        return f;
    }();
    ExpectNumberedRows(Runs(*image, c.x - frame.left + 10, DecodeRow), 299, 20, "Qt list");
    EXPECT_LT(ms, 30000);
    // The pointer is back where the click left it, and the list was left scrolled to its end.
    const std::string pointer = test::RunCommand("xdotool getmouselocation --shell");
    EXPECT_NE(pointer.find("X=" + std::to_string(c.x + 200) + "\n"), std::string::npos) << pointer;
    EXPECT_NE(pointer.find("Y=" + std::to_string(c.y + 200) + "\n"), std::string::npos) << pointer;
}

TEST_F(ScrollE2E, EscStopsAndKeepsTheRowsSoFar) {
    const unsigned long id = StartClient({test::HelperPath("qt_scroll_list"), "1000", "500x420+300+200"});
    ASSERT_NE(id, 0u);
    test::Spin(300);
    const test::ScreenRectI c = ClientOf(id);
    // Esc a while after the window was picked, in the middle of the 20000-pixel list.
    QTimer::singleShot(2500, [] { test::RunCommand("xdotool key Escape"); });
    qint64 ms = 0;
    const PixelImage* image = CaptureAt(c.x + 200, c.y + 200, &ms);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(driver_->LastScrollEnd(), ScrollEnd::Cancelled);
    EXPECT_LT(ms, 8000);
    Rect frame;
    ASSERT_TRUE(driver_->Platform()->FrameRect(WindowId(id), &frame));
    std::vector<ValueRun> runs = Runs(*image, c.x - frame.left + 10, DecodeRow);
    // Rows from 0 on, each whole, up to the last one in view when it stopped.
    std::vector<ValueRun> numbered;
    for (const ValueRun& r : runs)
        if (r.value >= 0) numbered.push_back(r);
    ASSERT_GT(numbered.size(), 30u);
    ASSERT_LT(numbered.size(), 1000u);
    for (size_t n = 0; n + 1 < numbered.size(); ++n) {
        EXPECT_EQ(numbered[n].value, int(n));
        EXPECT_EQ(numbered[n].rows, 20) << "row " << n;
    }
}

// xterm's 256-colour cube: index 16 + 36 r + 6 g + b, levels 0, 95, 135, 175, 215, 255.
int CubeIndex(uint32_t rgb) {
    static const int levels[] = {0, 95, 135, 175, 215, 255};
    int idx[3];
    for (int c = 0; c < 3; ++c) {
        const int v = int(rgb >> (16 - 8 * c)) & 0xFF;
        idx[c] = -1;
        for (int i = 0; i < 6; ++i)
            if (levels[i] == v) idx[c] = i;
        if (idx[c] < 0) return -1;
    }
    return 16 + 36 * idx[0] + 6 * idx[1] + idx[2];
}

class XtermScroll : public ScrollE2E, public ::testing::WithParamInterface<std::vector<std::string>> {};

// Without a scroll bar, with xterm's own on the left (-sb) and on the right.
INSTANTIATE_TEST_SUITE_P(ScrollBars, XtermScroll,
                         ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"-sb"},
                                           std::vector<std::string>{"-sb", "-rightbar"}));

TEST_P(XtermScroll, Scrollback) {
    // 300 lines whose first two cells have background colours from the
    // 256-colour cube that encode the line's number.
    const QString script = dir_.filePath(QStringLiteral("lines.sh"));
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            "i=0; while [ $i -lt 300 ]; do "
            "printf '\\033[48;5;%dm \\033[48;5;%dm \\033[0m line %03d\\n' $((17 + i / 200)) $((16 + i % 200)) $i; "
            "i=$((i + 1)); done; exec sleep 600\n");
    }
    std::vector<std::string> argv = {"xterm", "-title", "scroll xterm", "-geometry", "80x30+300+150", "-sl", "1000"};
    argv.insert(argv.end(), GetParam().begin(), GetParam().end());
    argv.insert(argv.end(), {"-e", "sh", script.toStdString()});
    const unsigned long id = StartNamed(argv, "scroll xterm", 15000);
    ASSERT_NE(id, 0u);
    test::Spin(800);
    const test::ScreenRectI c = ClientOf(id);
    // Left at the bottom of the scrollback: the capture scrolls to the top first.
    qint64 ms = 0;
    const PixelImage* image = CaptureAt(c.x + 200, c.y + 100, &ms);
    ASSERT_NE(image, nullptr) << host_.messages.join('\n').toStdString();
    EXPECT_EQ(driver_->LastScrollEnd(), ScrollEnd::EndOfPage);
    // The first colour cell: where a scroll bar on the left was left out, it
    // is nearer the left edge. Sample the middle of each of the two cells.
    int x0 = -1;
    for (int x = 0; x < 80 && x0 < 0; ++x) {
        const int hi = CubeIndex(test::Rgb(*image, x, image->Height() / 2));
        if (hi == 17 || hi == 18) x0 = x + 3;
    }
    ASSERT_GE(x0, 0) << "no coloured line in the middle of the capture";
    const int x1 = x0 + 6;
    // Decode a line from both cells, row by row.
    std::vector<ValueRun> lines;
    for (int y = 0; y < image->Height(); ++y) {
        const int hi = CubeIndex(test::Rgb(*image, x0, y)), lo = CubeIndex(test::Rgb(*image, x1, y));
        // Neither cell is ever black (the cursor) or white (the background).
        const int n = (hi == 17 || hi == 18) && lo >= 16 && lo < 216 ? (hi - 17) * 200 + (lo - 16) : -1;
        if (!lines.empty() && lines.back().value == n) {
            ++lines.back().rows;
        } else {
            lines.push_back(ValueRun{n, 1});
        }
    }
    int height = 0;
    for (const ValueRun& r : lines)
        if (r.value == 0) height = r.rows;
    ASSERT_GT(height, 5);
    ExpectNumberedRows(lines, 299, height, "xterm");
}

TEST_F(ScrollE2E, ChromiumPageWithStickyHeader) {
    if (test::RunCommand("command -v chromium").empty()) GTEST_SKIP() << "chromium is not installed";
    // A sticky header, then 250 rows of 20 pixels (5000 px) coloured by number.
    const QString page = dir_.filePath(QStringLiteral("page.html"));
    {
        QFile f(page);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray html =
            "<!DOCTYPE html><html><head><title>scroll page</title><style>"
            "body{margin:0;font:12px sans-serif}"
            "header{position:sticky;top:0;height:60px;padding-left:40px;background:rgb(200,30,30);color:white}"
            "div{height:20px;padding-left:40px;color:white}</style></head><body>"
            "<header>Sticky header</header>";
        for (int n = 0; n < 250; ++n)
            html += QStringLiteral("<div style=\"background:rgb(%1,%2,165)\">Row %3</div>")
                        .arg(n % 256)
                        .arg((n / 256) * 16 + 8)
                        .arg(n)
                        .toUtf8();
        html += "</body></html>";
        f.write(html);
    }
    const std::string profile = dir_.filePath(QStringLiteral("profile")).toStdString();
    const unsigned long id =
        StartNamed({"chromium", "--no-sandbox", "--user-data-dir=" + profile, "--no-first-run", "--disable-gpu",
                    "--no-default-browser-check", "--test-type", "--disable-extensions", "--force-color-profile=srgb",
                    "--disable-features=Translate", "--window-position=300,100", "--window-size=800,700",
                    "--app=file://" + page.toStdString()},
                   "scroll page", 40000);
    ASSERT_NE(id, 0u);
    test::Spin(2000);
    const test::ScreenRectI c = ClientOf(id);
    qint64 ms = 0;
    const PixelImage* image = CaptureAt(c.x + 300, c.y + 300, &ms);
    ASSERT_NE(image, nullptr) << host_.messages.join('\n').toStdString();
    EXPECT_EQ(driver_->LastScrollEnd(), ScrollEnd::EndOfPage) << host_.messages.join('\n').toStdString();
    Rect frame;
    ASSERT_TRUE(driver_->Platform()->FrameRect(WindowId(id), &frame));
    const int x = c.x - frame.left + 10;
    if (const char* dump = std::getenv("CLIPVANE_SCROLL_DUMP")) SaveImageFile(*image, dump);
    const std::vector<ValueRun> runs = Runs(*image, x, [](uint32_t rgb) {
        if (rgb == 0xC81E1Eu) return 1000000;  // the header
        return DecodeRow(rgb);
    });
    // The header once, 60 rows, then the numbered rows.
    int headers = 0;
    std::vector<ValueRun> numbered;
    for (const ValueRun& r : runs) {
        if (r.value == 1000000) {
            ++headers;
            EXPECT_EQ(r.rows, 60);
        } else {
            numbered.push_back(r);
        }
    }
    EXPECT_EQ(headers, 1);
    ExpectNumberedRows(numbered, 249, 20, "Chromium");
}

}  // namespace

namespace {

// The numbered rows of a capture that may start and end inside a row: in
// order, one apart, whole except the first and last. Returns the first and
// last numbers seen.
std::pair<int, int> CheckContiguousRows(const std::vector<ValueRun>& runs, int rowHeight) {
    std::vector<ValueRun> numbered;
    for (const ValueRun& r : runs)
        if (r.value >= 0) numbered.push_back(r);
    EXPECT_GE(numbered.size(), 2u);
    if (numbered.size() < 2) return {-1, -1};
    for (size_t i = 1; i < numbered.size(); ++i) {
        EXPECT_EQ(numbered[i].value, numbered[i - 1].value + 1) << "after row " << numbered[i - 1].value;
        if (i + 1 < numbered.size()) {
            EXPECT_EQ(numbered[i].rows, rowHeight) << "row " << numbered[i].value;
        }
    }
    return {numbered.front().value, numbered.back().value};
}

TEST(ScrollProgramE2E, CommandLineAndDBusCaptureToNumberedFiles) {
    std::string error;
    if (!test::CaptureApp(&error)) GTEST_SKIP() << "no X server: " << error;
    const char* binDir = std::getenv("CLIPVANE_BINARY_DIR");
    const std::string clipvane = std::string(binDir ? binDir : ".") + "/clipvane";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int out = -1;
    const pid_t list = test::Spawn({test::HelperPath("qt_scroll_list"), "150", "500x420+300+200"}, &out);
    std::string line;
    ASSERT_TRUE(test::ReadLine(out, &line, 15000));
    close(out);
    const std::string id = line;
    const test::ScreenRectI c = [&] {
        const std::string info = test::RunCommand("xwininfo -id " + id);
        auto field = [&](const std::string& name) { return std::atoi(info.c_str() + info.find(name) + name.size()); };
        return test::ScreenRectI{field("Absolute upper-left X:"), field("Absolute upper-left Y:"), field("Width:"),
                                 field("Height:")};
    }();

    const std::string shots = dir.filePath(QStringLiteral("shots")).toStdString();
    {
        QFile config(dir.filePath(QStringLiteral("config.ini")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            ("[CaptureSet]\nCapAppViewMode=2\nScrollMaxHeight=2000\nScrollFromCurrent=1\n[AudoSaveSet]\nIsAudoSave=1\n"
             "ImageFormat=0\nImageSavePath=" +
             shots + "\nImageSaveTitle=Scroll\nStartNum=1\n")
                .c_str());
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Its own recovery folder: no prompt about other runs' documents.
    setenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toStdString().c_str(), 1);
    const pid_t app = test::Spawn({clipvane, "--config", dir.filePath(QStringLiteral("config.ini")).toStdString()});
    ASSERT_GT(app, 0);
    const std::string send =
        "dbus-send --session --print-reply --dest=org.clipvane.Clipvane /Clipvane org.clipvane.Clipvane.";
    int status = -1;
    for (int i = 0; i < 200 && status != 0; ++i) {
        test::RunCommand(send + "ActiveDocumentInfo >/dev/null 2>&1", &status);
        if (status != 0) test::Spin(50);
    }
    ASSERT_EQ(status, 0) << "the program did not register on the bus";

    // Picks the list in the overlay once it is up, and waits for the numbered file.
    const std::string click =
        "xdotool mousemove " + std::to_string(c.x + 200) + " " + std::to_string(c.y + 200) + " sleep 0.2 click 1";
    auto capture = [&](const std::string& request, const std::string& file) {
        QElapsedTimer t;
        t.start();
        test::RunCommand(request, &status);
        EXPECT_EQ(status, 0) << request;
        test::Spin(2500);
        test::RunCommand(click);
        const QString path = QString::fromStdString(shots + "/" + file);
        // The name is claimed (empty) first, then the saved file is renamed over it.
        PixelImage image;
        EXPECT_TRUE(test::SpinUntil(
            [&] { return QFileInfo(path).size() > 0 && LoadFromFile(path.toStdString(), image); }, 40000))
            << file;
        std::printf("[ scroll   ] %s: %lld ms\n", file.c_str(), static_cast<long long>(t.elapsed()));
        return image;
    };
    // From the command line: stops at the 2000-row limit with the top of the list.
    const PixelImage first = capture(clipvane + " --capture scroll", "Scroll1.bmp");
    EXPECT_EQ(first.Height(), 2000);
    Rect frame;
    {
        const std::string prop = test::RunCommand("xprop -id " + id + " _NET_FRAME_EXTENTS");
        int l = 0, r = 0, t = 0, b = 0;
        if (const size_t eq = prop.find('='); eq != std::string::npos)
            std::sscanf(prop.c_str() + eq + 1, " %d, %d, %d, %d", &l, &r, &t, &b);
        frame = Rect{c.x - l, c.y - t, c.x + c.w + r, c.y + c.h + b};
    }
    const int x = c.x - frame.left + 10;
    const auto [from, to] = CheckContiguousRows(Runs(first, x, DecodeRow), 20);
    EXPECT_EQ(from, 0);
    EXPECT_GT(to, 80);
    // Over D-Bus (mode 4): the list was left where the first run stopped, so
    // this one goes on from there to the end (ScrollFromCurrent).
    const PixelImage second = capture(send + "Capture int32:4 >/dev/null", "Scroll2.bmp");
    const auto [from2, to2] = CheckContiguousRows(Runs(second, x, DecodeRow), 20);
    EXPECT_GT(from2, 50);
    EXPECT_LE(from2, to + 1);
    EXPECT_EQ(to2, 149);
    test::RunCommand(send + "Command uint32:" + std::to_string(kCmdAppExit) + " >/dev/null 2>&1");  // File / Exit
    if (test::Terminate(app) < 0) ADD_FAILURE() << "clipvane did not end";
    test::Terminate(list);
}

}  // namespace
