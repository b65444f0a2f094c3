// The video source's logic over the GStreamer backend with test cameras:
// the camera menu, the camera choice and its stale forms, the size rule of
// the camera settings, failures, and the stop before the detector reset.
#include "vardo/vision/video_source.h"

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

const std::string kCameraSelected = "カメラが設定されました。ライブ画像に切り替えます。";
const std::string kResolutionFailed =
    "カメラの解像度の設定に失敗しました。現在設定されている解像度をそのまま使用します。";
const std::string kSizeQuestion =
    "カメラの画面サイズが320x240より大きく設定されました。\n"
    "画像解析処理に時間がかかりますがこの設定でよろしいですか？";
const std::string kDirectXFailed = "DirectXの初期化に失敗しました";

class VideoSourceTest : public ::testing::Test {
protected:
    VideoSourceTest() { dir.write("VARDO.ini", "[CAPTURE]\nLOOP=1\n"); }

    void option(const std::string& key, const std::string& value)
    {
        common::Profile::writeString(dir.file("option.ini"), "CAPTURE", key, value);
    }
    std::string option(const std::string& key)
    {
        return common::Profile::getString(dir.file("option.ini"), "CAPTURE", key, "(absent)");
    }

    // A video source over `cameraCount` test cameras, initialised.
    VideoSource& make(int cameraCount, bool broken = false)
    {
        video.reset();
        backend = std::make_unique<GstVideoBackend>(
            [cameraCount, broken] { return testing::testCameras(cameraCount, broken); });
        VideoSourceHooks hooks;
        hooks.analyzeFrame = [this](std::span<const uint8_t> frame, int w, int h) {
            inCallback.fetch_add(1);
            if (frame.size() == size_t(w) * size_t(h) * 3) {
                lastWidth.store(w);
                lastHeight.store(h);
            }
            frames.fetch_add(1);
            inCallback.fetch_sub(1);
        };
        hooks.resetDetector = [this] {
            ++resets;
            if (inCallback.load() != 0)
                ++resetsDuringCallback;
        };
        hooks.inSimulation = [this] { return simulation; };
        hooks.endProgram = [this] { log.push_back("end program"); };
        hooks.leaveSimulation = [this] {
            simulation = false;
            log.push_back("leave simulation");
        };
        hooks.showLive = [this](bool centroid) { log.push_back(centroid ? "live centroid" : "live"); };
        hooks.showEmpty = [this] { log.push_back("empty"); };
        video = std::make_unique<VideoSource>(
            *backend, frontend, Settings(dir.file("VARDO.ini"), dir.file("option.ini")), hooks);
        EXPECT_TRUE(video->initVideo());
        return *video;
    }

    bool waitForFrameOfSize(int w, int h)
    {
        frames.store(0);
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            if (frames.load() > 1 && lastWidth.load() == w && lastHeight.load() == h)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    TempDir dir;
    RecordingFrontend frontend;
    std::unique_ptr<GstVideoBackend> backend;
    std::unique_ptr<VideoSource> video;
    std::atomic<int> frames{0}, inCallback{0}, lastWidth{0}, lastHeight{0};
    int resets = 0, resetsDuringCallback = 0;
    bool simulation = false;
    std::vector<std::string> log;
};

TEST_F(VideoSourceTest, MenuListsEveryCameraButCommandsOnlyTheFirstFour)
{
    option("DEVICE", "2");
    VideoSource& v = make(5);
    std::vector<CameraMenuEntry> menu = v.cameraMenu();
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[0].text, "なし");
    EXPECT_EQ(menu[0].commandId, cmd::NoCamera);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(menu[size_t(i)].commandId, cmd::NoCamera + i);
    EXPECT_EQ(menu[5].text, "Camera 5");
    EXPECT_EQ(menu[5].commandId, 0);
    for (size_t i = 0; i < menu.size(); ++i)
        EXPECT_EQ(menu[i].checked, i == 2) << i;

    // Commands beyond the cameras that exist, and other ids, are not taken.
    VideoSource& two = make(2);
    EXPECT_FALSE(two.handleCommand(cmd::NoCamera + 3));
    EXPECT_FALSE(two.handleCommand(cmd::OpenVideoFile));
    EXPECT_TRUE(two.handleCommand(cmd::NoCamera));
    EXPECT_EQ(option("DEVICE"), "0");
    EXPECT_TRUE(two.cameraMenu()[0].checked);
}

TEST_F(VideoSourceTest, NoCameraOrTheChoiceNoneBuildsNothing)
{
    option("DEVICE", "1");
    VideoSource& none = make(0);
    EXPECT_EQ(none.deviceNumber(), -1);
    EXPECT_EQ(none.buildGraph(""), VideoSource::BuildResult::NoCamera);
    EXPECT_FALSE(none.built());

    option("DEVICE", "0");
    VideoSource& chosenNone = make(2);
    EXPECT_EQ(chosenNone.buildGraph(""), VideoSource::BuildResult::NoCamera);
    EXPECT_TRUE(frontend.messages().empty());
}

TEST_F(VideoSourceTest, StaleChoiceTakesTheFirstCameraAndKeepsTheStoredOne)
{
    option("DEVICE", "7");
    option("RESOLUTION", "640,480");
    VideoSource& v = make(2);
    ASSERT_EQ(v.buildGraph(""), VideoSource::BuildResult::Ok);
    EXPECT_EQ(v.deviceNumber(), 1);
    EXPECT_TRUE(v.cameraMenu()[1].checked);
    EXPECT_EQ(option("DEVICE"), "7");
    ASSERT_TRUE(v.runGraph());
    EXPECT_TRUE(waitForFrameOfSize(640, 480));
    EXPECT_TRUE(frontend.messages().empty());
}

TEST_F(VideoSourceTest, SizeTheCameraCannotGiveIsReportedAndTheCameraRuns)
{
    option("DEVICE", "1");
    option("RESOLUTION", "800,600");
    VideoSource& v = make(1);
    ASSERT_EQ(v.buildGraph(""), VideoSource::BuildResult::Ok);
    EXPECT_EQ(frontend.messageTexts(), (std::vector<std::string>{kResolutionFailed}));
    ASSERT_TRUE(v.runGraph());
    // The camera goes on at a size of its own.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (frames.load() < 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(frames.load(), 2);
    FrameSize size{lastWidth.load(), lastHeight.load()};
    EXPECT_TRUE(size == (FrameSize{640, 480}) || size == (FrameSize{320, 240}));
    EXPECT_EQ(v.frameSize(), size);
}

TEST_F(VideoSourceTest, CameraThatCannotBeOpenedNamesTheStep)
{
    option("DEVICE", "1");
    VideoSource& v = make(1, true);
    EXPECT_EQ(v.buildGraph(""), VideoSource::BuildResult::Failed);
    ASSERT_EQ(frontend.messages().size(), 1u);
    EXPECT_EQ(frontend.messages()[0].text,
              "Direct Show Error:EnumMonike Bind\nthe source element of \"Camera 1\" could not be made");
    EXPECT_EQ(frontend.messages()[0].icon, Icon::Stop);
}

TEST_F(VideoSourceTest, SelectingACameraInSimulationSwitchesToLive)
{
    VideoSource& v = make(2);
    simulation = true;
    v.selectCamera(2);
    EXPECT_EQ(option("DEVICE"), "2");
    EXPECT_TRUE(v.running());
    EXPECT_EQ(frontend.messageTexts(), (std::vector<std::string>{kCameraSelected}));
    EXPECT_EQ(log, (std::vector<std::string>{"end program", "leave simulation", "live"}));
    EXPECT_TRUE(v.cameraMenu()[2].checked);
    EXPECT_TRUE(waitForFrameOfSize(320, 240));

    // Out of simulation another camera switches without a word.
    v.selectCamera(1);
    EXPECT_EQ(frontend.messageTexts().size(), 1u);
    EXPECT_TRUE(v.running());

    v.selectCamera(0);
    EXPECT_FALSE(v.running());
    EXPECT_EQ(option("DEVICE"), "0");
    EXPECT_EQ(log.back(), "empty");
    EXPECT_GE(resets, 3);
    EXPECT_EQ(resetsDuringCallback, 0);
}

TEST_F(VideoSourceTest, LargerSizeNeedsConsentAndRefusalStoresTheRecommendedOne)
{
    option("DEVICE", "1");
    VideoSource& v = make(1);
    ASSERT_EQ(v.buildGraph(""), VideoSource::BuildResult::Ok);
    ASSERT_TRUE(v.runGraph());
    std::vector<CameraFormat> formats = v.cameraFormats();
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[0], (CameraFormat{"video/x-raw", "YUY2", 640, 480, 30, 1}));

    frontend.queueAnswer(Answer::No);
    ASSERT_TRUE(v.applyCameraSettings(formats[0]));
    EXPECT_EQ(frontend.questions(), (std::vector<std::string>{kSizeQuestion}));
    EXPECT_EQ(option("RESOLUTION"), "320,240");
    EXPECT_TRUE(waitForFrameOfSize(320, 240));

    frontend.queueAnswer(Answer::Yes);
    ASSERT_TRUE(v.applyCameraSettings(formats[0]));
    EXPECT_EQ(option("RESOLUTION"), "640,480");
    EXPECT_TRUE(waitForFrameOfSize(640, 480));

    // The recommended size needs no question.
    ASSERT_TRUE(v.applyCameraSettings(formats[1]));
    EXPECT_EQ(frontend.questions().size(), 2u);
    EXPECT_EQ(option("RESOLUTION"), "320,240");
}

TEST_F(VideoSourceTest, CameraSettingsDoNothingWithoutACamera)
{
    VideoSource& v = make(0);
    EXPECT_TRUE(v.cameraFormats().empty());
    EXPECT_FALSE(v.applyCameraSettings({"video/x-raw", "YUY2", 640, 480, 30, 1}));
    EXPECT_EQ(option("RESOLUTION"), "(absent)");
}

TEST_F(VideoSourceTest, OpeningAFileLeavesSimulationAndUnchecksTheCameras)
{
    option("DEVICE", "1");
    VideoSource& v = make(1);
    testing::TestVideoParams params;
    params.frames = 3;
    std::string error;
    ASSERT_TRUE(testing::writeTestVideo(dir.file("a.avi"), params, error)) << error;
    simulation = true;
    ASSERT_TRUE(v.openVideoFile(dir.file("a.avi")));
    EXPECT_EQ(v.deviceNumber(), -1);
    EXPECT_EQ(v.videoPath(), dir.file("a.avi"));
    EXPECT_FALSE(simulation);
    EXPECT_EQ(log, (std::vector<std::string>{"end program", "leave simulation", "live centroid"}));
    for (const CameraMenuEntry& entry : v.cameraMenu())
        EXPECT_FALSE(entry.checked);
    EXPECT_TRUE(v.cameraFormats().empty());
    EXPECT_TRUE(waitForFrameOfSize(320, 240));
    EXPECT_EQ(option("DEVICE"), "1");
}

TEST_F(VideoSourceTest, FileThatCannotBeOpenedShowsTheStepThenTheFailure)
{
    VideoSource& v = make(0);
    simulation = true;
    EXPECT_FALSE(v.openVideoFile(dir.file("missing.avi")));
    std::vector<RecordingFrontend::Message> messages = frontend.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind("Direct Show Error:Get Status\n", 0), 0u) << messages[0].text;
    EXPECT_EQ(messages[1].text, kDirectXFailed);
    EXPECT_EQ(messages[1].icon, Icon::Stop);
    EXPECT_TRUE(simulation);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(v.built());
}

} // namespace
} // namespace vardo::vision
