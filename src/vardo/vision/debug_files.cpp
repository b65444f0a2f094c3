#include "vardo/vision/debug_files.h"

#include "common/atomic_file.h"
#include "common/bmp.h"
#include "common/paths.h"

#include <cstdio>

namespace vardo::vision {

namespace {

std::string positionLine(int x, int y)
{
    return "TrainPosition=" + std::to_string(x) + "," + std::to_string(y) + "\n";
}

} // namespace

// Appending is a log's own way of growing: a line cut short by a kill costs
// only that line, so it does not take the whole-file route.
void appendPositionLog(const std::string& programFolder, int x, int y)
{
    const std::string path = common::joinPath(programFolder, kPositionLogName);
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (!f)
        return;
    std::fputs(positionLine(x, y).c_str(), f);
    std::fclose(f);
}

void recreatePositionLog(const std::string& programFolder, int x, int y)
{
    common::writeFileAtomic(common::joinPath(programFolder, kPositionLogName), positionLine(x, y));
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
    return common::writeFileAtomic(path, common::encodeBitmap(bitmap));
}

} // namespace vardo::vision
