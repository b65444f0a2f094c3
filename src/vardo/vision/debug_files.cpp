#include "vardo/vision/debug_files.h"

#include "common/bmp.h"
#include "common/paths.h"

#include <cstdio>

namespace vardo::vision {

namespace {

void writeLine(const std::string& programFolder, const char* mode, int x, int y)
{
    const std::string path = common::joinPath(programFolder, kPositionLogName);
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f)
        return;
    std::fprintf(f, "TrainPosition=%d,%d\n", x, y);
    std::fclose(f);
}

} // namespace

void appendPositionLog(const std::string& programFolder, int x, int y)
{
    writeLine(programFolder, "a", x, y);
}

void recreatePositionLog(const std::string& programFolder, int x, int y)
{
    writeLine(programFolder, "w", x, y);
}

bool writeFrameDump(const std::string& folder, int number, std::span<const uint8_t> frame,
                    int width, int height)
{
    common::Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    if (width <= 0 || height <= 0 || frame.size() != size_t(width) * size_t(height) * 3)
        return false;
    bitmap.bgr.assign(frame.begin(), frame.end());
    char name[32];
    std::snprintf(name, sizeof name, "%06d.bmp", number);
    const std::string path = common::joinPath(common::toNativePath(folder), name);
    const std::vector<uint8_t> bytes = common::encodeBitmap(bitmap);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace vardo::vision
