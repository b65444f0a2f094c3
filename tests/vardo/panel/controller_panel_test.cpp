#include "vardo/panel/controller_panel.h"

#include "operation_rig.h"
#include "skin_fixture.h"
#include "vardo/base/command_ids.h"
#include "vardo/panel/jog_geometry.h"
#include "vardo/panel/panel_painter.h"

#include <gtest/gtest.h>

using namespace vardo;
using namespace vardo::panel;
using paneltest::buttonRect;
using vardo::testing::TempDir;

namespace {

constexpr const char* kSkinFailed = "コントローラー画像の読み込みに失敗しました。";

// A rig with a panel over it; points and turntable set as a test needs.
struct PanelRig {
    explicit PanelRig(int points = 4, bool linkedFirst = false)
    {
        layoutdata::PointFile file;
        file.count = points;
        for (int k = 0; k < points; ++k)
            file.records[size_t(k)] = {1,       0,  uint8_t(k == 0 && linkedFirst), uint8_t(k + 1),
                                       100 + k, 100};
        rig.model.setPoints(file);
        rig.controller.setPointSetter(
            [this](int k, bool branch) { switched.push_back(branch ? k + 1 : -(k + 1)); });
        services.speed = &rig.speed;
        services.operation = &rig.operation;
        services.program = &program.program;
        services.extended = &rig.ext;
        services.controllerConnected = [this] { return connected; };
        services.calibrated = [this] { return calibrated; };
        panel = std::make_unique<ControllerPanel>(rig.controller, rig.frontend, services);
        paneltest::writeSkin(dir, "control1");
        EXPECT_TRUE(panel->load(dir.path(), 1, 6));
    }
    void click(int b)
    {
        const QPoint p = buttonRect(b).center();
        panel->mouseMove(p);
        panel->mouseDown(p);
        panel->mouseUp(p);
    }

    optest::Rig rig;
    optest::ProgramBuilder program;
    PanelServices services;
    bool connected = false;
    bool calibrated = false;
    std::vector<int> switched;
    TempDir dir;
    std::unique_ptr<ControllerPanel> panel;
};

} // namespace

TEST(PanelHitTest, PointButtonsFollowThePointCount)
{
    PanelRig two(2);
    EXPECT_EQ(two.panel->buttonAt(buttonRect(4).center()), 4);
    EXPECT_EQ(two.panel->buttonAt(buttonRect(5).center()), 5);
    EXPECT_EQ(two.panel->buttonAt(buttonRect(6).center()), -1);
    EXPECT_EQ(two.panel->buttonAt(buttonRect(7).center()), -1);
    PanelRig one(1);
    EXPECT_EQ(one.panel->buttonAt(buttonRect(5).center()), -1);
    // A turntable makes button 7 its power switch.
    two.rig.model.turntable.present = true;
    EXPECT_EQ(two.panel->buttonAt(buttonRect(7).center()), 7);
    EXPECT_EQ(two.panel->buttonAt(buttonRect(6).center()), -1);
}

TEST(PanelHitTest, AutomaticOperationLeavesOnlyExitAndLamp)
{
    PanelRig r;
    r.rig.controller.simulation = true;
    r.program.then(CommandKind::Timer, 0, 60, 0);
    ASSERT_TRUE(r.rig.operation.startOperation(r.program.program));
    for (int b = 1; b <= 8; ++b)
        EXPECT_EQ(r.panel->buttonAt(buttonRect(b).center()), b == 1 || b == 8 ? b : -1) << b;
    r.rig.operation.stopOperation();
    ASSERT_TRUE(r.rig.operation.waitForEnd(2000));
    EXPECT_EQ(r.panel->buttonAt(buttonRect(3).center()), 3);
}

TEST(PanelHitTest, TurntableButtonsOnlyOnTurntableLayouts)
{
    PanelRig r;
    for (int b = 10; b <= 15; ++b)
        EXPECT_EQ(r.panel->buttonAt(buttonRect(b).center()), -1) << b;
    r.rig.model.turntable.present = true;
    for (int b = 10; b <= 15; ++b)
        EXPECT_EQ(r.panel->buttonAt(buttonRect(b).center()), b) << b;
    // A skin with positions 0..8 only has no turntable buttons at all.
    paneltest::writeSkin(r.dir, "short", paneltest::skinWith([](auto& s) { s.positions = 9; }));
    ASSERT_TRUE(r.panel->loadFolder(r.dir.file("short"), 1, 6));
    EXPECT_EQ(r.panel->skin().positionCount, 9);
    for (int b = 10; b <= 15; ++b)
        EXPECT_EQ(r.panel->buttonAt(buttonRect(b).center()), -1) << b;
    // The handle picture is never a button.
    EXPECT_EQ(r.panel->buttonAt(buttonRect(9).center()), -1);
}

TEST(PanelButtons, StartDirectionAndExit)
{
    PanelRig r;
    r.click(2);
    EXPECT_EQ(r.rig.controller.state() & (state::Running | state::Backward), state::Running);
    r.click(3);
    EXPECT_EQ(r.rig.controller.state() & (state::Running | state::Backward),
              state::Running | state::Backward);
    r.click(2);
    EXPECT_FALSE(r.rig.controller.running());
    EXPECT_TRUE(r.rig.controller.backward());
    r.click(2); // starts again in the present direction
    EXPECT_TRUE(r.rig.controller.running());
    EXPECT_TRUE(r.rig.controller.backward());
    r.click(1);
    EXPECT_EQ(r.rig.frontend.postedCommands(), std::vector<int>{cmd::Exit});
    EXPECT_FALSE(r.panel->exitPressed());
}

TEST(PanelButtons, PointsAndTheLinkedPoint)
{
    PanelRig r(4);
    r.click(5);
    EXPECT_EQ(r.rig.controller.state() & state::Point2, state::Point2);
    r.click(5);
    EXPECT_EQ(r.rig.controller.state() & state::Point2, 0);
    EXPECT_EQ(r.switched, (std::vector<int>{2, -2}));

    PanelRig linked(3, true);
    linked.click(4);
    EXPECT_EQ(linked.rig.controller.state() & (state::Point1 | state::Point2),
              state::Point1 | state::Point2);
    linked.click(4);
    EXPECT_EQ(linked.rig.controller.state() & (state::Point1 | state::Point2), 0);
    EXPECT_EQ(linked.switched, (std::vector<int>{1, 2, -1, -2}));
    // The unlinked second point switches alone.
    linked.click(5);
    EXPECT_EQ(linked.switched.back(), 2);
    EXPECT_EQ(linked.switched.size(), 5u);
}

TEST(PanelButtons, AutomaticOperationRefusalsClearTheLamp)
{
    PanelRig r;
    r.program.then(CommandKind::Timer, 0, 60, 0);
    r.click(8); // neither connected nor calibrated
    EXPECT_EQ(r.rig.controller.state() & state::AutoLamp, 0);
    r.calibrated = true;
    r.click(8); // calibrated, no device
    r.connected = true;
    optest::ProgramBuilder empty;
    r.services.program = &empty.program;
    ControllerPanel onEmpty(r.rig.controller, r.rig.frontend, r.services);
    ASSERT_TRUE(onEmpty.load(r.dir.path(), 1, 6));
    onEmpty.mouseDown(buttonRect(8).center());
    onEmpty.mouseUp(buttonRect(8).center());
    const auto texts = r.rig.frontend.messageTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "キャリブレーションがされていませんので自動運転ができません");
    EXPECT_EQ(texts[1], "制御クラスの初期化に失敗しました");
    EXPECT_EQ(texts[2], "制御クラスの初期化に失敗しました");
    EXPECT_EQ(r.rig.controller.state() & state::AutoLamp, 0);
    EXPECT_FALSE(r.rig.operation.operating());
}

TEST(PanelButtons, AutomaticOperationStartsAndStopsInSimulation)
{
    PanelRig r;
    r.rig.controller.simulation = true;
    r.program.then(CommandKind::Timer, 0, 60, 0);
    ControllerPanel panel(r.rig.controller, r.rig.frontend, r.services);
    ASSERT_TRUE(panel.load(r.dir.path(), 1, 6));
    const QPoint lamp = buttonRect(8).center();
    panel.mouseDown(lamp);
    panel.mouseUp(lamp);
    EXPECT_TRUE(r.rig.operation.operating());
    EXPECT_EQ(r.rig.controller.state() & state::AutoLamp, state::AutoLamp);
    panel.mouseDown(lamp);
    panel.mouseUp(lamp);
    EXPECT_TRUE(r.rig.operation.waitForEnd(2000));
    EXPECT_EQ(r.rig.controller.state() & state::AutoLamp, 0);
    // Without a folder run nothing is asked.
    EXPECT_TRUE(r.rig.frontend.questions().empty());
}

TEST(PanelButtons, TurntableWordAndTracks)
{
    PanelRig r;
    r.rig.model.turntable.present = true;
    r.rig.ext.open = true;
    std::vector<int> drawn;
    r.services.turntableChanged = [&](int track, bool reversed) {
        drawn.push_back(reversed ? -track : track);
    };
    ControllerPanel panel(r.rig.controller, r.rig.frontend, r.services);
    ASSERT_TRUE(panel.load(r.dir.path(), 1, 6));
    EXPECT_EQ(panel.turntableWord(), 2); // track 1 until one is chosen
    auto click = [&](int b) {
        panel.mouseDown(buttonRect(b).center());
        panel.mouseUp(buttonRect(b).center());
    };
    click(13);
    EXPECT_EQ(panel.turntableWord(), 1 << 3);
    click(10);
    EXPECT_EQ(panel.turntableWord(), 1 | (1 << 3));
    click(11);
    EXPECT_EQ(panel.turntableWord(), 1 | (1 << 1));
    EXPECT_EQ(drawn, (std::vector<int>{3, -1}));
    EXPECT_EQ(r.rig.ext.turnsTaken(), (std::vector<int>{3, -1}));
    // In simulation the servo is left alone.
    r.rig.controller.simulation = true;
    click(15);
    EXPECT_EQ(panel.turntableWord(), 1 | (1 << 5));
    EXPECT_EQ(r.rig.ext.turnsTaken().size(), 2u);
}

TEST(PanelSkin, FailuresKeepTheOldSkin)
{
    PanelRig r;
    const QSize before = r.panel->size();
    EXPECT_FALSE(r.panel->load(r.dir.path(), 7, 6)); // no control7 folder
    paneltest::writeSkin(r.dir, "control2",
                         paneltest::skinWith([](auto& s) { s.missingPicture = 5; }));
    EXPECT_FALSE(r.panel->load(r.dir.path(), 2, 6));
    EXPECT_EQ(r.rig.frontend.messageTexts(), (std::vector<std::string>{kSkinFailed, kSkinFailed}));
    EXPECT_EQ(r.panel->skin().number, 1);
    EXPECT_EQ(r.panel->size(), before);
    EXPECT_EQ(r.panel->skin().pictureSize(5), QSize(40, 40));
    std::string failed;
    Skin s;
    EXPECT_FALSE(loadSkin(r.dir.file("control2"), 2, 6, s, &failed));
    EXPECT_EQ(failed, "control5.bmp");
    // A handle file that is not there fails the same way.
    paneltest::writeSkin(r.dir, "control3",
                         paneltest::skinWith([](auto& s) { s.handle = "handle.bmp"; }));
    EXPECT_FALSE(r.panel->load(r.dir.path(), 3, 6));
    EXPECT_EQ(r.panel->skin().number, 1);
}

TEST(PanelSkin, JogAngleDefaultsAndServoSelection)
{
    TempDir dir;
    paneltest::writeSkin(dir, "s", paneltest::skinWith([](auto& s) { s.writeJogAngle = false; }));
    Skin s;
    ASSERT_TRUE(loadSkin(dir.file("s"), 1, 6, s));
    EXPECT_DOUBLE_EQ(s.restAngle, 2.3561925);
    EXPECT_DOUBLE_EQ(s.endAngle, -0.7853975);
    EXPECT_DOUBLE_EQ(s.runningAngle, 1.570795);
    ASSERT_TRUE(loadSkin(dir.file("s"), 1, 129, s));
    EXPECT_DOUBLE_EQ(s.runningAngle, -0.7853975);
    EXPECT_EQ(s.jogCentre, QPointF(paneltest::kJogX, paneltest::kJogY));
    EXPECT_EQ(s.jogRadius, paneltest::kJogRadius);
    EXPECT_TRUE(s.handleFile.empty());
}

TEST(PanelSkin, WidthRulesOfSkinsOneAndFour)
{
    Skin s;
    s.number = 1;
    s.positionCount = 1;
    s.pictures[0] = QImage(300, 100, QImage::Format_RGB888);
    EXPECT_EQ(panelSize(s, 4, false).width(), 300);
    EXPECT_EQ(panelSize(s, 3, false).width(), 259);
    EXPECT_EQ(panelSize(s, 2, false).width(), 218);
    EXPECT_EQ(panelSize(s, 0, false).width(), 218);
    // The fourth column drives the turntable power: it stays.
    EXPECT_EQ(panelSize(s, 2, true).width(), 300);
    s.number = 4;
    EXPECT_EQ(panelSize(s, 4, false).width(), 300);
    EXPECT_EQ(panelSize(s, 3, false).width(), 300);
    EXPECT_EQ(panelSize(s, 2, false).width(), 259);
    EXPECT_EQ(panelSize(s, 0, false).width(), 177);
    EXPECT_EQ(panelSize(s, 0, true).width(), 177);
    s.number = 2;
    EXPECT_EQ(panelSize(s, 0, false).width(), 300);
    EXPECT_EQ(panelSize(s, 0, false).height(), 100);
}

TEST(PanelSkin, ATurntableBandAtTheBottomIsLeftOffWithoutATurntable)
{
    Skin s;
    s.number = 2; // the lever: the handle stays in its slot
    s.positionCount = 16;
    const auto place = [&](int i, QRect r) {
        s.positions[size_t(i)] = r.topLeft();
        s.pictures[size_t(i)] = QImage(r.size(), QImage::Format_RGB888);
    };
    place(0, QRect(0, 0, 300, 140));
    place(1, QRect(10, 10, 40, 40));
    place(2, QRect(60, 10, 40, 90));
    for (int i = 10; i <= 15; ++i)
        place(i, QRect(10 + (i - 10) * 30, 104, 28, 30));
    EXPECT_EQ(turntableBandTop(s), 104);
    EXPECT_EQ(panelSize(s, 4, false), QSize(300, 104));
    EXPECT_EQ(panelSize(s, 4, true), QSize(300, 140));
    // A picture reaching into the band: the buttons are no band, all stays.
    place(3, QRect(120, 60, 40, 50));
    EXPECT_EQ(turntableBandTop(s), -1);
    EXPECT_EQ(panelSize(s, 4, false), QSize(300, 140));
    // Neither does a dial whose handle swings down to them.
    place(3, QRect(120, 60, 40, 40));
    s.number = 1;
    place(9, QRect(0, 0, 20, 20));
    s.jogCentre = QPointF(200, 70);
    s.jogRadius = 30;
    EXPECT_EQ(turntableBandTop(s), -1);
    s.jogRadius = 10;
    EXPECT_EQ(turntableBandTop(s), 104);
}

TEST(PanelJog, GrabStartsTheTrainAndTurnsTheSpeed)
{
    PanelRig r;
    const QPoint handle = r.panel->skin().isLever()
                              ? QPoint()
                              : handleCentre(r.panel->skin(), r.panel->jogAngle()).toPoint();
    // Outside simulation, without a camera or speed output, the jog is dead.
    r.panel->mouseMove(handle);
    EXPECT_NE(r.panel->cursor(), PanelCursor::JogGrab);
    r.rig.controller.simulation = true;
    r.panel->mouseMove(handle);
    EXPECT_EQ(r.panel->cursor(), PanelCursor::JogGrab);
    r.panel->mouseDown(handle);
    EXPECT_TRUE(r.rig.controller.running());
    // Straight up from the centre: the top of the dial.
    const QPoint top(paneltest::kJogX, paneltest::kJogY - paneltest::kJogRadius);
    r.panel->mouseMove(top);
    const double expected = *speedForAngle(r.panel->skin(), 1.5707963);
    EXPECT_NEAR(r.rig.speed.present(), expected, 0.02);
    EXPECT_NEAR(r.panel->jogAngle(), 1.5707963, 0.02);
    // Into the dead zone at the bottom: nothing moves.
    r.panel->mouseMove(QPoint(paneltest::kJogX, paneltest::kJogY + paneltest::kJogRadius));
    EXPECT_NEAR(r.rig.speed.present(), expected, 0.02);
    r.panel->mouseUp(top);
    EXPECT_FALSE(r.panel->jogGrabbed());
    // Show speed moves the dial without touching the speed.
    r.panel->showSpeed(0.0);
    EXPECT_NEAR(r.panel->jogAngle(), r.panel->skin().restAngle, 1e-9);
}

TEST(PanelJog, SpeedOutputOfTheExtendedInterfaceMakesTheJogUsable)
{
    PanelRig r;
    r.rig.ext.open = true;
    r.rig.ext.speedOutput = true;
    EXPECT_TRUE(r.panel->jogUsable());
    r.rig.ext.open = false;
    EXPECT_FALSE(r.panel->jogUsable());
    bool camera = true;
    r.services.cameraPicture = [&] { return camera; };
    ControllerPanel withCamera(r.rig.controller, r.rig.frontend, r.services);
    EXPECT_TRUE(withCamera.jogUsable());
}

TEST(PanelDrawing, LampsFollowTheStateAndBlueStaysOutside)
{
    PanelRig r;
    const QImage off = renderPanel(*r.panel, r.rig.controller.state());
    EXPECT_EQ(off.size(), r.panel->size());
    const QPoint lamp = buttonRect(8).center();
    EXPECT_EQ(qGray(off.pixel(lamp)), 20); // the background
    r.rig.controller.performAction(ActionLampOn);
    const QImage on = renderPanel(*r.panel, r.rig.controller.state());
    EXPECT_EQ(qGray(on.pixel(lamp)), 20 + 8 * 10);
    // The skins shipped keep pure blue only outside their body.
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_TRUE(data);
    for (int n = 1; n <= 4; ++n) {
        ASSERT_TRUE(r.panel->load(data, n, 6)) << n;
        const QImage img = renderPanel(*r.panel, 0);
        EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 255)) << n;
        EXPECT_NE(img.pixel(img.width() / 2, img.height() / 2), qRgb(0, 0, 255)) << n;
    }
}

TEST(PanelSkin, ChangingTheSkinStopsTheTrainAndWritesTheChoice)
{
    PanelRig r;
    const Settings settings(r.dir.file("VARDO.ini"), r.dir.file("option.ini"));
    paneltest::writeSkin(r.dir, "control2", paneltest::skinWith([](auto& s) { s.positions = 9; }));
    paneltest::writeSkin(r.dir, "control3",
                         paneltest::skinWith([](auto& s) { s.missingPicture = 3; }));
    r.click(2);
    ASSERT_TRUE(r.rig.controller.running());
    EXPECT_TRUE(r.panel->changeSkin(r.dir.path(), 2, 6, settings));
    EXPECT_FALSE(r.rig.controller.running());
    EXPECT_EQ(r.panel->skin().number, 2);
    EXPECT_EQ(settings.getInt(SettingId::ControlSkin), 2);
    // No folder, or a picture missing: the panel and the choice stay.
    EXPECT_FALSE(r.panel->changeSkin(r.dir.path(), 4, 6, settings));
    EXPECT_FALSE(r.panel->changeSkin(r.dir.path(), 3, 6, settings));
    EXPECT_EQ(r.panel->skin().number, 2);
    EXPECT_EQ(settings.getInt(SettingId::ControlSkin), 2);
    EXPECT_EQ(r.rig.frontend.messageTexts(), (std::vector<std::string>{kSkinFailed, kSkinFailed}));
}

// The shipped skins on every layout: the narrowed panel never cuts a
// picture, ends at the body's own rounded edges, and shows the turntable
// buttons exactly when the layout has a turntable.
TEST(PanelDrawing, ShippedSkinsCutNoButtonAndShowTheTurntableOnlyWithOne)
{
    const char* data = std::getenv("VARDO_TEST_DATA");
    ASSERT_TRUE(data);
    const QRgb key = qRgb(0, 0, 255);
    for (const bool turntable : {false, true})
        for (int points = 0; points <= 4; ++points) {
            PanelRig r(points);
            r.rig.model.turntable.present = turntable;
            for (int n = 1; n <= 4; ++n) {
                SCOPED_TRACE(::testing::Message() << "skin " << n << ", " << points
                                                  << " points, turntable " << turntable);
                ASSERT_TRUE(r.panel->load(data, n, 6));
                const Skin& skin = r.panel->skin();
                const QImage img = renderPanel(*r.panel, r.rig.controller.state());
                const QRect shown(QPoint(0, 0), img.size());
                EXPECT_EQ(img.size(), r.panel->size());
                for (int i = 1; i < kSkinPositions; ++i) {
                    if (!skin.has(i) || i == role::Handle)
                        continue;
                    const QRect pic = skin.rect(i);
                    EXPECT_TRUE(shown.contains(pic) || !shown.intersects(pic)) << "picture " << i;
                    if (i >= role::TurntableReverse) {
                        EXPECT_EQ(shown.contains(pic), turntable) << "picture " << i;
                    }
                }
                // Cut along module and tray edges, not through the body.
                const int w = img.width() - 1, h = img.height() - 1;
                EXPECT_EQ(img.pixel(w, 0), key);
                EXPECT_EQ(img.pixel(w, h), key);
                EXPECT_EQ(img.pixel(0, h), key);
                if (turntable) {
                    // Track 1 is chosen: its lit picture is drawn in place.
                    const QImage& lit = skin.pictures[role::Track1];
                    const QPoint at = skin.positions[role::Track1];
                    const QImage drawn =
                        img.copy(QRect(at, lit.size())).convertToFormat(lit.format());
                    EXPECT_EQ(drawn, lit);
                }
            }
        }
}
