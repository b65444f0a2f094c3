#include "vardo/panel/skin.h"

#include "common/bmp.h"
#include "common/paths.h"
#include "common/profile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace vardo::panel {

namespace {

using common::Profile;
constexpr const char* kSection = "CONTROL";

// Coordinates beyond this lie off any screen; a mistyped number is clamped
// here instead of overflowing the integer it becomes.
constexpr double kMaxCoordinate = 100000;

int toCoordinate(double v)
{
    return int(std::clamp(v, -kMaxCoordinate, kMaxCoordinate));
}

// Numbers separated by commas or blanks; at most max of them. "nan" and
// "inf" count as no number.
std::vector<double> parseNumbers(const std::string& text, size_t max)
{
    std::vector<double> out;
    const char* p = text.c_str();
    while (*p && out.size() < max) {
        while (*p == ' ' || *p == ',' || *p == '\t')
            ++p;
        if (!*p)
            break;
        char* end = nullptr;
        double v = std::strtod(p, &end);
        if (end == p || !std::isfinite(v))
            break; // not a number: the rest is ignored
        out.push_back(v);
        p = end;
    }
    return out;
}

bool readPair(const std::string& ini, const std::string& key, QPoint& out)
{
    auto v = parseNumbers(Profile::getString(ini, kSection, key, ""), 2);
    if (v.size() < 2)
        return false;
    out = QPoint(toCoordinate(v[0]), toCoordinate(v[1]));
    return true;
}

void readJogAngles(const std::string& ini, int speedServo, Skin& s)
{
    s.restAngle = kDefaultRestAngle;
    s.endAngle = kDefaultEndAngle;
    s.runningAngle = speedServo >= kReversedRunningServo ? kDefaultEndAngle : kDefaultRunningAngle;
    auto v = parseNumbers(Profile::getString(ini, kSection, "JOG_ANGLE", ""), 3);
    if (v.size() > 0)
        s.restAngle = v[0];
    if (v.size() > 1)
        s.endAngle = v[1];
    if (v.size() > 2)
        s.runningAngle = v[2];
}

void readRegion(const std::string& ini, Skin& s)
{
    auto v = parseNumbers(Profile::getString(ini, kSection, "JOG_RGN", ""), 2 * kMaxRegionPoints);
    s.region.clear();
    for (size_t i = 0; i + 1 < v.size(); i += 2)
        s.region.emplace_back(toCoordinate(v[i]), toCoordinate(v[i + 1]));
}

bool readPictures(const std::string& folder, Skin& s, std::string* failedFile)
{
    for (int i = 0; i < s.positionCount; ++i) {
        if (s.positions[size_t(i)].x() == -1)
            continue;
        const std::string name = "control" + std::to_string(i) + ".bmp";
        s.pictures[size_t(i)] = readSkinPicture(common::joinPath(folder, name));
        if (s.pictures[size_t(i)].isNull()) {
            if (failedFile)
                *failedFile = name;
            return false;
        }
    }
    return true;
}

} // namespace

std::string skinFolder(const std::string& programFolder, int number)
{
    return common::joinPath(programFolder, "control" + std::to_string(number));
}

QImage readSkinPicture(const std::string& path)
{
    common::Bitmap bmp;
    if (!common::readBitmap(path, bmp) || bmp.width <= 0 || bmp.height <= 0)
        return {};
    QImage image(bmp.width, bmp.height, QImage::Format_RGB888);
    for (int y = 0; y < bmp.height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < bmp.width; ++x) {
            const uint8_t* px = bmp.pixel(x, y);
            row[3 * x] = px[2];
            row[3 * x + 1] = px[1];
            row[3 * x + 2] = px[0];
        }
    }
    return image;
}

bool loadSkin(const std::string& folder, int number, int speedServo, Skin& out,
              std::string* failedFile)
{
    const std::string ini = common::joinPath(folder, "control.ini");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(ini, ec)) {
        if (failedFile)
            *failedFile = "control.ini";
        return false;
    }
    Skin s;
    s.number = number;
    s.folder = folder;
    s.jogRadius = Profile::getInt(ini, kSection, "JOG_RADIUS", 20);
    for (int i = 0; i < kSkinPositions; ++i) {
        const std::string key = "POSITION" + std::to_string(i);
        if (!Profile::hasKey(ini, kSection, key))
            break;
        QPoint p(-1, -1);
        if (!readPair(ini, key, p))
            p = QPoint(-1, -1); // "-1" alone: no picture here
        s.positions[size_t(i)] = p;
        s.positionCount = i + 1;
    }
    // Without a background there is no panel to draw.
    if (s.positionCount == 0 || s.positions[0].x() == -1) {
        if (failedFile)
            *failedFile = "control0.bmp";
        return false;
    }
    if (!readPictures(folder, s, failedFile))
        return false;
    QPoint centre;
    if (readPair(ini, "JOG_POSITION", centre))
        s.jogCentre = QPointF(centre);
    else
        s.jogCentre = QRectF(s.rect(role::Jog)).center();
    readJogAngles(ini, speedServo, s);
    s.handleFile = Profile::getString(ini, kSection, "JOG_HANDLE", "");
    if (!s.handleFile.empty()) {
        s.handle = readSkinPicture(common::joinPath(folder, s.handleFile));
        if (s.handle.isNull()) {
            if (failedFile)
                *failedFile = s.handleFile;
            return false;
        }
        readRegion(ini, s);
    }
    out = std::move(s);
    return true;
}

} // namespace vardo::panel
