// Tracing rails with the mouse and the vertex commands.
#include "editor_fixture.h"

#include "planwerk/editor_texts.h"
#include "planwerk/rail_geometry.h"

namespace planwerk::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<Point> positions(const VertexRow& row)
{
    std::vector<Point> out;
    for (int i = 0; i < row.count(); ++i)
        out.push_back({row[i].x, row[i].y});
    return out;
}

std::vector<int> keys(const VertexRow& row)
{
    std::vector<int> out;
    for (int i = 0; i < row.count(); ++i)
        out.push_back(row[i].angle);
    return out;
}

class RailTest : public EditorTest {
protected:
    // A siding line: turnout at (200, 300) with two vertices to the right.
    void traceSiding()
    {
        editor().enterMode(EditMode::Sidings);
        clicks({{200, 300}}); // empty line: creates the turnout at the click
        clicks({{250, 330}, {300, 340}});
    }
};

TEST_F(RailTest, OuterLoopClicksAreOrderedByAngleAroundTheCentre)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{540, 240}, {320, 430}, {100, 240}, {320, 50}});
    EXPECT_THAT(positions(editor().row(0)),
                ElementsAre(Point{100, 240}, Point{320, 50}, Point{540, 240}, Point{320, 430}));
    EXPECT_THAT(keys(editor().row(0)), ElementsAre(0, 90, 180, 270));
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_TRUE(editor().modified().layout);
}

TEST_F(RailTest, AVertexCloserThanSixteenPixelsIsRefused)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 100}, {115, 100}});
    EXPECT_EQ(editor().row(0).count(), 1);
    EXPECT_THAT(ui.messages, ElementsAre(text::kTooClose));
    clicks({{116, 100}}); // exactly 16 pixels away is allowed
    EXPECT_EQ(editor().row(0).count(), 2);
}

TEST_F(RailTest, AFullRowRefusesAnotherVertex)
{
    start("MAX_POINT=2\n");
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 100}, {200, 100}, {300, 100}});
    EXPECT_EQ(editor().row(0).count(), 2);
    EXPECT_THAT(ui.messages, ElementsAre(text::kRowFull));
}

TEST_F(RailTest, DraggingMovesTheVertexWithAnInvertingMarker)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {540, 240}});
    editor().press(102, 241); // within POINT_SIZE of (100, 240)
    EXPECT_EQ(editor().selection(), 0);
    EXPECT_EQ(editor().snapshotCount(), 2);
    editor().move(152, 101);
    EXPECT_EQ(ui.markers, (std::vector<std::array<int, 3>>{{150, 100, 4}}));
    editor().move(202, 81);
    // The first marker is erased, the new one drawn.
    EXPECT_EQ(ui.markers, (std::vector<std::array<int, 3>>{{200, 80, 4}}));
    editor().release(322, 41);
    EXPECT_EQ(editor().row(0).count(), 2); // a drag adds nothing
    EXPECT_EQ(editor().row(0)[0].x, 320);
    EXPECT_EQ(editor().row(0)[0].y, 40);
    EXPECT_EQ(editor().row(0)[0].angle, 90);
    EXPECT_EQ(editor().dragCounter(), -1);
    EXPECT_THAT(ui.markers, IsEmpty());
    editor().run(Command::Undo);
    EXPECT_EQ(editor().row(0)[0].x, 100);
}

TEST_F(RailTest, ClickingAVertexSelectsItWithoutAddingOne)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {540, 240}});
    clicks({{540, 240}});
    EXPECT_EQ(editor().selection(), 1);
    EXPECT_EQ(editor().row(0).count(), 2);
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(RailTest, CurveToggleRefusesANeighbourOfACurveAcrossTheWrap)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {320, 50}, {540, 240}, {320, 430}});
    editor().menu(100, 240);
    ASSERT_TRUE(editor().run(Command::ToggleCurve));
    // The circle through (320, 430), (100, 240) and (320, 50).
    EXPECT_EQ(editor().row(0)[0].curveX, 292);
    EXPECT_EQ(editor().row(0)[0].curveY, 240);
    editor().menu(320, 430); // vertex 3: its successor is vertex 0
    EXPECT_EQ(ui.lastMenu[1].text, text::kMenuSetCurve);
    editor().run(Command::ToggleCurve);
    EXPECT_THAT(ui.messages, ElementsAre(text::kNeighbourCurved));
    EXPECT_EQ(editor().row(0)[3].curveX, -1);
    editor().menu(100, 240);
    EXPECT_EQ(ui.lastMenu[1].text, text::kMenuClearCurve);
    editor().run(Command::ToggleCurve);
    EXPECT_EQ(editor().row(0)[0].curveX, -1);
}

TEST_F(RailTest, OuterLoopMenuNeedsASelectionWhileSorting)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    editor().menu(300, 300);
    EXPECT_EQ(ui.menus, 0);
    clicks({{100, 240}});
    editor().menu(100, 240);
    EXPECT_EQ(ui.menus, 1);
    ASSERT_EQ(ui.lastMenu.size(), 3u);
    EXPECT_EQ(ui.lastMenu[0].text, text::kMenuDeleteVertex);
    EXPECT_EQ(ui.lastMenu[2].text, text::kMenuPlatform);
    editor().run(Command::Platform);
    EXPECT_EQ(editor().row(0)[0].pointMark, 1);
    EXPECT_EQ(editor().lastPopup(), (Point{100, 240}));
}

TEST_F(RailTest, UnsortedVerticesGoIntoTheNearestSegment)
{
    start("SORT_POINT=0\n");
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 100}, {300, 100}, {300, 300}});
    // Nearest to vertex 1, and nearer to vertex 0 than vertex 1 is: between them.
    clicks({{210, 90}});
    EXPECT_THAT(positions(editor().row(0)),
                ElementsAre(Point{100, 100}, Point{210, 90}, Point{300, 100}, Point{300, 300}));
    // Nearest to the first vertex and nearer to the last one than the first
    // is: after the last.
    clicks({{80, 130}});
    EXPECT_EQ(editor().row(0)[4].x, 80);
    editor().run(Command::AppendSwitch);
    EXPECT_TRUE(editor().appendSwitch());
    clicks({{150, 150}});
    EXPECT_EQ(editor().row(0)[5].x, 150); // appended at the end
}

TEST_F(RailTest, EmptySidingLineStartsWithATurnoutAtTheClick)
{
    start();
    traceSiding();
    EXPECT_EQ(ui.messages[0], text::kConnectToLoop);
    ASSERT_EQ(ui.dialogsShown.size(), 1u);
    EXPECT_EQ(ui.dialogsShown[0].direction, 1);
    EXPECT_FALSE(ui.dialogsShown[0].terminal);
    const VertexRow& row = editor().row(1);
    ASSERT_EQ(row.count(), 3);
    EXPECT_EQ(row[0].x, 200);
    EXPECT_EQ(row[0].pointMark, 2);
    EXPECT_EQ(row[0].angle, 0);
    EXPECT_EQ(editor().selection(), 2); // the new vertex, in x order
}

TEST_F(RailTest, SidingVerticesAreOrderedByXWithinTheirGroup)
{
    start();
    traceSiding();
    clicks({{270, 360}}); // between the two vertices by x
    EXPECT_THAT(positions(editor().row(1)),
                ElementsAre(Point{200, 300}, Point{250, 330}, Point{270, 360}, Point{300, 340}));
    EXPECT_EQ(editor().selection(), 2);
}

TEST_F(RailTest, DeletingAGroupStartAsksAndRemovesTheWholeSiding)
{
    start();
    traceSiding();
    ui.dialogs = {PointDialogValues{0, false, false}};
    editor().menu(400, 200);
    editor().run(Command::CreateTurnout); // a second siding at the menu position
    clicks({{450, 200}});
    ASSERT_EQ(editor().row(1).count(), 5);

    editor().menu(200, 300);
    ui.answers = {Answer::No};
    editor().run(Command::DeleteVertex);
    EXPECT_EQ(ui.questions.back().text, text::kDeleteSiding);
    EXPECT_EQ(editor().row(1).count(), 5);

    ui.answers = {Answer::Yes};
    editor().run(Command::DeleteVertex);
    EXPECT_THAT(positions(editor().row(1)), ElementsAre(Point{400, 200}, Point{450, 200}));
    EXPECT_EQ(editor().selection(), -1);

    // A plain vertex goes without a question.
    size_t asked = ui.questions.size();
    editor().menu(450, 200);
    editor().run(Command::DeleteVertex);
    EXPECT_EQ(ui.questions.size(), asked);
    EXPECT_EQ(editor().row(1).count(), 1);
    EXPECT_EQ(editor().selection(), 0);
}

TEST_F(RailTest, TheEighthTurnoutIsWarnedAboutAndTheNinthRefused)
{
    start();
    editor().enterMode(EditMode::Sidings);
    for (int i = 0; i < 7; ++i) {
        editor().menu(40 + 70 * i, 100);
        editor().run(Command::CreateTurnout);
    }
    ASSERT_EQ(editor().row(1).count(), 7);
    EXPECT_THAT(ui.messages, IsEmpty());
    editor().menu(40, 200);
    editor().run(Command::CreateTurnout);
    EXPECT_THAT(ui.messages, ElementsAre(text::kEighthTurnout));
    EXPECT_EQ(editor().row(1).count(), 8);
    editor().menu(110, 200);
    editor().run(Command::CreateTurnout);
    EXPECT_EQ(ui.messages.back(), text::kTooManyTurnouts);
    EXPECT_EQ(editor().row(1).count(), 8);
}

TEST_F(RailTest, ATurnoutNeedsRoomInTheRowAndCancelAddsNothing)
{
    start("MAX_POINT=2\n");
    editor().enterMode(EditMode::Sidings);
    ui.dialogs = {std::nullopt};
    editor().run(Command::CreateTurnout);
    EXPECT_EQ(editor().row(1).count(), 0);
    EXPECT_EQ(editor().selection(), -1);
    EXPECT_EQ(editor().snapshotCount(), -1);

    editor().run(Command::CreateTurnout);
    EXPECT_EQ(editor().row(1)[0].x, 320); // no pop-up yet: the centre
    editor().menu(100, 100);
    editor().run(Command::CreateTurnout);
    ASSERT_EQ(editor().row(1).count(), 2);
    size_t dialogs = ui.dialogsShown.size();
    editor().menu(300, 100);
    editor().run(Command::CreateTurnout);
    EXPECT_EQ(ui.messages.back(), text::kRowFull);
    EXPECT_EQ(ui.dialogsShown.size(), dialogs);
}

TEST_F(RailTest, PointSettingsOfAnUnmarkedEndMakeATerminalPoint)
{
    start();
    traceSiding();
    editor().menu(300, 340); // last vertex of the row
    ASSERT_EQ(ui.lastMenu.back().text, text::kMenuTerminalSettings);
    ui.dialogs = {PointDialogValues{0, false, true}};
    editor().run(Command::PointSettings);
    EXPECT_EQ(ui.dialogsShown.back().direction, 1);
    EXPECT_TRUE(ui.dialogsShown.back().terminal);
    const VertexRecord& v = editor().row(1)[2];
    EXPECT_EQ(v.pointMark, 1);
    EXPECT_EQ(v.terminal, 1); // the dialog cannot clear it
    EXPECT_EQ(v.linked, 1);

    editor().menu(200, 300); // the turnout: initial values from its marks
    EXPECT_EQ(ui.lastMenu.back().text, text::kMenuPointSettings);
    ui.dialogs = {std::nullopt};
    editor().run(Command::PointSettings);
    EXPECT_EQ(ui.dialogsShown.back().direction, 1);
    EXPECT_FALSE(ui.dialogsShown.back().terminal);
    EXPECT_EQ(editor().row(1)[0].pointMark, 2);
}

} // namespace
} // namespace planwerk::testing
