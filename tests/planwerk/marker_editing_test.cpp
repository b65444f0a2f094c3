// Control points, level crossings and sensors in the editor: placement,
// pop-up menus, hit tests and drags, delete questions and what the
// settings dialogs store.
#include "editor_fixture.h"

#include "layoutdata/layout_files.h"
#include "planwerk/editor_texts.h"

#include <fstream>

namespace planwerk::testing {
namespace {

class MarkerTest : public EditorTest {
protected:
    void enter(EditMode mode)
    {
        start();
        editor().enterMode(mode);
    }
    std::vector<std::string> menuAt(int x, int y)
    {
        editor().menu(x, y);
        std::vector<std::string> out;
        for (const auto& item : ui.lastMenu)
            out.push_back(item.text);
        return out;
    }
    void addControlAt(int x, int y)
    {
        editor().menu(x, y);
        ASSERT_TRUE(editor().run(Command::AddControl));
    }
};

using Texts = std::vector<std::string>;

// ---- control points

TEST_F(MarkerTest, ControlPointsArePlacedAtTheClickOnlyWellInsideThePicture)
{
    enter(EditMode::ControlPoints);
    EXPECT_EQ(ui.messages.back(), text::kControlHint);
    addControlAt(2, 300);
    addControlAt(5, 5);
    addControlAt(636, 100);
    addControlAt(635, 475);
    const ControlPointSet& c = editor().controlPoints();
    ASSERT_EQ(c.count(), 4);
    EXPECT_EQ((Point{c[0].x, c[0].y}), (Point{320, 240}));
    EXPECT_EQ((Point{c[1].x, c[1].y}), (Point{5, 5}));
    EXPECT_EQ((Point{c[2].x, c[2].y}), (Point{320, 240}));
    EXPECT_EQ((Point{c[3].x, c[3].y}), (Point{635, 475}));
    // A zeroed record, selected, with its settings dialog opened.
    EXPECT_EQ(c[3].trackAction, 0);
    EXPECT_EQ(c[3].direction, 0);
    EXPECT_EQ(editor().selection(), 3);
    EXPECT_EQ(ui.controlDialogs.size(), 4u);
    EXPECT_TRUE(editor().modified().control);
}

TEST_F(MarkerTest, TheSeventeenthControlPointIsRefused)
{
    enter(EditMode::ControlPoints);
    for (int i = 0; i < 16; ++i)
        addControlAt(20 + i * 30, 100);
    addControlAt(300, 300);
    EXPECT_EQ(editor().controlPoints().count(), 16);
    EXPECT_EQ(ui.messages.back(), text::kControlsFull);
}

TEST_F(MarkerTest, ControlMenuShowsSettingsForASingleOrSelectedPoint)
{
    enter(EditMode::ControlPoints);
    EXPECT_EQ(menuAt(100, 100), (Texts{text::kMenuAddControl}));
    ASSERT_TRUE(editor().run(Command::AddControl));
    editor().press(400, 400); // nothing there: no selection
    EXPECT_EQ(menuAt(400, 400), (Texts{text::kMenuControlSettings, text::kMenuAddControl}));
    ASSERT_TRUE(editor().run(Command::AddControl));
    editor().press(20, 20);
    EXPECT_EQ(menuAt(20, 20), (Texts{text::kMenuAddControl}));
    EXPECT_EQ(menuAt(101, 99),
              (Texts{text::kMenuControlSettings, text::kMenuAddControl, text::kMenuDeleteControl}));
    EXPECT_EQ(editor().selection(), 0);
}

TEST_F(MarkerTest, OneControlPointIsEditedWithoutASelection)
{
    std::ofstream(dir.file("option.ini")) << "[SOUND]\nSOUND_FILE1=sound\\horn.wav\n"
                                             "SOUND_FILE2=sound\\bell.wav\n";
    enter(EditMode::ControlPoints);
    addControlAt(200, 200);
    editor().press(10, 10);
    ASSERT_EQ(editor().selection(), -1);
    ui.onControlDialog = [](ControlDialogState& s) {
        s.direction = 2;
        s.setPoint(true);
        s.pointChoice = 1;
        s.pointIndex = 3;
        s.setSound(true);
        s.soundChoice = 2;
        s.soundIndex = 1;
        return true;
    };
    ASSERT_TRUE(editor().run(Command::ControlSettings));
    EXPECT_EQ(ui.controlDialogs.back().sounds, (Texts{"horn.wav", "bell.wav"}));
    const layoutdata::ControlPointRecord& r = editor().controlPoints()[0];
    EXPECT_EQ(r.direction, 2);
    EXPECT_EQ(r.trackAction, 2);
    EXPECT_EQ(r.point, 3);
    EXPECT_EQ(r.sound, 3);
    EXPECT_EQ(r.soundNumber, 2);
    EXPECT_EQ(r.option, 0);
    EXPECT_EQ((Point{r.x, r.y}), (Point{200, 200}));

    // Cancel leaves the record alone.
    ui.onControlDialog = [](ControlDialogState& s) {
        s.direction = 0;
        return false;
    };
    ASSERT_TRUE(editor().run(Command::ControlSettings));
    EXPECT_EQ(editor().controlPoints()[0].direction, 2);
}

TEST_F(MarkerTest, ControlDeleteAsksAndNoKeepsThePoint)
{
    enter(EditMode::ControlPoints);
    addControlAt(100, 100);
    addControlAt(200, 200);
    editor().press(100, 100);
    editor().release(100, 100);
    ui.answers = {Answer::No};
    ASSERT_TRUE(editor().run(Command::DeleteMarker));
    EXPECT_EQ(ui.questions.back().text, text::kDeleteControl);
    EXPECT_EQ(editor().controlPoints().count(), 2);
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(editor().run(Command::DeleteMarker));
    ASSERT_EQ(editor().controlPoints().count(), 1);
    EXPECT_EQ(editor().controlPoints()[0].x, 200);
    EXPECT_EQ(editor().selection(), -1);
}

TEST_F(MarkerTest, ControlPointDragFollowsTheGrabOffset)
{
    enter(EditMode::ControlPoints);
    addControlAt(100, 100);
    editor().press(102, 101);
    editor().move(150, 150);
    EXPECT_EQ((std::vector<std::array<int, 3>>{{148, 149, 4}}), ui.markers);
    editor().release(700, 150); // clamped to x 639
    EXPECT_EQ(editor().controlPoints()[0].x, 637);
    EXPECT_EQ(editor().controlPoints()[0].y, 149);
}

// ---- crossings

TEST_F(MarkerTest, ANewCrossingHasTheDefaultsAndItsBox)
{
    enter(EditMode::Crossings);
    editor().menu(600, 50);
    EXPECT_EQ(editor().lastPopup(), (Point{320, 240})); // crossings keep no position
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    const layoutdata::CrossingRecord& c = editor().crossings()[0];
    EXPECT_EQ(c, layoutdata::defaultCrossing());
    EXPECT_EQ(c.arm1[0], (Point{270, 190}));
    EXPECT_EQ(c.lamp[3], (Point{380, 300}));
    EXPECT_EQ(c.drive, 1);
    EXPECT_EQ((std::array<int, 4>{c.left, c.top, c.right, c.bottom}),
              (std::array<int, 4>{252, 172, 388, 308}));
    EXPECT_EQ(editor().selection(), -1);
    EXPECT_TRUE(ui.crossingDialogs.empty());
}

TEST_F(MarkerTest, TheFifthCrossingIsRefusedWhateverTheControlPoints)
{
    enter(EditMode::ControlPoints);
    addControlAt(100, 100);
    editor().enterMode(EditMode::Crossings);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(editor().run(Command::AddCrossing));
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    EXPECT_EQ(editor().crossings().count(), 4);
    EXPECT_EQ(ui.messages.back(), "これ以上踏切を増やすことはできません");
}

TEST_F(MarkerTest, CrossingMenuOffersSettingsAndDeleteForASingleCrossing)
{
    enter(EditMode::Crossings);
    EXPECT_EQ(menuAt(10, 10), (Texts{text::kMenuAddCrossing}));
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    EXPECT_EQ(menuAt(10, 10), (Texts{text::kMenuCrossingSettings, text::kMenuDeleteCrossing,
                                     text::kMenuAddCrossing}));
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    EXPECT_EQ(menuAt(10, 10), (Texts{text::kMenuAddCrossing}));
    EXPECT_EQ(menuAt(370, 190), (Texts{text::kMenuCrossingSettings, text::kMenuDeleteCrossing,
                                       text::kMenuAddCrossing}));
    EXPECT_EQ(editor().selection(), 1); // the first crossing's arm 1 tip
}

TEST_F(MarkerTest, ALightlessCrossingStillAnswersAtItsLightPoints)
{
    enter(EditMode::Crossings);
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    ui.onCrossingDialog = [](CrossingDialogState& s) {
        s.setLights(false);
        return true;
    };
    ASSERT_TRUE(editor().run(Command::CrossingSettings));
    ASSERT_EQ(editor().crossings()[0].lights, 0);
    EXPECT_TRUE(editor().modified().crossing);
    editor().press(360, 300); // light 3
    EXPECT_EQ(editor().selection(), 6);
    editor().press(281, 181); // light 2 at (280, 180)
    EXPECT_EQ(editor().selection(), 5);
    // Once a point moves, the box shrinks to the arms and leaves the lights out.
    editor().release(281, 181);
    EXPECT_EQ(editor().crossings()[0].left, 262);
    editor().press(360, 300);
    EXPECT_EQ(editor().selection(), -1);
}

TEST_F(MarkerTest, DraggingInsideTheBoxMovesTheWholeCrossing)
{
    enter(EditMode::Crossings);
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    ASSERT_TRUE(editor().run(Command::AddCrossing)); // same place: the first wins
    layoutdata::CrossingRecord before = editor().crossings()[0];
    editor().press(320, 240);
    ASSERT_EQ(editor().selection(), 99);
    editor().move(330, 245);
    // A rectangle of the box's size follows instead of a circle.
    EXPECT_EQ((std::vector<std::array<int, 4>>{{262, 177, 136, 136}}), ui.rectangles);
    EXPECT_TRUE(ui.markers.empty());
    editor().release(330, 250);
    const layoutdata::CrossingRecord& c = editor().crossings()[0];
    EXPECT_EQ(c.arm1[0], (Point{280, 200}));
    EXPECT_EQ(c.arm2[1], (Point{280, 300}));
    EXPECT_EQ(c.lamp[3], (Point{390, 310}));
    EXPECT_EQ((std::array<int, 4>{c.left, c.top, c.right, c.bottom}),
              (std::array<int, 4>{before.left + 10, before.top + 10, before.right + 10,
                                  before.bottom + 10}));
    EXPECT_EQ(editor().crossings()[1], before);
}

TEST_F(MarkerTest, MovingOnePointRecomputesTheBoxWithinThePicture)
{
    enter(EditMode::Crossings);
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    editor().press(270, 190); // arm 1 pivot
    ASSERT_EQ(editor().selection(), 0);
    editor().release(2, 3);
    const layoutdata::CrossingRecord& c = editor().crossings()[0];
    EXPECT_EQ(c.arm1[0], (Point{2, 3}));
    EXPECT_EQ(c.left, 0);
    EXPECT_EQ(c.top, 0);
    EXPECT_EQ(c.right, 388);
}

TEST_F(MarkerTest, SwitchingOffTheSelectedPointsGroupClearsTheSelection)
{
    enter(EditMode::Crossings);
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    editor().press(370, 190); // arm 1 tip
    editor().release(370, 190);
    ASSERT_EQ(editor().selection(), 1);
    ui.onCrossingDialog = [](CrossingDialogState& s) {
        s.setBarrier(false);
        s.byPoint = false;
        s.relayIndex = 2;
        return true;
    };
    ASSERT_TRUE(editor().run(Command::CrossingSettings));
    EXPECT_EQ(editor().selection(), -1);
    EXPECT_EQ(editor().crossings()[0].barrier, 0);
    EXPECT_EQ(editor().crossings()[0].drive, 9);
}

TEST_F(MarkerTest, CrossingDeleteAsks)
{
    enter(EditMode::Crossings);
    ASSERT_TRUE(editor().run(Command::AddCrossing));
    ui.answers = {Answer::No, Answer::Yes};
    ASSERT_TRUE(editor().run(Command::DeleteMarker)); // the single crossing
    EXPECT_EQ(editor().crossings().count(), 1);
    ASSERT_TRUE(editor().run(Command::DeleteMarker));
    EXPECT_EQ(editor().crossings().count(), 0);
    EXPECT_EQ(ui.questions.back().text, text::kDeleteCrossing);
}

// ---- sensors

TEST_F(MarkerTest, SensorsStartAtSensitivity75AndOpenTheirDialog)
{
    enter(EditMode::Sensors);
    EXPECT_EQ(ui.messages.back(), text::kSensorHint);
    editor().menu(600, 478);
    ui.onSensorDialog = [](SensorDialogState& s) {
        EXPECT_EQ(s.sensitivity, 75);
        s.sensitivity = 40;
        return true;
    };
    ASSERT_TRUE(editor().run(Command::AddSensor));
    const layoutdata::SensorRecord& s = editor().sensors()[0];
    EXPECT_EQ((Point{s.x, s.y}), (Point{320, 240}));
    EXPECT_EQ(s.sensitivity, 40);
    EXPECT_EQ(editor().selection(), 0);
    EXPECT_EQ(menuAt(320, 240),
              (Texts{text::kMenuSensorSettings, text::kMenuAddSensor, text::kMenuDeleteSensor}));
}

TEST_F(MarkerTest, SensorDialogStoresOnlyValidValuesAndSavesTheChange)
{
    layoutdata::SensorFile file;
    file.records.push_back({100, 120, 50});
    ASSERT_TRUE(layoutdata::writeSensorFile(work("sensor.dat"), file));
    enter(EditMode::Sensors);
    ASSERT_EQ(editor().sensors().count(), 1);
    ui.onSensorDialog = [](SensorDialogState& s) {
        s.sensitivity = 100;
        return true;
    };
    ASSERT_TRUE(editor().run(Command::SensorSettings));
    EXPECT_EQ(editor().sensors()[0].sensitivity, 50);
    EXPECT_FALSE(editor().modified().sensor); // nothing changed yet
    ui.onSensorDialog = [](SensorDialogState& s) {
        s.sensitivity = 99;
        return true;
    };
    ASSERT_TRUE(editor().run(Command::SensorSettings));
    EXPECT_EQ(editor().sensors()[0].sensitivity, 99);
    EXPECT_TRUE(editor().modified().sensor);
    // The change alone reaches the working folder on save.
    editor().save();
    layoutdata::SensorFile saved;
    ASSERT_EQ(layoutdata::readSensorFile(work("sensor.dat"), saved), layoutdata::ReadStatus::Ok);
    ASSERT_EQ(saved.records.size(), 1u);
    EXPECT_EQ(saved.records[0].sensitivity, 99);
}

TEST_F(MarkerTest, NinthSensorIsRefusedAndDeleteAsks)
{
    enter(EditMode::Sensors);
    for (int i = 0; i < 9; ++i) {
        editor().menu(50 + i * 40, 50);
        ASSERT_TRUE(editor().run(Command::AddSensor));
    }
    EXPECT_EQ(editor().sensors().count(), 8);
    EXPECT_EQ(ui.messages.back(), text::kSensorsFull);
    editor().press(90, 50);
    ASSERT_EQ(editor().selection(), 1);
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(editor().run(Command::DeleteMarker));
    EXPECT_EQ(ui.questions.back().text, text::kDeleteSensor);
    EXPECT_EQ(editor().sensors().count(), 7);
    EXPECT_EQ(editor().sensors()[1].x, 130);
}

} // namespace
} // namespace planwerk::testing
