#include "common/profile.h"
#include "program_description.h"
#include "qt_app.h"
#include "recording_frontend.h"
#include "ui_fixture.h"
#include "vardo/base/command_ids.h"
#include "vardo/ui/session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vardo;
using namespace vardo::ui;
using ui_fixtures::FakeBackend;
using ui_fixtures::ProgramFolder;

namespace {

struct SessionRig {
    explicit SessionRig(const std::string& options = "") : folder(options)
    {
        ui_fixtures::qtApp();
        auto backend = std::make_unique<FakeBackend>();
        source = backend->lastSource;
        SessionParts parts;
        parts.videoBackend = std::move(backend);
        SessionHooks hooks;
        hooks.frameReady = [this] { ++framesReady; };
        hooks.resizeView = [this](QSize s) { sizes.push_back(s); };
        hooks.frameSizeChanged = [this] { ++sizeChanges; };
        session = std::make_unique<Session>(frontend, folder.path(), std::move(parts), hooks);
        frontend.setCommandHandler([this](int id) {
            if (id == cmd::Simulation)
                session->simulationCommand();
        });
    }
    ~SessionRig() { session->shutdown(); }

    ProgramFolder folder;
    vardo::testing::RecordingFrontend frontend;
    std::shared_ptr<ui_fixtures::PushSource*> source;
    std::unique_ptr<Session> session;
    std::atomic<int> framesReady{0};
    std::atomic<int> sizeChanges{0};
    std::vector<QSize> sizes;
};

int countColour(const QImage& image, QColor colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

} // namespace

TEST(Session, WithoutACameraItStartsInSimulationWithTheTrainFigure)
{
    SessionRig rig;
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    EXPECT_TRUE(rig.session->started());
    EXPECT_EQ(rig.frontend.postedCommands(), std::vector<int>{cmd::Simulation});
    rig.frontend.deliverPostedCommands();
    Session& s = *rig.session;
    EXPECT_TRUE(s.simulation().running());
    EXPECT_EQ(s.display().mode(), DisplayMode::Layout);
    EXPECT_EQ(s.display().subMode(), DisplaySubMode::TrainFigure);
    ASSERT_FALSE(rig.sizes.empty());
    EXPECT_EQ(rig.sizes.back(), QSize(640, 480));

    ASSERT_TRUE(s.drawSimulation());
    {
        std::lock_guard lock(s.layout().pictures().mutex());
        // The graphic figure is filled with the car's colour (#808080).
        EXPECT_GT(countColour(s.layout().pictures().display(), QColor(128, 128, 128)), 50);
    }
    const UiState state = s.uiState();
    EXPECT_TRUE(state.simulation);
    EXPECT_TRUE(state.layoutLoaded);
    s.simulationCommand(); // stops it
    EXPECT_FALSE(s.simulation().running());
    EXPECT_FALSE(s.drawSimulation());
}

TEST(Session, MissingVardoIniEndsTheStart)
{
    SessionRig rig;
    std::filesystem::remove(rig.folder.dir.file("VARDO.ini"));
    EXPECT_EQ(rig.session->start(""), StartupOutcome::IniMissing);
    EXPECT_EQ(rig.frontend.quitRequests(), 1);
    EXPECT_FALSE(rig.session->started());
}

TEST(Session, ExitAsksAndAFailedProgramSaveKeepsItOpen)
{
    SessionRig rig;
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    rig.session->program().modified = true;
    rig.frontend.queueAnswer(Answer::Yes); // save: the file dialog is cancelled
    EXPECT_FALSE(rig.session->confirmExit(nullptr));
    EXPECT_EQ(rig.frontend.panelRedraws(), 1);
    rig.frontend.queueAnswer(Answer::No);
    EXPECT_TRUE(rig.session->confirmExit(nullptr));
    EXPECT_EQ(rig.frontend.questions().size(), 2u);
}

TEST(Session, ChangedCalibrationIsOfferedFirstAndItsSaveWritesTheFile)
{
    SessionRig rig;
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    rig.session->calibration().setAngle(0.25f); // modified
    rig.frontend.queueAnswer(Answer::Yes);
    const std::string path = rig.folder.dir.file("saved.clb");
    EXPECT_TRUE(rig.session->confirmExit([&] { return path; }));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 64u);
    ASSERT_EQ(rig.frontend.questions().size(), 1u);
    EXPECT_EQ(
        rig.frontend.questions()[0],
        "キャリブレーションデータが更新されています。キャリブレーションデータを保存しますか？");
}

TEST(Session, TimersAreIgnoredBeforeStartAndOneShotsKilledAfter)
{
    SessionRig rig;
    rig.frontend.startTimer(5, 100);
    rig.frontend.fireTimer(5);
    EXPECT_EQ(rig.frontend.runningTimers().count(5), 1u); // not started yet
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    rig.frontend.fireTimer(5);
    EXPECT_EQ(rig.frontend.runningTimers().count(5), 0u);
}

TEST(Session, LiveFramesAreDrawnAndTheFocusMeterSettles)
{
    SessionRig rig("[CAPTURE]\nDEVICE=0\n");
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    rig.frontend.deliverPostedCommands();
    Session& s = *rig.session;
    ASSERT_TRUE(s.video().openVideoFile("/nonexistent/but/fake.avi"));
    ASSERT_NE(*rig.source, nullptr);
    EXPECT_FALSE(s.simulation().running()); // the file leaves simulation
    EXPECT_EQ(s.display().mode(), DisplayMode::Live);
    EXPECT_EQ(s.viewSize(), QSize(320, 240));

    s.displayCommand(cmd::FocusAdjustment);
    ASSERT_TRUE(s.focus().on());
    const std::vector<uint8_t> frame = ui_fixtures::frameWithSquare(320, 240, 100, 100, 40);
    const QColor green(0, 255, 0);
    for (int i = 0; i < 32; ++i) {
        (*rig.source)->push(frame);
        s.frames().withFront([&](const QImage& img) {
            ASSERT_EQ(img.size(), QSize(320, 240));
            EXPECT_NE(img.pixelColor(304, 120), green) << "frame " << i + 1;
        });
    }
    (*rig.source)->push(frame);
    s.frames().withFront([&](const QImage& img) {
        EXPECT_EQ(img.pixelColor(304, 120), green);              // the band's right edge
        EXPECT_EQ(img.pixelColor(110, 105), QColor(10, 10, 10)); // the frame itself
    });
    EXPECT_EQ(s.frames().published(), 33u);
    EXPECT_GT(rig.framesReady.load(), 0);

    // Switching to the layout display resizes to 640 x 480; live comes back
    // to the frame size and the centroid sub-mode.
    s.displayCommand(cmd::VectorImage);
    s.displayCommand(cmd::DifferenceImage);
    EXPECT_EQ(s.display().subMode(), DisplaySubMode::Vector);
    EXPECT_EQ(rig.sizes.back(), QSize(320, 240));
    s.setDisplayMode(DisplayMode::Layout);
    EXPECT_EQ(rig.sizes.back(), QSize(640, 480));
    s.displayCommand(cmd::LiveImage);
    EXPECT_EQ(rig.sizes.back(), QSize(320, 240));
    EXPECT_EQ(s.display().subMode(), DisplaySubMode::Centroid);
}

TEST(Session, DifferenceDisplayShowsWhatMoved)
{
    SessionRig rig("[CAPTURE]\nDEVICE=0\n");
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    rig.frontend.deliverPostedCommands();
    Session& s = *rig.session;
    ASSERT_TRUE(s.video().openVideoFile("/fake.avi"));
    s.displayCommand(cmd::DifferenceImage);
    (*rig.source)->push(ui_fixtures::frameWithSquare(320, 240, 100, 100, 40));
    (*rig.source)->push(ui_fixtures::frameWithSquare(320, 240, 180, 100, 40));
    s.frames().withFront([&](const QImage& img) {
        EXPECT_EQ(img.pixelColor(200, 120), QColor(255, 255, 255)); // changed
        EXPECT_EQ(img.pixelColor(20, 20), QColor(0, 0, 0));         // unchanged
    });
}

namespace {

// One camera whose frames the test pushes.
class OneCameraBackend : public FakeBackend {
public:
    using FakeBackend::FakeBackend;
    std::vector<std::string> cameraNames() override { return {"test camera"}; }
    vision::OpenedSource openCamera(int, const vision::CameraRequest&, vision::VideoError&) override
    {
        auto source = std::make_unique<ui_fixtures::PushSource>(320, 240);
        *lastSource = source.get();
        vision::OpenedSource opened;
        opened.source = std::move(source);
        return opened;
    }
};

} // namespace

TEST(Session, TheViewTakesTheSizeOfTheCamerasFirstFrame)
{
    SessionRig rig("[CAPTURE]\nDEVICE=0\n");
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    rig.frontend.deliverPostedCommands();
    Session& s = *rig.session;
    ASSERT_TRUE(s.openVideoFile("/fake.avi"));
    EXPECT_EQ(s.viewSize(), QSize(320, 240)); // as the source was asked for
    // The source delivers 640 x 480 after all.
    const std::vector<uint8_t> large = ui_fixtures::frameWithSquare(640, 480, 100, 100, 40);
    ASSERT_NE(*rig.source, nullptr);
    (*rig.source)->pushSized(large, 640, 480);
    EXPECT_EQ(s.viewSize(), QSize(640, 480));
    EXPECT_EQ(rig.sizeChanges.load(), 1);
    // Frames of the same size do not ask again.
    (*rig.source)->pushSized(large, 640, 480);
    EXPECT_EQ(rig.sizeChanges.load(), 1);
}

TEST(Session, SelectingACameraAfterTheSimulationTurnsDetectionOn)
{
    ui_fixtures::qtApp();
    ProgramFolder folder;
    // The camera choice "none": Vardo starts in simulation.
    common::Profile::writeString(folder.dir.file("option.ini"), "CAPTURE", "DEVICE", "0");
    vardo::testing::RecordingFrontend frontend;
    auto backend = std::make_unique<OneCameraBackend>();
    auto source = backend->lastSource;
    SessionParts parts;
    parts.videoBackend = std::move(backend);
    Session s(frontend, folder.path(), std::move(parts), {});
    ASSERT_EQ(s.start(""), StartupOutcome::Started);
    frontend.deliverPostedCommands(); // no camera chosen: the simulation
    ASSERT_TRUE(s.simulation().running());
    s.simulationCommand(); // the user stops it
    ASSERT_FALSE(s.simulation().running());
    EXPECT_FALSE(s.assembly().detectionHost().videoRunning());

    ASSERT_TRUE(s.coreCommand(cmd::FirstCamera));
    ASSERT_NE(*source, nullptr);
    EXPECT_TRUE(s.assembly().detectionHost().videoRunning());
    // Its frames are analysed.
    const uint64_t before = s.assembly().detector().analysisCount();
    (*source)->push(ui_fixtures::frameWithSquare(320, 240, 100, 100, 40));
    (*source)->push(ui_fixtures::frameWithSquare(320, 240, 140, 100, 40));
    EXPECT_GT(s.assembly().detector().analysisCount(), before);
    s.shutdown();
}

TEST(Session, TheProgramDisplayHighlightsTheCommandBeingExecuted)
{
    SessionRig rig;
    ASSERT_EQ(rig.session->start(""), StartupOutcome::Started);
    rig.frontend.deliverPostedCommands(); // the simulation
    Session& s = *rig.session;
    // Start, then a wait of a minute that holds the loop on the second box.
    Program p;
    ASSERT_TRUE(mkprogram::parseDescription("Start\nTimer 0 60\n", p).ok);
    p.compact();
    p.selected = 0;
    s.program() = p;
    s.assembly().autoOperationCommand();
    ASSERT_TRUE(s.operation().operating());
    for (int i = 0; i < 400 && s.operation().current() != 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(s.operation().current(), 1);
    EXPECT_EQ(s.highlightedCommand(), 1);
    s.assembly().autoOperationCommand(); // stops it
    ASSERT_TRUE(s.operation().waitForEnd(5000));
    EXPECT_EQ(s.highlightedCommand(), 0); // the editor's selection again
}
