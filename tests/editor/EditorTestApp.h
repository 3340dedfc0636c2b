#pragma once
#include <QApplication>

#include "image/PixelImage.h"

namespace cvtest {

// One QApplication for the whole test program (offscreen platform).
inline QApplication* EditorApp() {
    static int argc = 1;
    static char name[] = "test_editor";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    return qApp;
}

// A 32-bit image whose pixel (x, y) has blue x, green y, red x + y (mod 256).
inline clipvane::PixelImage Gradient(int w, int h, int depth = 32) {
    clipvane::PixelImage image;
    image.Create(w, h, depth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAddress(x, y);
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(x + y);
            if (depth == 32) p[3] = 255;
        }
    return image;
}

inline bool SamePixels(const clipvane::PixelImage& a, const clipvane::PixelImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Depth() != b.Depth()) return false;
    const int bytes = a.Width() * a.Depth() / 8;
    for (int y = 0; y < a.Height(); ++y)
        for (int i = 0; i < bytes; ++i)
            if (a.Row(y)[i] != b.Row(y)[i]) return false;
    return true;
}

}  // namespace cvtest
