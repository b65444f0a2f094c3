#pragma once
// A video made at test time: a dark car going round an oval drawn on a
// light board, once per `lapFrames` frames, starting at the right-hand end
// and going the way the picture's y axis grows. Nothing else changes
// between frames, so the car is the only thing detection sees move.
#include <cstdint>
#include <string>
#include <vector>

namespace vardo::testing {

struct OvalVideo {
    int width = 320;
    int height = 240;
    int frames = 120;
    int lapFrames = 120;
    int fps = 30;
    // The oval the car's centre follows.
    double centreX() const { return width / 2.0; }
    double centreY() const { return height / 2.0; }
    double radiusX() const { return width * 0.3125; }
    double radiusY() const { return height * 0.3125; }
};

// Frame `index`, top row first, packed blue-green-red.
std::vector<uint8_t> drawOvalFrame(const OvalVideo& video, int index);

// Motion-JPEG in AVI; false with a reason.
bool writeOvalVideo(const std::string& path, const OvalVideo& video, std::string& error);

} // namespace vardo::testing
