// Mask and exception regions: placement at the pop-up position, corner
// handles and their drag, bands, delete and the list limit.
#include "editor_fixture.h"

#include "layoutdata/layout_files.h"
#include "planwerk/editor_texts.h"

namespace planwerk::testing {
namespace {

using layoutdata::MaskRecord;

class RegionTest : public EditorTest {
protected:
    void enter(EditMode mode, const std::string& ini = "")
    {
        start(ini);
        editor().enterMode(mode);
    }
    // A right click at (x, y), then the pop-up's add item.
    void addAt(int x, int y, Command command = Command::AddRect)
    {
        editor().menu(x, y);
        ASSERT_TRUE(editor().run(command));
    }
    const RegionSet& regions() const
    {
        return editor_->mode() == EditMode::Exception ? editor_->exceptions() : editor_->masks();
    }
    std::vector<std::string> menuTexts() const
    {
        std::vector<std::string> out;
        for (const auto& item : ui.lastMenu)
            out.push_back(item.text);
        return out;
    }
};

TEST_F(RegionTest, SquaresStayPointSizeInsideThePicture)
{
    enter(EditMode::Mask);
    addAt(3, 2);
    addAt(639, 479);
    addAt(300, 200);
    ASSERT_EQ(regions().count(), 3);
    const MaskRecord& topLeft = regions()[0];
    EXPECT_EQ(topLeft.corners[0], (Point{4, 4}));
    EXPECT_EQ(topLeft.corners[1], (Point{104, 4}));
    EXPECT_EQ(topLeft.corners[2], (Point{104, 104}));
    EXPECT_EQ(topLeft.corners[3], (Point{4, 104}));
    EXPECT_EQ(topLeft.width, 0);
    EXPECT_EQ(regions()[1].corners[0], (Point{535, 375}));
    EXPECT_EQ(regions()[2].corners[0], (Point{250, 150}));
    // The new region's first corner is selected.
    EXPECT_EQ(editor().selection(), 8);
    EXPECT_TRUE(editor().modified().mask);
}

TEST_F(RegionTest, PlacementFollowsPointSize)
{
    enter(EditMode::Exception, "POINT_SIZE=10\n");
    addAt(0, 0);
    addAt(700, 900); // clamped to the picture first
    EXPECT_EQ(regions()[0].corners[0], (Point{10, 10}));
    EXPECT_EQ(regions()[1].corners[0], (Point{529, 369}));
    EXPECT_EQ(editor().masks().count(), 0);
}

TEST_F(RegionTest, MenusOfferBandsOnlyForMasksAndDeleteOnlyWithASelection)
{
    enter(EditMode::Mask);
    editor().menu(300, 300);
    EXPECT_EQ(menuTexts(), (std::vector<std::string>{text::kMenuAddRect, text::kMenuAddBand}));
    EXPECT_EQ(editor().lastPopup(), (Point{300, 300}));
    ASSERT_TRUE(editor().run(Command::AddRect));
    editor().menu(250, 250); // corner 1 of the new square
    EXPECT_EQ(menuTexts(), (std::vector<std::string>{text::kMenuAddRect, text::kMenuAddBand,
                                                     text::kMenuDeleteRegion}));

    editor().enterMode(EditMode::Exception);
    editor().menu(300, 300);
    EXPECT_EQ(menuTexts(), (std::vector<std::string>{text::kMenuAddRect}));
    EXPECT_FALSE(editor().run(Command::AddBand));
}

TEST_F(RegionTest, DraggingACornerMovesOnlyThatCornerAndNeverReorders)
{
    enter(EditMode::Mask);
    addAt(300, 200);          // square 250..350 x 150..250
    editor().press(352, 251); // corner 3 at (350, 250), grabbed off-centre
    EXPECT_EQ(editor().selection(), 2);
    editor().move(200, 100);
    editor().move(150, 90);
    // Only the marker follows the mouse until the button is released.
    EXPECT_EQ((std::vector<std::array<int, 3>>{{148, 89, 4}}), ui.markers);
    EXPECT_EQ(regions()[0].corners[2], (Point{350, 250}));
    editor().release(150, 90);
    // Dragged past corner 1: the corners stay in their order.
    EXPECT_EQ(regions()[0].corners[0], (Point{250, 150}));
    EXPECT_EQ(regions()[0].corners[2], (Point{148, 89}));
    EXPECT_EQ(editor().dragCounter(), -1);

    ASSERT_TRUE(editor().run(Command::Undo));
    EXPECT_EQ(regions()[0].corners[2], (Point{350, 250}));
}

TEST_F(RegionTest, MousePositionsAreClampedToThePicture)
{
    enter(EditMode::Mask);
    addAt(300, 200);
    editor().press(250, 150);
    editor().release(-40, 9000);
    EXPECT_EQ(regions()[0].corners[0], (Point{0, 479}));
}

TEST_F(RegionTest, APressOffEveryCornerClearsTheSelection)
{
    enter(EditMode::Mask);
    addAt(300, 200);
    int repaints = ui.repaints;
    editor().press(300, 200); // inside the square, but no corner
    EXPECT_EQ(editor().selection(), -1);
    EXPECT_EQ(editor().dragCounter(), -1);
    EXPECT_GT(ui.repaints, repaints);
    editor().release(10, 10);
    EXPECT_EQ(regions()[0].corners[0], (Point{250, 150}));
}

TEST_F(RegionTest, BandHandlesAreItsEndsAndTheExportedQuadrilateralFollows)
{
    enter(EditMode::Mask, "MASK_WIDTH=10\n");
    addAt(300, 200, Command::AddBand);
    const MaskRecord& band = regions()[0];
    EXPECT_EQ(band.width, 10);
    EXPECT_EQ(band.corners[0], (Point{250, 150}));
    EXPECT_EQ(band.corners[1], (Point{350, 150}));
    EXPECT_EQ(band.corners[2], (Point{999, 999}));
    EXPECT_EQ(band.corners[3], (Point{999, 999}));
    // A horizontal band: the quadrilateral spans 5 pixels above and below.
    auto before = layoutdata::maskQuadrilateral(band);
    EXPECT_EQ(before[0], (Point{250, 155}));
    EXPECT_EQ(before[2], (Point{350, 145}));

    // Where a square would have its third corner the band has no handle.
    editor().press(350, 250);
    EXPECT_EQ(editor().selection(), -1);

    editor().press(350, 150);
    ASSERT_EQ(editor().selection(), 1);
    editor().release(250, 250); // now vertical
    auto after = layoutdata::maskQuadrilateral(regions()[0]);
    EXPECT_EQ(after[0], (Point{245, 150}));
    EXPECT_EQ(after[1], (Point{255, 150}));
    EXPECT_EQ(after[2], (Point{255, 250}));
    EXPECT_EQ(after[3], (Point{245, 250}));
}

TEST_F(RegionTest, DeleteRemovesTheSelectedRegionWithoutAQuestion)
{
    enter(EditMode::Mask);
    ASSERT_TRUE(editor().run(Command::AddRect)); // at (320, 240)
    addAt(100, 100);
    addAt(500, 400);
    editor().press(50, 50); // corner 1 of the second region
    ASSERT_EQ(editor().selection(), 4);
    editor().release(50, 50);
    ASSERT_TRUE(editor().run(Command::DeleteRegion));
    EXPECT_TRUE(ui.questions.empty());
    ASSERT_EQ(regions().count(), 2);
    EXPECT_EQ(regions()[0].corners[0], (Point{270, 190}));
    EXPECT_EQ(regions()[1].corners[0], (Point{450, 350}));
    EXPECT_EQ(editor().selection(), -1);
    // Without a selection nothing is deleted.
    EXPECT_FALSE(editor().run(Command::DeleteRegion));
    EXPECT_EQ(regions().count(), 2);
}

TEST_F(RegionTest, The33rdRegionIsRefusedEvenWhenTheOtherListIsShort)
{
    enter(EditMode::Exception);
    for (int i = 0; i < 32; ++i)
        addAt(100 + i * 10, 100);
    ASSERT_EQ(regions().count(), 32);
    addAt(300, 300);
    EXPECT_EQ(regions().count(), 32);
    EXPECT_EQ(ui.messages.back(), text::kRegionsFull);
    EXPECT_EQ(regions()[31].corners[0], (Point{360, 50}));

    editor().enterMode(EditMode::Mask);
    addAt(300, 300, Command::AddBand);
    EXPECT_EQ(editor().masks().count(), 1);
}

TEST_F(RegionTest, SaveWritesTheEditedListsBack)
{
    enter(EditMode::Mask);
    addAt(300, 200, Command::AddBand);
    editor().enterMode(EditMode::Exception);
    addAt(100, 100);
    editor().save();
    layoutdata::MaskFile masks, exceptions;
    ASSERT_EQ(layoutdata::readMaskFile(work("mask.dat"), masks), layoutdata::ReadStatus::Ok);
    ASSERT_EQ(layoutdata::readMaskFile(work("except.dat"), exceptions), layoutdata::ReadStatus::Ok);
    ASSERT_EQ(masks.records.size(), 1u);
    EXPECT_EQ(masks.records[0].width, 4);
    ASSERT_EQ(exceptions.records.size(), 1u);
    EXPECT_EQ(exceptions.records[0].corners[2], (Point{150, 150}));
}

} // namespace
} // namespace planwerk::testing
