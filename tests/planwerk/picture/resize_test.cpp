// The automatic 4:3 cut and its question, area-averaging stretching, the
// trim rectangle, the display scale and the turn by 180 degrees.
#include "picture_fixtures.h"

#include "planwerk/picture/display_scale.h"
#include "planwerk/picture/resize.h"
#include "planwerk/picture/rotate.h"
#include "planwerk/picture/stretch.h"
#include "planwerk/picture/trim_rectangle.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace planwerk;
using namespace picture_fixtures;

namespace {

// A source whose pixels outside `keep` are red and inside green.
common::Bitmap greenInside(int width, int height, PictureRect keep)
{
    common::Bitmap p = solid(width, height, 0, 0, 255);
    for (int y = keep.y; y < keep.y + keep.height; ++y)
        for (int x = keep.x; x < keep.x + keep.width; ++x) {
            uint8_t* px = p.pixel(x, y);
            px[1] = 255;
            px[2] = 0;
        }
    return p;
}

bool allGreen(const common::Bitmap& p)
{
    for (size_t i = 0; i < p.bgr.size(); i += 3)
        if (p.bgr[i] != 0 || p.bgr[i + 1] != 255 || p.bgr[i + 2] != 0)
            return false;
    return true;
}

struct CountingConfirm {
    int asked = 0;
    bool answer = true;
    ConfirmCut callback()
    {
        return [this] {
            ++asked;
            return answer;
        };
    }
};

} // namespace

TEST(AutomaticCut, FourToThreeIsTakenWholeOthersAreCutInTheMiddle)
{
    AutoCut whole = automaticCut(800, 600, SourceKind::Layout);
    EXPECT_EQ(whole.rect, (PictureRect{0, 0, 800, 600}));
    EXPECT_FALSE(whole.removesSomething);

    AutoCut wide = automaticCut(1024, 600, SourceKind::Layout);
    EXPECT_EQ(wide.rect, (PictureRect{112, 0, 800, 600}));
    EXPECT_TRUE(wide.removesSomething);

    AutoCut square = automaticCut(640, 640, SourceKind::Collage);
    EXPECT_EQ(square.rect, (PictureRect{0, 80, 640, 480}));
    EXPECT_TRUE(square.removesSomething);

    // A train photograph keeps the middle band of its full width.
    EXPECT_EQ(automaticCut(800, 600, SourceKind::TrainEdit).rect, (PictureRect{0, 0, 800, 600}));
    EXPECT_EQ(automaticCut(800, 1000, SourceKind::TrainEdit).rect, (PictureRect{0, 200, 800, 600}));
    // One wider than 4:3 has no such band: it is cut in width, never read
    // above its first row.
    EXPECT_EQ(automaticCut(1024, 600, SourceKind::TrainEdit).rect, (PictureRect{112, 0, 800, 600}));
}

TEST(Resize, WholePictureNeedsNoQuestion)
{
    CountingConfirm confirm;
    ResizeResult r = resizePicture(greenInside(800, 600, {0, 0, 800, 600}), SourceKind::Layout,
                                   std::nullopt, confirm.callback());
    EXPECT_EQ(confirm.asked, 0);
    ASSERT_EQ(r.status, ResizeStatus::Done);
    EXPECT_EQ(r.picture.width, 640);
    EXPECT_EQ(r.picture.height, 480);
    EXPECT_TRUE(allGreen(r.picture));
}

TEST(Resize, WidePictureIsCutFromX112AfterTheQuestion)
{
    CountingConfirm confirm;
    // Only the part the cut keeps is green: any red in the result means the
    // cut started elsewhere.
    common::Bitmap source = greenInside(1024, 600, {112, 0, 800, 600});
    ResizeResult r = resizePicture(source, SourceKind::Layout, std::nullopt, confirm.callback());
    EXPECT_EQ(confirm.asked, 1);
    ASSERT_EQ(r.status, ResizeStatus::Done);
    EXPECT_EQ(r.used, (PictureRect{112, 0, 800, 600}));
    EXPECT_TRUE(allGreen(r.picture));
}

TEST(Resize, SquarePictureIsCutFromY80AndCancelChangesNothing)
{
    CountingConfirm confirm;
    confirm.answer = false;
    common::Bitmap source = greenInside(640, 640, {0, 80, 640, 480});
    ResizeResult cancelled =
        resizePicture(source, SourceKind::Layout, std::nullopt, confirm.callback());
    EXPECT_EQ(cancelled.status, ResizeStatus::Cancelled);
    EXPECT_TRUE(cancelled.picture.bgr.empty());

    confirm.answer = true;
    ResizeResult r = resizePicture(source, SourceKind::Layout, std::nullopt, confirm.callback());
    EXPECT_EQ(confirm.asked, 2);
    ASSERT_EQ(r.status, ResizeStatus::Done);
    EXPECT_EQ(r.used, (PictureRect{0, 80, 640, 480}));
    // 640 x 480 to 640 x 480: a plain copy of the band.
    EXPECT_TRUE(allGreen(r.picture));
}

TEST(Resize, TrimRectangleIsUsedWithoutQuestion)
{
    CountingConfirm confirm;
    common::Bitmap source = greenInside(1000, 1000, {100, 200, 400, 300});
    ResizeResult r = resizePicture(source, SourceKind::Layout, PictureRect{100, 200, 400, 300},
                                   confirm.callback());
    EXPECT_EQ(confirm.asked, 0);
    ASSERT_EQ(r.status, ResizeStatus::Done);
    EXPECT_TRUE(allGreen(r.picture));
    // A rectangle wholly outside the picture gives nothing and changes nothing.
    EXPECT_EQ(
        resizePicture(source, SourceKind::Layout, PictureRect{2000, 0, 40, 30}, confirm.callback())
            .status,
        ResizeStatus::Empty);
}

TEST(Stretch, AreaAveragingMeansTheCoveredPixels)
{
    // A 2 x 2 checkerboard of 0 and 200 shrinks to one pixel of 100.
    common::Bitmap board = solid(2, 2, 0, 0, 0);
    board.pixel(0, 0)[0] = 200;
    board.pixel(1, 1)[0] = 200;
    common::Bitmap one = stretchArea(board, {0, 0, 2, 2}, 1, 1);
    ASSERT_EQ(one.bgr.size(), 3u);
    EXPECT_EQ(one.bgr[0], 100);

    // Three pixels 0, 90, 180 to two: each output covers 1.5 source pixels.
    common::Bitmap row = solid(3, 1, 0, 0, 0);
    row.pixel(1, 0)[1] = 90;
    row.pixel(2, 0)[1] = 180;
    common::Bitmap two = stretchArea(row, {0, 0, 3, 1}, 2, 1);
    EXPECT_EQ(two.pixel(0, 0)[1], 30);  // (0 + 0.5 * 90) / 1.5
    EXPECT_EQ(two.pixel(1, 0)[1], 150); // (0.5 * 90 + 180) / 1.5

    // Enlarging by two repeats every pixel.
    common::Bitmap big = stretchArea(row, {0, 0, 3, 1}, 6, 2);
    EXPECT_EQ(big.pixel(2, 1)[1], 90);
    EXPECT_EQ(big.pixel(3, 0)[1], 90);
    EXPECT_EQ(big.pixel(5, 0)[1], 180);

    // Same size: an exact copy, rows the right way up.
    common::Bitmap c = coordinates(50, 40);
    EXPECT_EQ(stretchArea(c, {0, 0, 50, 40}, 50, 40).bgr, c.bgr);
    EXPECT_TRUE(stretchArea(c, {0, 0, 0, 40}, 5, 5).bgr.empty());
}

TEST(TrimRectangleTest, AlwaysFourToThreeWhicheverWayItIsDragged)
{
    TrimRectangle trim;
    trim.press(10, 10);
    auto first = trim.move(210, 110); // too wide: width from height
    EXPECT_FALSE(first.erasePrevious);
    EXPECT_EQ(first.current, (PictureRect{10, 10, 133, 100}));
    auto second = trim.move(110, 210); // too tall: height from width
    EXPECT_TRUE(second.erasePrevious);
    EXPECT_EQ(second.previous, (PictureRect{10, 10, 133, 100}));
    EXPECT_EQ(second.current, (PictureRect{10, 10, 100, 75}));
    trim.release(330, 250);
    EXPECT_TRUE(trim.finished());
    EXPECT_EQ(trim.shown(), (PictureRect{10, 10, 320, 240}));

    // A new press repaints; dragged up and to the left it stays 4:3.
    EXPECT_TRUE(trim.press(400, 300).repaint);
    trim.release(0, 100); // 400 x 200 up-left: width from height
    EXPECT_EQ(trim.shown(), (PictureRect{134, 100, 266, 200}));

    // Moves before a press or after the release change nothing.
    TrimRectangle idle;
    EXPECT_FALSE(idle.move(5, 5).drawCurrent);
    EXPECT_EQ(idle.state(), TrimRectangle::Idle);
}

TEST(TrimRectangleTest, SourceRectangleUndoesTheDisplayScale)
{
    TrimRectangle trim;
    trim.press(20, 30);
    trim.release(340, 270);
    EXPECT_EQ(trimToSource(trim, 50), (PictureRect{40, 60, 640, 480}));
    EXPECT_EQ(trimToSource(trim, 100), (PictureRect{20, 30, 320, 240}));
}

TEST(DisplayScaleTest, LargePicturesShrinkToTheScreen)
{
    DisplayScale full = displayScale(640, 480, 1920, 1080);
    EXPECT_EQ(full.width, 640);
    EXPECT_EQ(full.scale, 100);
    // 4000 x 3000 on 1920 x 1080: the height limits (1080 - 103 = 977).
    DisplayScale photo = displayScale(4000, 3000, 1920, 1080);
    EXPECT_EQ(photo.height, 977);
    EXPECT_EQ(photo.width, 1302);
    EXPECT_EQ(photo.scale, 32);
    // A wide panorama: the width limits (1920 - 19 = 1901).
    DisplayScale wide = displayScale(8000, 1000, 1920, 1080);
    EXPECT_EQ(wide.width, 1901);
    EXPECT_EQ(wide.height, 237);
    EXPECT_EQ(wide.scale, 23);
}

TEST(Rotate, HalfTurnMirrorsBothWaysAndTwiceIsNothing)
{
    const common::Bitmap original = coordinates(7, 5);
    common::Bitmap p = original;
    rotate180(p);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(0, std::memcmp(p.pixel(x, y), original.pixel(6 - x, 4 - y), 3));
    rotate180(p);
    EXPECT_EQ(p.bgr, original.bgr);
}
