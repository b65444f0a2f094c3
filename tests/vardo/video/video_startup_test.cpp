// The video source at start-up and shutdown: no camera means simulation,
// a broken -i file is reported, a good one runs until shutdown stops it.
#include "vardo/app/video_startup.h"

#include "common/profile.h"
#include "vardo/base/command_ids.h"
#include "fake_cameras.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "test_video.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vardo::vision {
namespace {

using testing::RecordingFrontend;
using testing::TempDir;

const std::string kNoCameraNotice =
    "接続されたカメラが見つかりません。\nカメラを接続するか画像ファイルを開いてください。\n"
    "本プログラムはシミュレーションモードで起動されます。";

class VideoStartupTest : public ::testing::Test {
protected:
    VideoStartupTest()
    {
        dir.write("VARDO.ini", "[CAPTURE]\nLOOP=1\n");
        dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n");
    }

    void capture(const char* key, const char* value)
    {
        common::Profile::writeString(dir.file("option.ini"), "CAPTURE", key, value);
    }

    // Start-up with only the video source plugged in.
    StartupOutcome start(int cameras, const std::string& commandLine = "vardo")
    {
        backend = std::make_unique<GstVideoBackend>([cameras] { return testing::testCameras(cameras); });
        VideoSourceHooks hooks;
        hooks.analyzeFrame = [this](std::span<const uint8_t>, int, int) { frames.fetch_add(1); };
        hooks.resetDetector = [this] { ++resets; };
        video = std::make_unique<VideoSource>(*backend, frontend, rail.settings(), hooks);
        startup = std::make_unique<Startup>(rail, frontend);
        installVideoSource(*startup, shutdown, *video);
        return startup->onPaint(commandLine);
    }

    bool simulationPosted() const
    {
        for (int id : frontend.postedCommands())
            if (id == cmd::Simulation)
                return true;
        return false;
    }

    TempDir dir;
    RailSystem rail{dir.path()};
    RecordingFrontend frontend;
    Shutdown shutdown{rail};
    std::unique_ptr<GstVideoBackend> backend;
    std::unique_ptr<VideoSource> video;
    std::unique_ptr<Startup> startup;
    std::atomic<int> frames{0};
    int resets = 0;
};

TEST_F(VideoStartupTest, NoCameraStartsSimulationWithTheNotice)
{
    ASSERT_EQ(start(0), StartupOutcome::Started);
    EXPECT_EQ(frontend.notices(), (std::vector<std::string>{kNoCameraNotice}));
    EXPECT_TRUE(simulationPosted());
    EXPECT_TRUE(frontend.messages().empty());
    EXPECT_FALSE(video->built());
}

TEST_F(VideoStartupTest, NoCameraNoticeCanBeSuppressed)
{
    frontend.noticeTicksBox = true;
    ASSERT_EQ(start(0), StartupOutcome::Started);
    EXPECT_EQ(common::Profile::getInt(dir.file("option.ini"), "CAPTURE", "SURPRESS_MESSAGE", 0), 1);
    EXPECT_TRUE(simulationPosted());
}

TEST_F(VideoStartupTest, SuppressedNoticeOrChoiceNoneGoStraightToSimulation)
{
    capture("SURPRESS_MESSAGE", "1");
    ASSERT_EQ(start(0), StartupOutcome::Started);
    EXPECT_TRUE(frontend.notices().empty());
    EXPECT_TRUE(simulationPosted());
}

TEST_F(VideoStartupTest, ChoiceNoneWithCamerasPresentIsSimulationWithoutNotice)
{
    capture("DEVICE", "0");
    ASSERT_EQ(start(2), StartupOutcome::Started);
    EXPECT_TRUE(frontend.notices().empty());
    EXPECT_TRUE(simulationPosted());
    EXPECT_FALSE(video->built());
}

TEST_F(VideoStartupTest, CameraRunsFromStartUpUntilShutdown)
{
    ASSERT_EQ(start(1), StartupOutcome::Started);
    EXPECT_FALSE(simulationPosted());
    EXPECT_TRUE(video->running());
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (frames.load() < 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(frames.load(), 2);
    shutdown.run();
    EXPECT_FALSE(video->built());
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(video->running());
    // Shutdown returns only once the streaming thread has left the last
    // frame: tearing down what is left (which joins every thread of the
    // pipeline) delivers nothing more.
    const int after = frames.load();
    video.reset();
    backend.reset();
    EXPECT_EQ(frames.load(), after);
}

TEST_F(VideoStartupTest, MissingVideoFileIsReportedAndStartUpGoesOn)
{
    ASSERT_EQ(start(1, "vardo -i" + dir.file("nothing.avi")), StartupOutcome::Started);
    std::vector<RecordingFrontend::Message> messages = frontend.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind("Direct Show Error:Get Status\n", 0), 0u) << messages[0].text;
    EXPECT_EQ(messages[1].text, "DirectXの初期化に失敗しました");
    EXPECT_EQ(messages[1].icon, Icon::Stop);
    EXPECT_FALSE(simulationPosted());
    EXPECT_TRUE(rail.started());
}

TEST_F(VideoStartupTest, VideoFileOfTheCommandLineIsTheSource)
{
    testing::TestVideoParams params;
    params.frames = 3;
    std::string error;
    ASSERT_TRUE(testing::writeTestVideo(dir.file("run.avi"), params, error)) << error;
    ASSERT_EQ(start(2, "vardo -i" + dir.file("run.avi")), StartupOutcome::Started);
    EXPECT_TRUE(video->running());
    EXPECT_EQ(video->deviceNumber(), -1);
    EXPECT_EQ(video->frameSize(), (FrameSize{320, 240}));
    shutdown.run();
    EXPECT_FALSE(video->built());
}

} // namespace
} // namespace vardo::vision
