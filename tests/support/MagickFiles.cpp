#include "support/MagickFiles.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace clipvane::test {

ScratchDir::ScratchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/clipvane-files-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
}

ScratchDir::~ScratchDir() {
    if (!path_.empty()) Run("rm -rf " + Quote(path_));
}

std::vector<std::string> ScratchDir::Entries() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(path_.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

bool Magick(const std::string& args) { return Run("convert " + args + " 2>/dev/null") == 0; }

RgbaPixels MagickPixels(const std::string& file, int frame, const std::string& options) {
    RgbaPixels px;
    const std::string spec = Quote(file + "[" + std::to_string(frame) + "]");
    std::istringstream size(Capture("identify -format '%w %h' " + spec + " 2>/dev/null"));
    size >> px.width >> px.height;
    if (px.width <= 0 || px.height <= 0) return {};
    // Without -coalesce a GIF frame comes out at its own size, as FreeImage
    // returns it.
    const std::string raw = Capture("convert " + spec + " " + options + " -depth 8 rgba:- 2>/dev/null");
    if (raw.size() != size_t(px.width) * size_t(px.height) * 4) return {};
    px.rgba.assign(raw.begin(), raw.end());
    return px;
}

RgbaPixels ImagePixels(const clipvane::PixelImage& image) {
    RgbaPixels px;
    if (image.IsEmpty()) return px;
    px.width = image.Width();
    px.height = image.Height();
    px.rgba.resize(size_t(px.width) * size_t(px.height) * 4);
    const auto& pal = image.Palette();
    uint8_t* o = px.rgba.data();
    for (int y = 0; y < px.height; ++y) {
        for (int x = 0; x < px.width; ++x, o += 4) {
            const uint32_t v = image.GetPixel(x, y);
            uint8_t r, g, b, a = 255;
            switch (image.Depth()) {
            case 1:
            case 4:
            case 8:
                r = pal[v].rgbRed;
                g = pal[v].rgbGreen;
                b = pal[v].rgbBlue;
                break;
            case 16:
                if (image.GreenMask() == 0x07E0) {
                    r = uint8_t((v >> 8) & 0xF8);
                    g = uint8_t((v >> 3) & 0xFC);
                } else {
                    r = uint8_t((v >> 7) & 0xF8);
                    g = uint8_t((v >> 2) & 0xF8);
                }
                b = uint8_t((v << 3) & 0xF8);
                break;
            default:
                r = uint8_t(v >> 16);
                g = uint8_t(v >> 8);
                b = uint8_t(v);
                if (image.Depth() == 32) a = uint8_t(v >> 24);
            }
            o[0] = r;
            o[1] = g;
            o[2] = b;
            o[3] = a;
        }
    }
    return px;
}

int MaxDifference(const RgbaPixels& a, const RgbaPixels& b, bool withAlpha) {
    if (a.width != b.width || a.height != b.height || a.rgba.size() != b.rgba.size() || a.rgba.empty()) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i) {
        if (!withAlpha && i % 4 == 3) continue;
        const int d = std::abs(int(a.rgba[i]) - int(b.rgba[i]));
        if (d > worst) worst = d;
    }
    return worst;
}

double MeanDifference(const RgbaPixels& a, const RgbaPixels& b) {
    if (a.width != b.width || a.height != b.height || a.rgba.size() != b.rgba.size() || a.rgba.empty()) return -1;
    double sum = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i)
        if (i % 4 != 3) sum += std::abs(int(a.rgba[i]) - int(b.rgba[i]));
    return sum / double(a.rgba.size() / 4 * 3);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

}  // namespace clipvane::test
