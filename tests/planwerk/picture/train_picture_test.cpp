// Building the train picture: the rectangle's contents turned upright and
// stretched to the train height, and the train picture file.
#include "picture_fixtures.h"

#include "planwerk/picture/train_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

using namespace planwerk;
using namespace picture_fixtures;

namespace {

// Paints the axis-aligned box [x0, x1) x [y0, y1).
void paint(common::Bitmap& p, int x0, int y0, int x1, int y1, uint8_t b, uint8_t g, uint8_t r)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint8_t* px = p.pixel(x, y);
            px[0] = b;
            px[1] = g;
            px[2] = r;
        }
}

enum Colour { Red, Green, Blue, Other };

Colour colourAt(const common::Bitmap& p, int x, int y)
{
    const uint8_t* px = p.pixel(x, y);
    if (px[2] > 200 && px[1] < 50 && px[0] < 50)
        return Red;
    if (px[1] > 200 && px[2] < 50 && px[0] < 50)
        return Green;
    if (px[0] > 200 && px[1] < 50 && px[2] < 50)
        return Blue;
    return Other;
}

TrainRectangle rectangle(PicturePoint p0, PicturePoint p1, PicturePoint p2)
{
    TrainRectangle r;
    r.p[0] = p0;
    r.p[1] = p1;
    r.p[2] = p2;
    deriveTrainRectangle(r);
    return r;
}

} // namespace

TEST(TrainPicture, LevelRectangleIsCutAndStretchedToTheTrainHeight)
{
    // Blue picture; the rectangle (100..300) x (250..300) has a green roof
    // half and a red lower half.
    common::Bitmap edit = solid(640, 480, 255, 0, 0);
    paint(edit, 100, 250, 300, 275, 0, 255, 0);
    paint(edit, 100, 275, 300, 300, 0, 0, 255);
    TrainRectangle rect = rectangle({100, 300}, {300, 300}, {200, 250});
    ASSERT_EQ(rect.p[3], (PicturePoint{100, 250}));
    common::Bitmap train;
    ASSERT_TRUE(buildTrainPicture(edit, rect, 20, train));
    EXPECT_EQ(train.height, 20);
    EXPECT_EQ(train.width, 80); // 20 x 200 / 50
    for (int x = 2; x < 78; x += 5) {
        EXPECT_EQ(colourAt(train, x, 3), Green) << x;
        EXPECT_EQ(colourAt(train, x, 16), Red) << x;
    }
}

TEST(TrainPicture, UprightTrainIsTurnedAndKeptWhole)
{
    // A train standing upright in the picture, its base line drawn upwards
    // at x = 300 from y = 400 to y = 100, 40 pixels wide to the left. The
    // end near P1 (top) is green, the rest red, the surroundings blue.
    common::Bitmap edit = solid(640, 480, 255, 0, 0);
    paint(edit, 260, 100, 300, 400, 0, 0, 255);
    paint(edit, 260, 100, 300, 130, 0, 255, 0);
    TrainRectangle rect = rectangle({300, 400}, {300, 100}, {260, 250});
    ASSERT_EQ(rect.p[3], (PicturePoint{260, 400}));
    ASSERT_EQ(rect.p[4], (PicturePoint{260, 100}));
    common::Bitmap train;
    ASSERT_TRUE(buildTrainPicture(edit, rect, 20, train));
    ASSERT_EQ(train.width, 150); // 20 x 300 / 40
    ASSERT_EQ(train.height, 20);
    // Lying down now: P0/P3 end on the left, P1/P4 end (green) on the right,
    // and nothing of the length is lost although the picture is only 40
    // pixels wide in x.
    EXPECT_EQ(colourAt(train, 2, 10), Red);
    EXPECT_EQ(colourAt(train, 75, 10), Red);
    EXPECT_EQ(colourAt(train, 147, 10), Green);
    EXPECT_EQ(colourAt(train, 75, 2), Red);
    EXPECT_EQ(colourAt(train, 75, 17), Red);
}

TEST(TrainPicture, DiagonalTrainIsTurnedAboutItsCentre)
{
    // A 45-degree train: its contents are red, drawn by testing each pixel
    // against the rectangle.
    TrainRectangle rect = rectangle({200, 400}, {400, 200}, {270, 270});
    ASSERT_EQ(rect.p[3], (PicturePoint{170, 370}));
    common::Bitmap edit = solid(640, 480, 255, 0, 0);
    const double L = std::hypot(200.0, 200.0);
    const double T = std::hypot(30.0, 30.0);
    const double ax = 200 / L, ay = -200 / L; // along the base line
    const double ux = ay, uy = -ax;           // towards P3
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const double along = (x - 200) * ax + (y - 400) * ay;
            const double across = (x - 200) * ux + (y - 400) * uy;
            if (along >= 0 && along <= L && across >= 0 && across <= T)
                paint(edit, x, y, x + 1, y + 1, 0, 0, 255);
        }
    common::Bitmap train;
    ASSERT_TRUE(buildTrainPicture(edit, rect, 20, train));
    EXPECT_EQ(train.height, 20);
    EXPECT_EQ(train.width, int(std::lround(20 * L / T)));
    // Red from end to end, away from the edges where sampling blends.
    for (int x = 3; x < train.width - 3; x += 4)
        EXPECT_EQ(colourAt(train, x, 10), Red) << x;
}

TEST(TrainPicture, NoLengthOrNoHeightGivesNoPicture)
{
    common::Bitmap edit = solid(640, 480, 255, 0, 0);
    common::Bitmap train = solid(3, 3, 1, 1, 1);
    TrainRectangle flat = rectangle({100, 300}, {300, 300}, {200, 350}); // P2 below
    EXPECT_FALSE(buildTrainPicture(edit, flat, 20, train));
    TrainRectangle point = rectangle({100, 300}, {100, 300}, {100, 300});
    EXPECT_FALSE(buildTrainPicture(edit, point, 20, train));
    EXPECT_EQ(train.width, 3);
}

TEST(TrainPicture, TurnedSquareWithoutTurnIsACopyWithBlackOutside)
{
    common::Bitmap p = coordinates(20, 20);
    common::Bitmap same = turnedSquare(p, 0, 0, 20, 0.0);
    EXPECT_EQ(same.bgr, p.bgr);
    common::Bitmap shifted = turnedSquare(p, -4, -4, 8, 0.0);
    EXPECT_EQ(shifted.pixel(0, 0)[0], 0);
    EXPECT_EQ(shifted.pixel(0, 0)[2], 0);
    EXPECT_EQ(0, std::memcmp(shifted.pixel(5, 6), p.pixel(1, 2), 3));
}

TEST(TrainPicture, FileIsA24BitBitmapWithPaddedRows)
{
    Folder folder;
    common::Bitmap train = coordinates(81, 20); // 243 bytes a row: padded to 244
    std::string error;
    ASSERT_TRUE(writeTrainPicture(folder.file("train.bmp"), train, error));
    EXPECT_EQ(std::filesystem::file_size(folder.file("train.bmp")), 54u + 244u * 20u);
    common::Bitmap back;
    ASSERT_TRUE(common::readBitmap(folder.file("train.bmp"), back));
    EXPECT_EQ(back.bgr, train.bgr);
    EXPECT_FALSE(writeTrainPicture(folder.file("no/such/folder/train.bmp"), train, error));
    EXPECT_EQ(error, "画像ファイルの保存に失敗しました");
}
