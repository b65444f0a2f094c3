#pragma once
// What the rest of the program needs from a source of video frames, and
// nothing more: fixed-size frames, bottom-up rows of blue-green-red bytes
// without padding, handed over one at a time on a thread of the source.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vardo::vision {

struct FrameSize {
    int width = 0;
    int height = 0;
    bool operator==(const FrameSize&) const = default;
    bool empty() const { return width <= 0 || height <= 0; }
};

// One frame: width x height x 3 bytes, bottom row first. Runs on the
// source's own thread; the bytes are valid only during the call.
using FrameCallback = std::function<void(std::span<const uint8_t> frame, int width, int height)>;

// A failed step of the video framework: the step's name and the
// framework's own error text.
struct VideoError {
    std::string step;
    std::string text;
    bool empty() const { return step.empty(); }
};

class FrameSource {
public:
    virtual ~FrameSource() = default;

    // Set before start(); not while frames flow.
    virtual void setCallback(FrameCallback callback) = 0;
    // Frames start to flow.
    virtual bool start(VideoError& error) = 0;
    // When stop() returns no callback runs and none will until the next
    // start(). False when called from the callback itself, which cannot
    // wait for its own end; the source is then left running.
    virtual bool stop() = 0;
    virtual bool running() const = 0;
    // The size of the connected format; empty until it is known.
    virtual FrameSize frameSize() const = 0;
    // A file came to its end and does not loop: no more frames come, and
    // lastFrame() holds the one shown last.
    virtual bool ended() const = 0;
    // A failure while frames flowed; empty when there was none.
    virtual VideoError streamError() const = 0;
    // A copy of the last delivered frame; false when none came yet.
    virtual bool lastFrame(std::vector<uint8_t>& frame, FrameSize& size) const = 0;
};

} // namespace vardo::vision
