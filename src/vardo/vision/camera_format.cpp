#include "vardo/vision/camera_format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

namespace vardo::vision {

std::string CameraFormat::label() const
{
    std::string text = std::to_string(width) + "x" + std::to_string(height) + " ";
    text += format.empty() ? mediaType : format;
    if (fpsNumerator > 0 && fpsDenominator > 0) {
        char rate[32];
        double fps = double(fpsNumerator) / fpsDenominator;
        std::snprintf(rate, sizeof rate, fpsNumerator % fpsDenominator == 0 ? " %.0ffps" : " %.2ffps",
                      fps);
        text += rate;
    }
    return text;
}

void sortFormats(std::vector<CameraFormat>& formats)
{
    auto key = [](const CameraFormat& f) {
        // Larger sizes and faster rates first.
        return std::make_tuple(f.mediaType, f.format, -f.width, -f.height,
                               -(f.fpsDenominator > 0 ? double(f.fpsNumerator) / f.fpsDenominator : 0.0));
    };
    std::sort(formats.begin(), formats.end(),
              [&](const CameraFormat& a, const CameraFormat& b) { return key(a) < key(b); });
    formats.erase(std::unique(formats.begin(), formats.end()), formats.end());
}

namespace {

// Leading blanks, a sign and digits, as the settings files have always been read.
int leadingInt(const std::string& text)
{
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > 100000 || value < -100000)
        return 0;
    return int(value);
}

} // namespace

FrameSize parseResolution(const std::string& text)
{
    size_t comma = text.find(',');
    if (comma == std::string::npos) {
        int both = leadingInt(text);
        return {both, both};
    }
    return {leadingInt(text.substr(0, comma)), leadingInt(text.substr(comma + 1))};
}

std::string formatResolution(FrameSize size)
{
    return std::to_string(size.width) + "," + std::to_string(size.height);
}

} // namespace vardo::vision
