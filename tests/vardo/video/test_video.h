#pragma once
// Small test videos made at test time: a dark car going round a drawn oval
// on a light board, with marks that tell the frame's orientation and number.
#include <cstdint>
#include <string>
#include <vector>

namespace vardo::testing {

enum class VideoCodec { MotionJpegAvi, Vp8Webm };

struct TestVideoParams {
    int width = 320; // a multiple of 4: rows need no padding
    int height = 240;
    int frames = 12;
    int fps = 30;
    VideoCodec codec = VideoCodec::MotionJpegAvi;
};

// Colours (blue, green, red) of the marks.
struct Bgr {
    uint8_t b, g, r;
};
inline constexpr Bgr kBoard{200, 200, 200};
inline constexpr Bgr kTopLeftMark{0, 0, 255};     // red block, top left of the picture
inline constexpr Bgr kBottomRightMark{255, 0, 0}; // blue block, bottom right

// Frame `index` of the video, top row first, packed BGR.
std::vector<uint8_t> drawTestFrame(const TestVideoParams& params, int index);

// The frame number read back from a delivered (bottom-up) frame; -1 when
// the number mark is unreadable.
int readFrameNumber(const uint8_t* bottomUp, int width, int height);

// The pixel at (x, y) counted from the top left, in a bottom-up frame.
Bgr pixelAt(const uint8_t* bottomUp, int width, int height, int x, int y);
bool near(Bgr a, Bgr b, int tolerance);

// Encodes the frames with GStreamer into `path`; false with a reason.
bool writeTestVideo(const std::string& path, const TestVideoParams& params, std::string& error);

} // namespace vardo::testing
