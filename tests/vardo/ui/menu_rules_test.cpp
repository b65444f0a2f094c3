#include "program_description.h"
#include "qt_app.h"
#include "recording_frontend.h"
#include "ui_fixture.h"

#include "common/profile.h"
#include "vardo/base/command_ids.h"
#include "vardo/ui/menu_rules.h"
#include "vardo/ui/menu_table.h"
#include "vardo/ui/session.h"

#include <gtest/gtest.h>

#include <set>

using namespace vardo;
using namespace vardo::ui;

namespace {

// Two cameras whose frames the test would push.
class TwoCameraBackend : public ui_fixtures::FakeBackend {
public:
    std::vector<std::string> cameraNames() override { return {"camera 1", "camera 2"}; }
    vision::OpenedSource openCamera(int, const vision::CameraRequest&, vision::VideoError&) override
    {
        vision::OpenedSource opened;
        opened.source = std::make_unique<ui_fixtures::PushSource>(320, 240);
        return opened;
    }
};

// A started window session on a program folder, in simulation (camera
// "none") or on the first of two cameras.
struct StartedSession {
    explicit StartedSession(int camera)
    {
        ui_fixtures::qtApp();
        common::Profile::writeString(folder.dir.file("option.ini"), "CAPTURE", "DEVICE",
                                     std::to_string(camera));
        SessionParts parts;
        parts.videoBackend = std::make_unique<TwoCameraBackend>();
        session =
            std::make_unique<Session>(frontend, folder.path(), std::move(parts), SessionHooks{});
    }
    ~StartedSession() { session->shutdown(); }
    UiState start()
    {
        EXPECT_EQ(session->start(""), StartupOutcome::Started);
        frontend.deliverPostedCommands();
        return session->uiState();
    }

    ui_fixtures::ProgramFolder folder;
    vardo::testing::RecordingFrontend frontend;
    std::unique_ptr<Session> session;
};

// The states that matter, as the window reports them.
UiState beforeStartUp()
{
    StartedSession s(0);
    return s.session->uiState(); // nothing loaded, no capture
}

UiState simulation()
{
    StartedSession s(0);
    return s.start();
}

UiState calibratedLive()
{
    StartedSession s(1);
    s.start();
    s.session->calibration().setCalibrated(true);
    return s.session->uiState();
}

UiState operating()
{
    StartedSession s(1);
    s.start();
    s.session->calibration().setCalibrated(true);
    Program p;
    EXPECT_TRUE(mkprogram::parseDescription("Start\nTimer 0 60\n", p).ok);
    p.compact();
    s.session->program() = p;
    s.session->assembly().autoOperationCommand();
    return s.session->uiState();
}

UiState calibrating()
{
    UiState s = calibratedLive();
    s.calibrated = false;
    s.calibrating = true;
    return s;
}

UiState angleCorrecting()
{
    StartedSession s(1);
    s.start();
    s.session->calibration().setCalibrated(true);
    EXPECT_TRUE(s.session->openAngleCorrection());
    return s.session->uiState();
}

std::set<int> allMenuIds()
{
    std::set<int> ids;
    for (const MenuDefinition& menu : mainMenus())
        for (const MenuItem& item : menu.items)
            if (item.id > 0)
                ids.insert(item.id);
    for (const MenuItem& item : skinItems())
        ids.insert(item.id);
    for (int id = cmd::NoCamera; id <= cmd::LastCamera; ++id)
        ids.insert(id);
    return ids;
}

} // namespace

TEST(MenuTable, HoldsEveryCommandOfTheMainWindow)
{
    const std::set<int> ids = allMenuIds();
    for (int id : {cmd::OpenProgram,
                   cmd::SaveProgram,
                   cmd::NewProgram,
                   cmd::SampleProgram,
                   cmd::FolderRun,
                   cmd::CalibrationSave,
                   cmd::OpenVideoFile,
                   cmd::Exit,
                   cmd::CameraFormat,
                   cmd::CalibrationStart,
                   cmd::AngleCorrection,
                   cmd::SoundSettings,
                   cmd::TrainDisplaySettings,
                   cmd::ParameterSettings,
                   cmd::ExtendedInterfaceSettings,
                   cmd::Skin1,
                   cmd::Skin2,
                   cmd::Skin3,
                   cmd::Skin4,
                   cmd::ProgramTitle,
                   cmd::FolderRunSettings,
                   cmd::CurrentTime,
                   cmd::EmergencyStopToggle,
                   cmd::ControlPointsToggle,
                   cmd::LiveImage,
                   cmd::DifferenceImage,
                   cmd::LayoutDisplay,
                   cmd::ShowProgram,
                   cmd::Centroid,
                   cmd::VectorImage,
                   cmd::PolygonImage,
                   cmd::TrainFigure,
                   cmd::FocusAdjustment,
                   cmd::Simulation,
                   cmd::OptionOutput,
                   cmd::SpeechRecognition,
                   cmd::ToolBar,
                   cmd::StatusBar,
                   cmd::EditCommand,
                   cmd::DeleteCommand,
                   cmd::MoveNext,
                   cmd::MovePrevious,
                   cmd::Link,
                   cmd::Unlink,
                   cmd::Undo,
                   cmd::About,
                   cmd::Documentation})
        EXPECT_TRUE(ids.count(id)) << id;
    EXPECT_STREQ(menuText(cmd::Exit), "アプリケーションの終了(&X)");
    EXPECT_STREQ(menuText(cmd::Simulation), "シミュレーション(&M)");
    EXPECT_STREQ(menuText(cmd::Skin2), "運転台(キハ75)");
}

TEST(MenuTable, ToolbarAndPopupKeepTheirOrder)
{
    const std::vector<int> toolbar(toolbarCommands().begin(), toolbarCommands().end());
    const std::vector<int> expected{cmd::NewProgram,
                                    0,
                                    cmd::OpenProgram,
                                    cmd::SaveProgram,
                                    cmd::CalibrationStart,
                                    0,
                                    cmd::LiveImage,
                                    cmd::LayoutDisplay,
                                    cmd::ShowProgram,
                                    0,
                                    cmd::Centroid,
                                    cmd::TrainFigure,
                                    cmd::FocusAdjustment,
                                    cmd::SpeechRecognition,
                                    0,
                                    cmd::Undo};
    EXPECT_EQ(toolbar, expected);
    std::vector<int> popup;
    for (const MenuItem& item : displayPopupItems())
        popup.push_back(item.id);
    EXPECT_EQ(popup, (std::vector<int>{cmd::LiveImage, cmd::DifferenceImage, cmd::LayoutDisplay, 0,
                                       cmd::Centroid, cmd::VectorImage, cmd::PolygonImage,
                                       cmd::TrainFigure}));
}

TEST(MenuRules, BeforeStartUpOnlyTheLayoutDependentItemsAreOff)
{
    const UiState s = beforeStartUp();
    EXPECT_FALSE(commandEnabled(cmd::TrainDisplaySettings, s));
    EXPECT_FALSE(commandEnabled(cmd::CalibrationSave, s));
    EXPECT_FALSE(commandEnabled(cmd::CalibrationStart, s)); // no capture
    EXPECT_FALSE(commandEnabled(cmd::LayoutDisplay, s));
    EXPECT_FALSE(commandEnabled(cmd::ControlPointsToggle, s));
    EXPECT_FALSE(commandEnabled(cmd::CameraFormat, s));
    // Commands are not disabled merely because start-up has not run.
    for (int id : {cmd::Exit, cmd::About, cmd::OpenProgram, cmd::SampleProgram, cmd::OpenVideoFile,
                   cmd::SoundSettings, cmd::ParameterSettings, cmd::Documentation, cmd::Simulation,
                   cmd::NoCamera, cmd::LiveImage, cmd::ShowProgram, cmd::Centroid})
        EXPECT_TRUE(commandEnabled(id, s)) << id;
}

TEST(MenuRules, SimulationState)
{
    const UiState s = simulation();
    EXPECT_FALSE(commandEnabled(cmd::LiveImage, s));
    EXPECT_FALSE(commandEnabled(cmd::DifferenceImage, s));
    EXPECT_TRUE(commandEnabled(cmd::LayoutDisplay, s));
    EXPECT_TRUE(commandChecked(cmd::LayoutDisplay, s));
    EXPECT_TRUE(commandEnabled(cmd::TrainFigure, s));
    EXPECT_TRUE(commandChecked(cmd::TrainFigure, s));
    EXPECT_FALSE(commandEnabled(cmd::VectorImage, s));
    EXPECT_FALSE(commandEnabled(cmd::PolygonImage, s));
    EXPECT_TRUE(commandChecked(cmd::Simulation, s));
    EXPECT_TRUE(commandChecked(cmd::NoCamera, s));
    EXPECT_FALSE(commandChecked(cmd::FirstCamera, s));
    EXPECT_FALSE(commandEnabled(cmd::FocusAdjustment, s));
    EXPECT_TRUE(commandEnabled(cmd::TrainDisplaySettings, s));
}

TEST(MenuRules, CalibratedLiveState)
{
    const UiState s = calibratedLive();
    for (int id : {cmd::CalibrationStart, cmd::AngleCorrection, cmd::CalibrationSave,
                   cmd::LayoutDisplay, cmd::LiveImage, cmd::DifferenceImage, cmd::VectorImage,
                   cmd::PolygonImage, cmd::FocusAdjustment, cmd::CameraFormat, cmd::FolderRun})
        EXPECT_TRUE(commandEnabled(id, s)) << id;
    EXPECT_FALSE(commandEnabled(cmd::TrainFigure, s)); // only in the layout display
    EXPECT_TRUE(commandChecked(cmd::LiveImage, s));
    EXPECT_TRUE(commandChecked(cmd::Centroid, s));
    EXPECT_TRUE(commandChecked(cmd::FirstCamera, s));
    EXPECT_TRUE(commandEnabled(cmd::FirstCamera + 1, s));
    EXPECT_FALSE(commandEnabled(cmd::FirstCamera + 2, s)); // only two cameras
    EXPECT_FALSE(commandChecked(cmd::AngleCorrection, s));
    // Calibration needs the live display.
    UiState difference = s;
    difference.mode = DisplayMode::Difference;
    EXPECT_FALSE(commandEnabled(cmd::CalibrationStart, difference));
}

TEST(MenuRules, OperatingState)
{
    const UiState s = operating();
    for (int id :
         {cmd::CalibrationStart, cmd::AngleCorrection, cmd::FolderRun, cmd::FocusAdjustment})
        EXPECT_FALSE(commandEnabled(id, s)) << id;
    EXPECT_TRUE(commandEnabled(cmd::LayoutDisplay, s));
    UiState editor = s;
    editor.mode = DisplayMode::ProgramEditor;
    editor.selected = 2;
    EXPECT_FALSE(commandEnabled(cmd::NewProgram, editor));
    EXPECT_FALSE(commandEnabled(cmd::EditCommand, editor));
}

TEST(MenuRules, CalibratingAndAngleCorrectingStates)
{
    for (const UiState& s : {calibrating(), angleCorrecting()}) {
        for (int id : {cmd::CalibrationStart, cmd::FolderRun, cmd::LayoutDisplay, cmd::ShowProgram,
                       cmd::FocusAdjustment})
            EXPECT_FALSE(commandEnabled(id, s)) << id;
        EXPECT_TRUE(commandEnabled(cmd::LiveImage, s));
        EXPECT_TRUE(commandEnabled(cmd::Exit, s));
    }
    EXPECT_FALSE(commandEnabled(cmd::AngleCorrection, calibrating())); // not valid yet
    EXPECT_FALSE(commandEnabled(cmd::AngleCorrection, angleCorrecting()));
    EXPECT_TRUE(commandChecked(cmd::AngleCorrection, angleCorrecting()));
}

TEST(MenuRules, ProgramAndEditorItems)
{
    UiState s = calibratedLive();
    EXPECT_FALSE(commandEnabled(cmd::NewProgram, s)); // not in the program display
    s.mode = DisplayMode::ProgramEditor;
    EXPECT_TRUE(commandEnabled(cmd::NewProgram, s));
    EXPECT_TRUE(commandChecked(cmd::ShowProgram, s));
    EXPECT_FALSE(commandEnabled(cmd::EditCommand, s)); // nothing selected
    s.selected = 0;
    s.canMoveNext = true;
    EXPECT_TRUE(commandEnabled(cmd::EditCommand, s));
    EXPECT_TRUE(commandEnabled(cmd::MoveNext, s));
    EXPECT_FALSE(commandEnabled(cmd::MovePrevious, s));
    EXPECT_FALSE(commandEnabled(cmd::Undo, s));
    s.canUndo = true;
    EXPECT_TRUE(commandEnabled(cmd::Undo, s));
    s.programCount = 0;
    EXPECT_FALSE(commandEnabled(cmd::SaveProgram, s));
}

TEST(MenuRules, TogglesAndSkinsFollowTheirSettings)
{
    UiState s = calibratedLive();
    s.skin = 3;
    s.emergencyStopOn = false;
    s.controlPointCount = 2;
    s.controlPointsOn = true;
    s.speechRunning = true;
    s.toolBarShown = false;
    EXPECT_TRUE(commandChecked(cmd::Skin3, s));
    EXPECT_FALSE(commandChecked(cmd::Skin1, s));
    EXPECT_FALSE(commandChecked(cmd::EmergencyStopToggle, s));
    EXPECT_TRUE(commandEnabled(cmd::ControlPointsToggle, s));
    EXPECT_TRUE(commandChecked(cmd::ControlPointsToggle, s));
    EXPECT_FALSE(commandEnabled(cmd::SpeechRecognition, s));
    EXPECT_FALSE(commandChecked(cmd::ToolBar, s));
    EXPECT_TRUE(commandChecked(cmd::StatusBar, s));
    EXPECT_TRUE(commandCheckable(cmd::Skin3));
    EXPECT_FALSE(commandCheckable(cmd::About));
}
