// Video files through the GStreamer frame source: orientation, size,
// looping, holding the last frame, stopping, and broken files.
#include "vardo/vision/video_gst_backend.h"

#include "common/byte_io.h"

#include "temp_dir.h"
#include "test_video.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vardo::vision {
namespace {

using testing::TempDir;
using testing::TestVideoParams;

// Frame numbers as they arrive, read from the frames themselves.
class FrameLog {
public:
    FrameCallback callback()
    {
        return [this](std::span<const uint8_t> frame, int width, int height) {
            std::lock_guard lock(mutex_);
            if (frame.size() != size_t(width) * size_t(height) * 3)
                ++badLength_;
            numbers_.push_back(testing::readFrameNumber(frame.data(), width, height));
        };
    }
    std::vector<int> numbers() const
    {
        std::lock_guard lock(mutex_);
        return numbers_;
    }
    size_t count() const { return numbers().size(); }
    int badLength() const
    {
        std::lock_guard lock(mutex_);
        return badLength_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<int> numbers_;
    int badLength_ = 0;
};

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class VideoFileTest : public ::testing::Test {
protected:
    std::string makeVideo(const TestVideoParams& params, const char* name = "train.avi")
    {
        std::string path = dir.file(name);
        std::string error;
        EXPECT_TRUE(testing::writeTestVideo(path, params, error)) << error;
        return path;
    }

    std::unique_ptr<FrameSource> open(const std::string& path, bool loop, bool realTime = true)
    {
        VideoError error;
        OpenedSource opened = backend.openFile(path, {loop, realTime}, error);
        EXPECT_TRUE(opened.source != nullptr) << error.step << ": " << error.text;
        return std::move(opened.source);
    }

    TempDir dir;
    GstVideoBackend backend{[] { return std::vector<CameraDevice>{}; }};
};

TEST_F(VideoFileTest, FramesArriveBottomUpAtTheFileSize)
{
    TestVideoParams params;
    params.width = 160;
    params.height = 120;
    params.frames = 4;
    auto source = open(makeVideo(params), false);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->frameSize(), (FrameSize{160, 120}));

    std::mutex mutex;
    std::vector<uint8_t> first;
    FrameSize firstSize;
    source->setCallback([&](std::span<const uint8_t> frame, int w, int h) {
        std::lock_guard lock(mutex);
        if (first.empty()) {
            first.assign(frame.begin(), frame.end());
            firstSize = {w, h};
        }
    });
    VideoError error;
    ASSERT_TRUE(source->start(error)) << error.text;
    ASSERT_TRUE(waitFor([&] { std::lock_guard l(mutex); return !first.empty(); }, 5000));
    source->stop();

    ASSERT_EQ(firstSize, (FrameSize{160, 120}));
    ASSERT_EQ(first.size(), size_t(160 * 120 * 3));
    // The red mark drawn at the top left sits in the last rows of the buffer.
    const uint8_t* lastRow = first.data() + size_t(119) * 160 * 3;
    EXPECT_TRUE(testing::near({lastRow[15], lastRow[16], lastRow[17]}, testing::kTopLeftMark, 40));
    EXPECT_TRUE(testing::near(testing::pixelAt(first.data(), 160, 120, 8, 6), testing::kTopLeftMark, 40));
    EXPECT_TRUE(testing::near(testing::pixelAt(first.data(), 160, 120, 150, 112),
                              testing::kBottomRightMark, 40));
    EXPECT_TRUE(testing::near(testing::pixelAt(first.data(), 160, 120, 40, 60), testing::kBoard, 20));
    EXPECT_EQ(testing::readFrameNumber(first.data(), 160, 120), 0);
}

TEST_F(VideoFileTest, AnyInstalledContainerAndCodecDecodes)
{
    TestVideoParams params;
    params.codec = testing::VideoCodec::Vp8Webm;
    params.width = 128;
    params.height = 96;
    params.frames = 3;
    auto source = open(makeVideo(params, "train.webm"), false, false);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->frameSize(), (FrameSize{128, 96}));
    FrameLog log;
    source->setCallback(log.callback());
    VideoError error;
    ASSERT_TRUE(source->start(error));
    ASSERT_TRUE(waitFor([&] { return source->ended(); }, 5000));
    EXPECT_EQ(log.numbers(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(log.badLength(), 0);
}

TEST_F(VideoFileTest, LoopingRestartsAtFrameZero)
{
    TestVideoParams params;
    params.frames = 6;
    params.fps = 60;
    auto source = open(makeVideo(params), true);
    ASSERT_TRUE(source);
    FrameLog log;
    source->setCallback(log.callback());
    VideoError error;
    ASSERT_TRUE(source->start(error));
    ASSERT_TRUE(waitFor([&] { return log.count() >= 15; }, 10000)) << log.count();
    source->stop();
    EXPECT_FALSE(source->ended());

    std::vector<int> numbers = log.numbers();
    ASSERT_EQ(numbers[0], 0);
    // Every frame follows its predecessor, and after the last comes the first.
    int wraps = 0;
    for (size_t i = 1; i < numbers.size(); ++i) {
        if (numbers[i - 1] == params.frames - 1) {
            EXPECT_EQ(numbers[i], 0) << "at " << i;
            ++wraps;
        } else {
            EXPECT_EQ(numbers[i], numbers[i - 1] + 1) << "at " << i;
        }
    }
    EXPECT_GE(wraps, 2);
}

TEST_F(VideoFileTest, WithoutLoopTheLastFrameIsHeld)
{
    TestVideoParams params;
    params.frames = 5;
    auto source = open(makeVideo(params), false);
    ASSERT_TRUE(source);
    FrameLog log;
    source->setCallback(log.callback());
    VideoError error;
    ASSERT_TRUE(source->start(error));
    ASSERT_TRUE(waitFor([&] { return source->ended(); }, 5000));
    // The end of the stream comes after its last frame: all five are in.
    EXPECT_EQ(log.numbers(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(source->running());

    std::vector<uint8_t> held;
    FrameSize size;
    ASSERT_TRUE(source->lastFrame(held, size));
    EXPECT_EQ(size, (FrameSize{320, 240}));
    EXPECT_EQ(testing::readFrameNumber(held.data(), size.width, size.height), 4);
    EXPECT_TRUE(source->streamError().empty());

    // Run again: the file plays from its start. Once stopped (which waits
    // for the streaming thread) no frame followed the held one.
    ASSERT_TRUE(source->stop());
    EXPECT_EQ(log.count(), 5u);
    ASSERT_TRUE(source->start(error));
    ASSERT_TRUE(waitFor([&] { return source->ended(); }, 5000));
    EXPECT_EQ(log.count(), 10u);
    EXPECT_EQ(log.numbers()[5], 0);
}

TEST_F(VideoFileTest, NoCallbackRunsAfterStop)
{
    TestVideoParams params;
    params.width = 160;
    params.height = 120;
    params.frames = 30;
    auto source = open(makeVideo(params), true, false);
    ASSERT_TRUE(source);

    std::atomic<bool> stopped{false};
    std::atomic<int> late{0};
    std::atomic<int> inside{0};
    std::atomic<int> frames{0};
    source->setCallback([&](std::span<const uint8_t>, int, int) {
        inside.fetch_add(1);
        if (stopped.load())
            late.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        if (stopped.load())
            late.fetch_add(1);
        frames.fetch_add(1);
        inside.fetch_sub(1);
    });
    auto began = std::chrono::steady_clock::now();
    for (int cycle = 0; cycle < 200; ++cycle) {
        VideoError error;
        stopped.store(false);
        int before = frames.load();
        ASSERT_TRUE(source->start(error)) << cycle << " " << error.text;
        // Let frames flow in most cycles; stop at once in some.
        if (cycle % 4 != 0)
            waitFor([&] { return frames.load() > before; }, 2000);
        ASSERT_TRUE(source->stop());
        stopped.store(true);
        EXPECT_EQ(inside.load(), 0) << cycle;
    }
    // Releasing the source joins every thread of its pipeline: a callback
    // still due would have run by then.
    source.reset();
    EXPECT_EQ(late.load(), 0);
    EXPECT_GT(frames.load(), 150);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(30));
}

TEST_F(VideoFileTest, StopFromInsideTheCallbackIsRefused)
{
    TestVideoParams params;
    params.frames = 3;
    auto source = open(makeVideo(params), true, false);
    ASSERT_TRUE(source);
    std::atomic<int> refused{0};
    std::atomic<int> calls{0};
    FrameSource* raw = source.get();
    source->setCallback([&](std::span<const uint8_t>, int, int) {
        if (calls.fetch_add(1) == 0 && !raw->stop())
            refused.fetch_add(1);
    });
    VideoError error;
    ASSERT_TRUE(source->start(error));
    ASSERT_TRUE(waitFor([&] { return calls.load() >= 3; }, 5000));
    EXPECT_TRUE(source->stop());
    EXPECT_EQ(refused.load(), 1);
}

TEST_F(VideoFileTest, BrokenFilesFailWithTheStepAndGStreamersText)
{
    VideoError missing;
    EXPECT_FALSE(backend.openFile(dir.file("absent.avi"), {}, missing).source);
    EXPECT_EQ(missing.step, "Get Status");
    EXPECT_EQ(missing.text, "Resource not found.");

    // Bytes that no decoder takes.
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk.push_back(char((i * 7919 + 13) % 251));
    dir.write("junk.avi", junk);
    VideoError undecodable;
    EXPECT_FALSE(backend.openFile(dir.file("junk.avi"), {}, undecodable).source);
    EXPECT_EQ(undecodable.step, "Get Status");
    EXPECT_FALSE(undecodable.text.empty());

    // A file that starts like a video and then stops short.
    TestVideoParams params;
    std::string whole = makeVideo(params);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(common::readWholeFile(whole, bytes));
    dir.write("cut.avi", std::string(bytes.begin(), bytes.begin() + 200));
    VideoError cut;
    EXPECT_FALSE(backend.openFile(dir.file("cut.avi"), {}, cut).source);
    EXPECT_FALSE(cut.text.empty());
}

} // namespace
} // namespace vardo::vision
