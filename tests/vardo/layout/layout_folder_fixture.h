#pragma once
// A program folder laid out in a temporary folder: VARDO.ini, option.ini,
// layout/ with the files a test chooses, sample/train/.
#include "common/bmp.h"
#include "common/byte_io.h"
#include "layoutdata/layout_files.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/layout/layout.h"

#include <QColor>
#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

namespace layout_fixtures {

class ProgramFolder {
public:
    ProgramFolder()
    {
        std::filesystem::create_directories(dir.file("layout"));
        std::filesystem::create_directories(dir.file("sample/train"));
    }
    std::string layoutFile(const std::string& name) const { return dir.file("layout/" + name); }
    void writeBytes(const std::string& path, std::vector<uint8_t> bytes) const
    {
        common::writeFileAtomic(path, bytes);
    }
    // The same file with its first tag byte spoiled.
    void writeWrongTag(const std::string& path, std::vector<uint8_t> bytes) const
    {
        bytes[0] = 'x';
        writeBytes(path, bytes);
    }
    vardo::layout::LayoutPaths paths() const
    {
        return {dir.path(), dir.file("VARDO.ini"), dir.file("option.ini"), ""};
    }
    static common::Bitmap solidBitmap(int w, int h, uint8_t r, uint8_t g, uint8_t b)
    {
        common::Bitmap bm;
        bm.width = w;
        bm.height = h;
        bm.bgr.resize(size_t(w) * size_t(h) * 3);
        for (size_t i = 0; i < bm.bgr.size(); i += 3) {
            bm.bgr[i] = b;
            bm.bgr[i + 1] = g;
            bm.bgr[i + 2] = r;
        }
        return bm;
    }

    vardo::testing::TempDir dir;
};

// One pixel of a drawn picture as a colour.
inline QColor pixelAt(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

} // namespace layout_fixtures
