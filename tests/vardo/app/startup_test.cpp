#include "vardo/app/startup.h"

#include "common/byte_io.h"
#include "common/profile.h"
#include "recording_frontend.h"
#include "temp_dir.h"
#include "vardo/base/command_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vardo {
namespace {

using testing::RecordingFrontend;
using testing::TempDir;

const std::string kSidingNotice =
    "レイアウトをdivedareに切り替える時は\"divedare切替.bat\"を実行(ダブルクリック)してください。";
const std::string kComPortNotice = "レイアウトの列車をコントロールするにはパラメータ設定のCOM番号ま"
                                   "たは拡張インタフェイス設定のCOM番号を設定"
                                   "してください";
const std::string kNoCameraNotice =
    "接続されたカメラが見つかりません。\nカメラを接続するか画像ファイルを開いてください。\n"
    "本プログラムはシミュレーションモードで起動されます。";

// layout.dat: tag, version, polyline count, vertex count, home, 12 reserved
// bytes, the vertex counts, then the vertices.
std::string polylineFile(const std::vector<int>& counts)
{
    common::ByteWriter w;
    int total = 0;
    for (int c : counts)
        total += c;
    w.putTag(".dat");
    w.putI32(2);
    w.putI32(int32_t(counts.size()));
    w.putI32(total);
    w.putU32(0);
    w.putZeros(12);
    for (int c : counts)
        w.putI32(c);
    for (int i = 0; i < total; ++i) {
        w.putI32(100 + i);
        w.putI32(200 + i);
    }
    return std::string(w.bytes().begin(), w.bytes().end());
}

class StartupTest : public ::testing::Test {
protected:
    StartupTest() { dir.write("VARDO.ini", "[LAYOUT]\nPEN_WIDTH=2\n"); }

    void agreeAlready() { dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n"); }
    std::string option(const char* section, const char* key)
    {
        return common::Profile::getString(dir.file("option.ini"), section, key, "<absent>");
    }
    StartupStep step(StartupStage stage, const std::string& name, bool ok = true)
    {
        return {stage, name, [this, name, ok](RailSystem&) {
                    ran.push_back(name);
                    return ok;
                }};
    }

    TempDir dir;
    RecordingFrontend frontend;
    std::vector<std::string> ran;
};

TEST_F(StartupTest, MissingVardoIniStopsBeforeTheDisclaimer)
{
    TempDir empty;
    RailSystem rail(empty.path());
    Startup startup(rail, frontend);
    startup.addStep(step(StartupStage::Sound, "sound"));

    EXPECT_EQ(startup.onPaint("vardo -e"), StartupOutcome::IniMissing);
    ASSERT_EQ(frontend.messages().size(), 1u);
    EXPECT_EQ(frontend.messages()[0].text,
              "ファイル[" + empty.file("VARDO.ini") + "]が見つかりません");
    EXPECT_EQ(frontend.messages()[0].icon, Icon::Stop);
    EXPECT_EQ(frontend.quitRequests(), 1);
    EXPECT_EQ(frontend.disclaimerCount(), 0);
    EXPECT_TRUE(frontend.postedCommands().empty());
    EXPECT_TRUE(ran.empty());
    EXPECT_FALSE(rail.started());
}

TEST_F(StartupTest, RefusedDisclaimerQuitsAndAsksAgainNextTime)
{
    frontend.disclaimerAnswer = false;
    {
        RailSystem rail(dir.path());
        Startup startup(rail, frontend);
        startup.addStep(step(StartupStage::VideoFramework, "video"));
        EXPECT_EQ(startup.onPaint("vardo"), StartupOutcome::DisclaimerRefused);
        EXPECT_FALSE(rail.started());
    }
    EXPECT_EQ(frontend.disclaimerCount(), 1);
    EXPECT_EQ(frontend.quitRequests(), 1);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(option("AGREEMENT", "AGREEMENT"), "<absent>");

    RailSystem rail(dir.path());
    Startup again(rail, frontend);
    again.onPaint("vardo");
    EXPECT_EQ(frontend.disclaimerCount(), 2);
}

TEST_F(StartupTest, AcceptedDisclaimerIsWrittenAndNotShownAgain)
{
    {
        RailSystem rail(dir.path());
        Startup startup(rail, frontend);
        EXPECT_EQ(startup.onPaint("vardo"), StartupOutcome::Started);
        EXPECT_TRUE(rail.started());
    }
    EXPECT_EQ(option("AGREEMENT", "AGREEMENT"), "1");
    EXPECT_EQ(frontend.disclaimerCount(), 1);

    RailSystem rail(dir.path());
    Startup again(rail, frontend);
    EXPECT_EQ(again.onPaint("vardo"), StartupOutcome::Started);
    EXPECT_EQ(frontend.disclaimerCount(), 1);
    EXPECT_EQ(frontend.quitRequests(), 0);
    EXPECT_TRUE(frontend.messages().empty());
}

TEST_F(StartupTest, CommandLineReachesRailSystemAndEditor)
{
    agreeAlready();
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    bool sdkSeenBySound = false;
    startup.addStep({StartupStage::Sound, "sound", [&](RailSystem& r) {
                         sdkSeenBySound = r.sdkRequested();
                         return true;
                     }});
    EXPECT_EQ(startup.onPaint("vardo -i\"/v/my run.avi\" -e -s"), StartupOutcome::Started);
    EXPECT_EQ(rail.videoPath(), "/v/my run.avi");
    EXPECT_TRUE(sdkSeenBySound);
    EXPECT_EQ(frontend.postedCommands(), std::vector<int>{cmd::ShowProgram});
}

// With no camera the simulation command follows the program display asked
// for by -e, so the window ends in the layout display.
TEST_F(StartupTest, WithoutCameraTheSimulationComesAfterTheProgramDisplay)
{
    agreeAlready();
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    startup.hooks.openVideoSource = [](RailSystem&) { return VideoOpenResult::NoCamera; };
    EXPECT_EQ(startup.onPaint("vardo -e"), StartupOutcome::Started);
    EXPECT_EQ(frontend.postedCommands(), (std::vector<int>{cmd::ShowProgram, cmd::Simulation}));
}

TEST_F(StartupTest, StepsRunInStageOrderWhateverTheOrderAdded)
{
    agreeAlready();
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    startup.addStep(step(StartupStage::Control, "panel"));
    startup.addStep(step(StartupStage::LayoutModel, "layout"));
    startup.addStep(step(StartupStage::DeviceAndProgram, "usb"));
    startup.addStep(step(StartupStage::VideoFramework, "video"));
    startup.addStep(step(StartupStage::DeviceAndProgram, "servo"));
    startup.addStep(step(StartupStage::Sdk, "sdk"));

    EXPECT_EQ(startup.onPaint("vardo"), StartupOutcome::Started);
    EXPECT_EQ(ran, (std::vector<std::string>{"video", "layout", "usb", "servo", "sdk", "panel"}));
    // Later paints only repaint.
    EXPECT_EQ(startup.onPaint("vardo"), StartupOutcome::AlreadyRun);
    EXPECT_EQ(ran.size(), 6u);
}

TEST_F(StartupTest, FailingComponentStopsWithItsMessage)
{
    struct Case {
        StartupStage stage;
        std::string message;
    };
    const Case cases[] = {
        {StartupStage::VideoFramework, "キャプチャーの初期化に失敗しました"},
        {StartupStage::Sound, "サウンドクラスの初期化に失敗しました"},
        {StartupStage::Display, "キャプチャーの初期化に失敗しました"},
        {StartupStage::LayoutModel, "レイアウトクラスの初期化に失敗しました"},
        {StartupStage::Sdk, "APIクラスの初期化に失敗しました"},
        {StartupStage::Control, "コントロールクラスの初期化に失敗しました"},
    };
    agreeAlready();
    for (const Case& c : cases) {
        RecordingFrontend fe;
        ran.clear();
        RailSystem rail(dir.path());
        Startup startup(rail, fe);
        startup.addStep(step(StartupStage::VideoFramework, "first"));
        startup.addStep(step(c.stage, "failing", false));
        startup.addStep(step(StartupStage::Control, "last"));
        bool speechStarted = false;
        startup.hooks.startSpeech = [&](RailSystem&) { speechStarted = true; };
        dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[SPEECH]\nENABLE=1\n");

        EXPECT_EQ(startup.onPaint("vardo -e"), StartupOutcome::ComponentFailed);
        EXPECT_TRUE(fe.postedCommands().empty());
        ASSERT_EQ(fe.messages().size(), 1u);
        EXPECT_EQ(fe.messages()[0].text, c.message);
        EXPECT_EQ(fe.messages()[0].icon, Icon::Stop);
        EXPECT_EQ(fe.quitRequests(), 1);
        EXPECT_EQ(ran.back(), "failing");
        EXPECT_FALSE(speechStarted);
        EXPECT_FALSE(rail.started());
    }
}

TEST_F(StartupTest, DeviceStepFailureDoesNotStopStartup)
{
    agreeAlready();
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    startup.addStep(step(StartupStage::DeviceAndProgram, "usb", false));
    startup.addStep(step(StartupStage::Control, "panel"));
    EXPECT_EQ(startup.onPaint("vardo"), StartupOutcome::Started);
    EXPECT_EQ(ran, (std::vector<std::string>{"usb", "panel"}));
    EXPECT_TRUE(frontend.messages().empty());
    EXPECT_EQ(frontend.quitRequests(), 0);
}

TEST_F(StartupTest, SpeechStartsOnlyWhenEnabled)
{
    for (int enable : {0, 1}) {
        dir.write("option.ini",
                  "[AGREEMENT]\nAGREEMENT=1\n[SPEECH]\nENABLE=" + std::to_string(enable) + "\n");
        RailSystem rail(dir.path());
        Startup startup(rail, frontend);
        int calls = 0;
        startup.hooks.startSpeech = [&](RailSystem&) { ++calls; };
        startup.onPaint("vardo");
        EXPECT_EQ(calls, enable);
    }
}

TEST_F(StartupTest, SidingNoticeShownSuppressedAndTicked)
{
    agreeAlready();
    dir.write("layout/layout.dat", polylineFile({40, 12}));
    {
        RailSystem rail(dir.path());
        Startup startup(rail, frontend);
        startup.onPaint("vardo");
        EXPECT_EQ(frontend.notices(), std::vector<std::string>{kSidingNotice});
    }
    // Not ticked: shown again, and nothing written.
    EXPECT_EQ(option("LAYOUT", "SURPRESS_MESSAGE"), "<absent>");
    frontend.noticeTicksBox = true;
    {
        RailSystem rail(dir.path());
        Startup startup(rail, frontend);
        startup.onPaint("vardo");
        EXPECT_EQ(frontend.notices().size(), 2u);
    }
    EXPECT_EQ(option("LAYOUT", "SURPRESS_MESSAGE"), "1");
    EXPECT_EQ(option("USB", "SURPRESS_MESSAGE"), "<absent>");
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    startup.onPaint("vardo");
    EXPECT_EQ(frontend.notices().size(), 2u);
}

TEST_F(StartupTest, NoSidingNoticeForASingleLoopOrNoLayout)
{
    agreeAlready();
    {
        RailSystem rail(dir.path());
        Startup startup(rail, frontend);
        EXPECT_EQ(startup.onPaint("vardo"), StartupOutcome::Started);
    }
    dir.write("layout/layout.dat", polylineFile({40}));
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    EXPECT_EQ(startup.onPaint("vardo"), StartupOutcome::Started);
    EXPECT_TRUE(frontend.notices().empty());
}

class VideoStartupTest : public StartupTest {
protected:
    StartupOutcome start(VideoOpenResult result, bool connected)
    {
        RailSystem rail(dir.path());
        Startup startup(rail, frontend);
        startup.hooks.openVideoSource = [&](RailSystem& r) {
            videoPathSeen = r.videoPath();
            return result;
        };
        startup.hooks.controllerConnected = [connected](RailSystem&) { return connected; };
        StartupOutcome outcome = startup.onPaint("vardo -i/v/a.avi");
        startedAfter = rail.started();
        return outcome;
    }
    std::string videoPathSeen;
    bool startedAfter = false;
};

TEST_F(VideoStartupTest, OpenedSourceWithoutControllerGivesComPortNotice)
{
    agreeAlready();
    EXPECT_EQ(start(VideoOpenResult::Opened, false), StartupOutcome::Started);
    EXPECT_EQ(videoPathSeen, "/v/a.avi");
    EXPECT_EQ(frontend.notices(), std::vector<std::string>{kComPortNotice});
    frontend.noticeTicksBox = true;
    start(VideoOpenResult::Opened, true);
    EXPECT_EQ(frontend.notices().size(), 1u);
    start(VideoOpenResult::Opened, false);
    EXPECT_EQ(frontend.notices().size(), 2u);
    EXPECT_EQ(option("USB", "SURPRESS_MESSAGE"), "1");
    start(VideoOpenResult::Opened, false);
    EXPECT_EQ(frontend.notices().size(), 2u);
}

TEST_F(VideoStartupTest, NoCameraGoesToSimulation)
{
    agreeAlready();
    EXPECT_EQ(start(VideoOpenResult::NoCamera, true), StartupOutcome::Started);
    EXPECT_EQ(frontend.notices(), std::vector<std::string>{kNoCameraNotice});
    EXPECT_EQ(frontend.postedCommands(), std::vector<int>{cmd::Simulation});
}

TEST_F(VideoStartupTest, NoCameraWithoutNoticeWhenChosenNoneOrSuppressed)
{
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nDEVICE=0\n");
    start(VideoOpenResult::NoCamera, true);
    dir.write("option.ini", "[AGREEMENT]\nAGREEMENT=1\n[CAPTURE]\nSURPRESS_MESSAGE=1\n");
    start(VideoOpenResult::NoCamera, true);
    EXPECT_TRUE(frontend.notices().empty());
    EXPECT_EQ(frontend.postedCommands(), (std::vector<int>{cmd::Simulation, cmd::Simulation}));
}

TEST_F(VideoStartupTest, OtherFailureIsReportedAndStartupGoesOn)
{
    agreeAlready();
    EXPECT_EQ(start(VideoOpenResult::Failed, true), StartupOutcome::Started);
    EXPECT_TRUE(startedAfter);
    ASSERT_EQ(frontend.messages().size(), 1u);
    EXPECT_EQ(frontend.messages()[0].text, "DirectXの初期化に失敗しました");
    EXPECT_EQ(frontend.messages()[0].icon, Icon::Stop);
    EXPECT_EQ(frontend.quitRequests(), 0);
}

class ShutdownTest : public StartupTest {
protected:
    void addAll(Shutdown& shutdown)
    {
        // Added out of order on purpose.
        for (ShutdownStage s :
             {ShutdownStage::CloseUsbController, ShutdownStage::ReleaseFrameworks,
              ShutdownStage::StopControlPointWatcher, ShutdownStage::ReleaseSoundPerformance,
              ShutdownStage::StopCapture}) {
            shutdown.addStep({s, std::to_string(int(s)), [this, s](RailSystem& r) {
                                  ran.push_back(std::to_string(int(s)));
                                  pathsWhileRunning = !r.optionIniPath().empty();
                              }});
        }
    }
    bool pathsWhileRunning = false;
};

TEST_F(ShutdownTest, RunsEveryStageInOrderWhenStarted)
{
    agreeAlready();
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    ASSERT_EQ(startup.onPaint("vardo"), StartupOutcome::Started);
    Shutdown shutdown(rail);
    addAll(shutdown);
    shutdown.run();
    EXPECT_EQ(ran, (std::vector<std::string>{"1", "2", "4", "8", "12"}));
    EXPECT_TRUE(pathsWhileRunning);
    EXPECT_TRUE(rail.optionIniPath().empty());
    EXPECT_TRUE(rail.vardoIniPath().empty());
    shutdown.run();
    EXPECT_EQ(ran.size(), 5u);
}

TEST_F(ShutdownTest, SkipsComponentStopsAfterAFailedStart)
{
    frontend.disclaimerAnswer = false;
    RailSystem rail(dir.path());
    Startup startup(rail, frontend);
    ASSERT_EQ(startup.onPaint("vardo"), StartupOutcome::DisclaimerRefused);
    Shutdown shutdown(rail);
    addAll(shutdown);
    shutdown.run();
    EXPECT_EQ(ran, (std::vector<std::string>{"1", "12"}));
    EXPECT_TRUE(shutdown.done());
}

} // namespace
} // namespace vardo
