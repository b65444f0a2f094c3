#include "vardo/layout/layout.h"
#include "vardo/layout/photo_rotation.h"
#include "vardo/layout/point_symbol.h"
#include "vardo/layout/turntable_picture.h"

#include "layout_folder_fixture.h"
#include "track_fixtures.h"

#include <QPainter>
#include <chrono>
#include <gtest/gtest.h>

using namespace layout_fixtures;
using namespace vardo::layout;
using vardo::testing::RecordingFrontend;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

layoutdata::CrossingRecord crossing(int drive)
{
    layoutdata::CrossingRecord c;
    c.barrier = 1;
    c.lights = 1;
    c.arm1 = {Point{270, 190}, Point{370, 190}};
    c.arm2 = {Point{370, 290}, Point{270, 290}};
    c.lamp = {Point{260, 180}, Point{280, 180}, Point{360, 300}, Point{380, 300}};
    c.left = 252;
    c.top = 172;
    c.right = 388;
    c.bottom = 308;
    c.drive = drive;
    return c;
}

class LayoutPicturesTest : public ::testing::Test {
protected:
    LayoutPicturesTest()
    {
        layoutdata::writePolylineFile(
            folder.layoutFile("layout.dat"),
            polylines({straight({40, 400}, {600, 400}, 281), straight({100, 100}, {500, 100}, 201)}));
        layoutdata::writePointFile(folder.layoutFile("point.dat"),
                                   pointFile({pointRecord(1, 0, 1, 100, 390),
                                              pointRecord(1, 1, 1, 500, 390)}));
    }
    void load() { ASSERT_TRUE(layout.load(folder.paths())); }
    QImage rect(const QImage& image, const QRect& r) { return image.copy(r); }

    ProgramFolder folder;
    RecordingFrontend frontend;
    Layout layout{frontend};
};

TEST_F(LayoutPicturesTest, PointSymbolHalvesAreCopiedOnSwitching)
{
    load();
    const QRect square(100 - 16, 390 - 16, 32, 32);
    QImage straightShown = rect(layout.pictures().layout(), square);
    ASSERT_TRUE(layout.setPoint(0, true, true));
    QImage branchShown = rect(layout.pictures().layout(), square);
    EXPECT_NE(straightShown, branchShown);
    EXPECT_EQ(rect(layout.pictures().display(), square), branchShown);
    // The symbol's key colour shows the layout picture underneath.
    QImage composed = composePointSymbol(makePointSymbolBitmap(), layout.pictures().layout(), {100, 390});
    EXPECT_EQ(composed.pixel(0, 0), layout.pictures().layout().pixel(100 - 16, 390 - 16));
    ASSERT_TRUE(layout.setPoint(0, false, true));
    EXPECT_EQ(rect(layout.pictures().layout(), square), straightShown);
    // Without the layout on screen only the links change.
    layout.setLayoutOnScreen(false);
    ASSERT_TRUE(layout.setPoint(0, true, true));
    EXPECT_EQ(rect(layout.pictures().layout(), square), straightShown);
    EXPECT_EQ(layout.next(layout.model().point(0).junction), 281);
}

TEST_F(LayoutPicturesTest, CrossingLightsFlashFromTheirTimer)
{
    layoutdata::writeCrossingFile(folder.layoutFile("cross.dat"), {{crossing(5)}});
    folder.dir.write("option.ini", "[USB]\nCROSS_TIME=1\n");
    load();
    EXPECT_EQ(layout.model().pointCount(), 5);
    ASSERT_TRUE(layout.setPoint(4, true, true));
    EXPECT_EQ(frontend.runningTimers(), (std::map<int, int>{{7, 1000}}));
    EXPECT_TRUE(layout.onTimer(7));
    EXPECT_EQ(layout.model().crossing(0).lightState, 1);
    EXPECT_EQ(pixelAt(layout.pictures().layout(), 260, 180), kRed);
    EXPECT_EQ(pixelAt(layout.pictures().layout(), 280, 180), kBlack);
    EXPECT_EQ(pixelAt(layout.pictures().display(), 360, 300), kRed);
    EXPECT_TRUE(layout.onTimer(7));
    EXPECT_EQ(layout.model().crossing(0).lightState, 2);
    EXPECT_EQ(pixelAt(layout.pictures().layout(), 260, 180), kBlack);
    EXPECT_EQ(pixelAt(layout.pictures().layout(), 380, 300), kRed);
    EXPECT_FALSE(layout.onTimer(8)); // no second crossing
    EXPECT_FALSE(layout.onTimer(3));

    ASSERT_TRUE(layout.setPoint(4, false, true));
    EXPECT_TRUE(frontend.runningTimers().empty());
    EXPECT_EQ(layout.model().crossing(0).lightState, 0);
    for (auto lamp : crossing(5).lamp)
        EXPECT_EQ(pixelAt(layout.pictures().layout(), lamp.x, lamp.y), kBlack);
    layout.waitForAnimations();
}

TEST_F(LayoutPicturesTest, BarrierAnimationEndsOnTheTargetHalf)
{
    layoutdata::writeCrossingFile(folder.layoutFile("cross.dat"), {{crossing(9)}});
    folder.dir.write("option.ini", "[USB]\nCROSS_TIME=1\n");
    load();
    EXPECT_EQ(layout.model().pointCount(), 2); // relay drives raise nothing
    const QRect r = layout.crossings().crossingRect(0);
    const QImage& pair = layout.crossings().picturePair(0);
    ASSERT_EQ(pair.size(), QSize(r.width(), 2 * r.height()));
    QImage open = pair.copy(0, 0, r.width(), r.height());
    QImage closed = pair.copy(0, r.height(), r.width(), r.height());
    EXPECT_NE(open, closed); // the drawn arms
    EXPECT_EQ(pixelAt(closed, 300 - r.left(), 190 - r.top()), QColor(205, 178, 96));

    layout.crossingDrive(9, true);
    layout.waitForAnimations();
    EXPECT_EQ(rect(layout.pictures().layout(), r), closed);
    EXPECT_EQ(rect(layout.pictures().display(), r), closed);
    layout.crossingDrive(9, false);
    layout.waitForAnimations();
    EXPECT_EQ(rect(layout.pictures().layout(), r), open);
}

TEST_F(LayoutPicturesTest, ClosedPictureFromItsFileAndEarlyStop)
{
    layoutdata::writeCrossingFile(folder.layoutFile("cross.dat"), {{crossing(1)}});
    common::writeBitmap(folder.layoutFile("cross1.bmp"), ProgramFolder::solidBitmap(137, 137, 9, 8, 7));
    folder.dir.write("option.ini", "[USB]\nCROSS_TIME=99\n");
    load();
    const QRect r = layout.crossings().crossingRect(0);
    EXPECT_EQ(pixelAt(layout.crossings().picturePair(0), 0, r.height()), QColor(9, 8, 7));

    auto started = std::chrono::steady_clock::now();
    layout.setPoint(0, true, true); // drives the crossing, not the symbol
    layout.stop();
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000)); // the whole run takes 1.4 s
    QImage shown = rect(layout.pictures().layout(), r);
    EXPECT_NE(shown, layout.crossings().picturePair(0).copy(0, r.height(), r.width(), r.height()));
}

TEST_F(LayoutPicturesTest, MaskKeepsTheDisplayClear)
{
    layoutdata::writePolylineFile(folder.layoutFile("mask.dat"),
                                  polylines({Line{{150, 370}, {420, 370}, {420, 430}, {150, 430}}}));
    folder.dir.write("option.ini", "[LAYOUT]\nTRAIN_TYPE=1\nTRAIN_COLOR1=#00FF00\n");
    load();
    QImage before = layout.pictures().display().copy();
    // A car inside the mask leaves the display untouched; outside it shows.
    EXPECT_TRUE(layout.drawTrainFigure(0, 120));
    EXPECT_EQ(layout.pictures().display(), before);
    EXPECT_TRUE(layout.drawTrainFigure(0, 200));
    EXPECT_EQ(pixelAt(layout.pictures().display(), 440, 400), QColor(0, 255, 0));
    // The same on a picture of the caller's.
    QImage frame = before.copy();
    layout.drawTrainFigure(frame, 0, 120);
    EXPECT_EQ(frame, before);
}

TEST_F(LayoutPicturesTest, PhotographFigureCoversOnlyTheCar)
{
    common::writeBitmap(folder.dir.file("sample/train/car.bmp"), ProgramFolder::solidBitmap(40, 10, 0, 200, 0));
    folder.dir.write("option.ini", "[LAYOUT]\nTRAIN_FILE1=car.bmp\n");
    load();
    ASSERT_EQ(layout.model().trainType, 0);
    QImage before = layout.pictures().display().copy();
    layout.drawTrainFigure(0, 150); // (340, 400), running along x
    const QImage& shown = layout.pictures().display();
    EXPECT_EQ(pixelAt(shown, 340, 400), QColor(0, 200, 0));
    EXPECT_EQ(pixelAt(shown, 355, 403), QColor(0, 200, 0));
    EXPECT_EQ(shown.pixel(365, 400), before.pixel(365, 400));
    EXPECT_EQ(shown.pixel(340, 410), before.pixel(340, 410));
}

TEST_F(LayoutPicturesTest, TurntableBridgeAndTurnedFlag)
{
    folder.dir.write("layout/turntable.ini",
                     "[LAYOUT]\nTABLE_SIZE=60\nTABLE_RANGE=400\nTABLE_POSITION=320,240\n"
                     "LINE_ANGLE=0,90\n");
    load();
    ASSERT_TRUE(layout.model().turntable.present);
    EXPECT_EQ(layout.turntablePicture().size(), QSize(240, 120));
    std::vector<Point> cars{{325, 245}, {330, 240}};
    ASSERT_TRUE(layout.drawTurntable(1, true, true, cars));
    EXPECT_EQ(layout.model().turntable.trackIndex, 1);
    EXPECT_TRUE(layout.model().turned[0]);
    EXPECT_FALSE(layout.model().turned[1]);
    // Bridge across at 90 degrees: filled above the centre, not beside it.
    const QColor fill(150, 150, 150);
    EXPECT_EQ(pixelAt(layout.pictures().layout(), 320 + 10, 240 - 40), fill);
    EXPECT_NE(pixelAt(layout.pictures().layout(), 320 + 40, 240 - 10), fill);
    EXPECT_EQ(pixelAt(layout.pictures().display(), 320 + 10, 240 - 40), fill);
    // No change of the reversal flag: no turn.
    ASSERT_TRUE(layout.drawTurntable(0, true, true, cars));
    EXPECT_TRUE(layout.model().turned[0]);
    EXPECT_EQ(pixelAt(layout.pictures().layout(), 320 + 40, 240 - 10), fill);
    EXPECT_FALSE(layout.drawTurntable(2, true, false, cars));
    ASSERT_TRUE(layout.drawTurntable(0, false, false, cars)); // not simulating
    EXPECT_TRUE(layout.model().turned[0]);
    EXPECT_EQ(turntablePoint(60, 90, 56, 0), QPoint(180, 4));
    EXPECT_EQ(turntablePoint(60, 0, -56, 15), QPoint(125, 45));
}

TEST(PhotoRotation, IntegerBilinearTurn)
{
    EXPECT_EQ(workPictureSide(40, 10), 48);
    QImage photo(40, 10, QImage::Format_RGB888);
    photo.fill(Qt::white);
    for (int y = 0; y < 10; ++y)
        photo.setPixel(0, y, qRgb(255, 0, 0)); // marked rear end
    QImage work(48, 48, QImage::Format_RGB888);
    work.fill(Qt::black);
    rotatePhoto(photo, 0.0, work);
    EXPECT_EQ(work.copy(4, 19, 40, 10), photo);
    EXPECT_EQ(QColor(work.pixel(3, 20)), QColor(Qt::black));
    // A quarter turn (y downwards): the rear end goes to the top.
    work.fill(Qt::black);
    rotatePhoto(photo, 1.570795, work);
    EXPECT_EQ(QColor(work.pixel(24, 4)).red(), 255);
    EXPECT_LT(QColor(work.pixel(24, 4)).green(), 40);
    EXPECT_EQ(QColor(work.pixel(24, 30)), QColor(Qt::white));
    EXPECT_EQ(QColor(work.pixel(10, 24)), QColor(Qt::black));
}

} // namespace
