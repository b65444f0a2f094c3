#pragma once
// Skin folders written by code for the panel tests: every button a plain
// 40 x 40 picture in a grid, the jog dial explicit.
#include "common/bmp.h"
#include "temp_dir.h"

#include <QRect>

#include <string>

namespace paneltest {

struct SkinLayout {
    int positions = 16; // POSITION0 .. POSITION<positions - 1>
    int missingPicture = -1;
    std::string jogAngle = "-2.3561925,-0.7853975,1.570795";
    bool writeJogAngle = true;
    std::string handle; // JOG_HANDLE
};

template <class F> SkinLayout skinWith(F change)
{
    SkinLayout s;
    change(s);
    return s;
}

inline constexpr int kWidth = 440, kHeight = 200;
inline constexpr int kJogX = 220, kJogY = 130, kJogRadius = 30;

// Where button i (1..15) lies.
inline QRect buttonRect(int i)
{
    return QRect(((i - 1) % 8) * 50 + 5, ((i - 1) / 8) * 50 + 5, 40, 40);
}

inline void writePicture(const std::string& path, int w, int h, uint8_t grey)
{
    common::Bitmap b;
    b.width = w;
    b.height = h;
    b.bgr.assign(size_t(w) * size_t(h) * 3, grey);
    common::writeBitmap(path, b);
}

inline void writeSkin(const vardo::testing::TempDir& dir, const std::string& name,
                      const SkinLayout& layout = {})
{
    std::string ini = "[CONTROL]\n";
    for (int i = 0; i < layout.positions; ++i) {
        const QRect r = i == 0 ? QRect(0, 0, kWidth, kHeight) : buttonRect(i);
        ini += "POSITION" + std::to_string(i) + "=" + std::to_string(r.x()) + "," +
               std::to_string(r.y()) + "\n";
        if (i != layout.missingPicture) {
            dir.write(name + "/.keep", "");
            const int side = i == 9 ? 20 : r.width();
            writePicture(dir.file(name + "/control" + std::to_string(i) + ".bmp"),
                         i == 0 ? kWidth : side, i == 0 ? kHeight : side, uint8_t(20 + i * 10));
        }
    }
    ini += "JOG_RADIUS=" + std::to_string(kJogRadius) + "\n";
    ini += "JOG_POSITION=" + std::to_string(kJogX) + "," + std::to_string(kJogY) + "\n";
    if (layout.writeJogAngle)
        ini += "JOG_ANGLE=" + layout.jogAngle + "\n";
    if (!layout.handle.empty())
        ini += "JOG_HANDLE=" + layout.handle + "\nJOG_RGN=190,100,250,100,250,160,190,160\n";
    dir.write(name + "/control.ini", ini);
}

} // namespace paneltest
