#pragma once
// A frame source of plain C++: a thread of its own draws a car going round
// an oval and hands each frame to the callback, as a camera's streaming
// thread would. No library sits between that thread and ours, so every
// hand-over on the way to detection, the control loop and the window is
// our own code.
#include "oval_video.h"
#include "ui_fixture.h"
#include "vardo/vision/video_backend.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace ui_fixtures {

class CircuitSource : public vardo::vision::FrameSource {
public:
    explicit CircuitSource(vardo::testing::OvalVideo video) : video_(video) {}
    ~CircuitSource() override { stop(); }

    void setCallback(vardo::vision::FrameCallback callback) override
    {
        std::lock_guard lock(mutex_);
        callback_ = std::move(callback);
    }
    bool start(vardo::vision::VideoError&) override
    {
        if (!thread_.joinable()) {
            quit_.store(false);
            thread_ = std::thread([this] { run(); });
        }
        return true;
    }
    bool stop() override
    {
        if (thread_.get_id() == std::this_thread::get_id())
            return false;
        quit_.store(true);
        if (thread_.joinable())
            thread_.join();
        return true;
    }
    bool running() const override { return !quit_.load(); }
    vardo::vision::FrameSize frameSize() const override { return {video_.width, video_.height}; }
    bool ended() const override { return false; }
    vardo::vision::VideoError streamError() const override { return {}; }
    bool lastFrame(std::vector<uint8_t>&, vardo::vision::FrameSize&) const override { return false; }

    // The index of the last frame the callback finished with; -1 before.
    int lastDelivered() const { return delivered_.load(); }

private:
    void run()
    {
        for (int index = 0; !quit_.load(); ++index) {
            const std::vector<uint8_t> frame = bottomUp(vardo::testing::drawOvalFrame(video_, index));
            vardo::vision::FrameCallback callback;
            {
                std::lock_guard lock(mutex_);
                callback = callback_;
            }
            if (callback)
                callback(frame, video_.width, video_.height);
            delivered_.store(index);
        }
    }

    std::vector<uint8_t> bottomUp(const std::vector<uint8_t>& topDown) const
    {
        const size_t row = size_t(video_.width) * 3;
        std::vector<uint8_t> flipped(topDown.size());
        for (size_t y = 0; y < size_t(video_.height); ++y)
            std::copy_n(topDown.begin() + long(y * row), row,
                        flipped.begin() + long((size_t(video_.height) - 1 - y) * row));
        return flipped;
    }

    const vardo::testing::OvalVideo video_;
    std::mutex mutex_;
    vardo::vision::FrameCallback callback_;
    std::thread thread_;
    std::atomic<bool> quit_{true};
    std::atomic<int> delivered_{-1};
};

// A video framework without cameras whose every file is the circuit.
class CircuitBackend : public FileOnlyBackend<CircuitSource> {
public:
    explicit CircuitBackend(vardo::testing::OvalVideo video)
        : FileOnlyBackend([video] { return std::make_unique<CircuitSource>(video); })
    {
    }
};

} // namespace ui_fixtures
