#include "vardo/layout/layout.h"

#include "common/colour.h"
#include "common/profile.h"
#include "common/string_table.h"
#include "layout_folder_fixture.h"
#include "track_fixtures.h"

#include <gtest/gtest.h>

using namespace layout_fixtures;
using namespace vardo::layout;
using vardo::testing::RecordingFrontend;
namespace msg = common::msg;

namespace {

// Loop along y = 300 (x = 40..600, 2 pixels apart) and one siding above it.
layoutdata::PolylineFile standardTrack()
{
    return polylines({straight({40, 300}, {600, 300}, 281), straight({100, 200}, {500, 200}, 201)});
}

class LayoutLoad : public ::testing::Test {
protected:
    void writeTrack(const layoutdata::PolylineFile& track = standardTrack())
    {
        layoutdata::writePolylineFile(folder.layoutFile("layout.dat"), track);
    }
    bool load()
    {
        bool ok = layout.load(folder.paths());
        if (ok)
            layout.computeHomePositions();
        return ok;
    }
    std::vector<std::string> texts(std::initializer_list<int> ids)
    {
        std::vector<std::string> out;
        for (int id : ids)
            out.push_back(common::messageText(id));
        return out;
    }

    ProgramFolder folder;
    RecordingFrontend frontend;
    Layout layout{frontend};
};

TEST_F(LayoutLoad, MissingOrWrongLayoutDatFails)
{
    EXPECT_FALSE(load());
    EXPECT_EQ(frontend.messageTexts(), texts({msg::LayoutReadFailed}));

    RecordingFrontend second;
    Layout again(second);
    folder.writeWrongTag(folder.layoutFile("layout.dat"),
                         layoutdata::encodePolylineFile(standardTrack()));
    EXPECT_FALSE(again.load(folder.paths()));
    EXPECT_EQ(second.messageTexts(), texts({msg::NotPolygonData, msg::LayoutReadFailed}));
}

TEST_F(LayoutLoad, OnlyLayoutDatGivesDrawnPictureAndDefaults)
{
    writeTrack();
    ASSERT_TRUE(load());
    EXPECT_TRUE(frontend.messageTexts().empty());
    const QImage& picture = layout.pictures().layout();
    ASSERT_EQ(picture.size(), QSize(640, 480));
    EXPECT_EQ(pixelAt(picture, 10, 10), QColor(0xFF, 0xF9, 0xBD));
    EXPECT_EQ(pixelAt(picture, 300, 300), QColor(0, 0, 0xFF));
    // The default point: direction 2, number 1, at the siding's first position.
    const LayoutModel& m = layout.model();
    ASSERT_EQ(m.pointCount(), 1);
    EXPECT_EQ(m.point(0).record.direction, 2);
    EXPECT_EQ(m.point(0).record.number, 1);
    EXPECT_EQ(m.point(0).record.x, 100);
    EXPECT_EQ(m.point(0).record.y, 200);
    // The graphic figure falls back to the 100 x 20 rectangle.
    EXPECT_FALSE(layout.figures().outlineFromFile());
    EXPECT_EQ(layout.figures().figureWidth(), 101);
    // Home: 75 % along the siding.
    EXPECT_EQ(m.positions().home, (Point{400, 200}));
    // The display starts as a copy of the layout picture.
    EXPECT_EQ(layout.pictures().display(), picture);
}

TEST_F(LayoutLoad, LayoutPictureAndSettingsAreUsed)
{
    writeTrack();
    common::writeBitmap(folder.layoutFile("layout.bmp"), ProgramFolder::solidBitmap(640, 480, 1, 2, 3));
    folder.dir.write("VARDO.ini", "[LAYOUT]\nTRAIN_SIZE=60,10\n");
    ASSERT_TRUE(load());
    EXPECT_EQ(pixelAt(layout.pictures().layout(), 300, 300), QColor(1, 2, 3));
    EXPECT_EQ(layout.figures().figureWidth(), 61);
    EXPECT_EQ(layout.figures().figureHeight(), 11);

    // A picture of the wrong size is drawn from the track instead.
    RecordingFrontend second;
    Layout other(second);
    common::writeBitmap(folder.layoutFile("layout.bmp"), ProgramFolder::solidBitmap(320, 240, 1, 2, 3));
    folder.dir.write("VARDO.ini", "[LAYOUT]\nBG_COLOR=#102030\nPEN_COLOR=bad\n");
    ASSERT_TRUE(other.load(folder.paths()));
    EXPECT_EQ(pixelAt(other.pictures().layout(), 10, 10), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(pixelAt(other.pictures().layout(), 300, 300), QColor(0, 0, 0xFF));
    EXPECT_EQ(second.messageTexts(),
              std::vector<std::string>{
                  common::formatMessage(msg::IniSettingError, {"LAYOUT", "PEN_COLOR"})});
}

TEST_F(LayoutLoad, WrongFilesAreReportedInLoadingOrder)
{
    writeTrack();
    folder.writeWrongTag(folder.layoutFile("point.dat"),
                         layoutdata::encodePointFile(pointFile({pointRecord(1, 0, 1, 100, 200)})));
    folder.writeWrongTag(folder.layoutFile("mask.dat"),
                         layoutdata::encodePolylineFile(polylines({straight({0, 0}, {9, 9}, 4)})));
    auto control = layoutdata::encodeControlPointFile({{layoutdata::ControlPointRecord{}}});
    control[4] = 2; // version 2
    folder.writeBytes(folder.layoutFile("control.dat"), control);
    folder.writeWrongTag(folder.layoutFile("sensor.dat"),
                         layoutdata::encodeSensorFile({{layoutdata::SensorRecord{}}}));
    folder.writeWrongTag(folder.layoutFile("cross.dat"),
                         layoutdata::encodeCrossingFile({{layoutdata::CrossingRecord{}}}));
    ASSERT_TRUE(load());
    EXPECT_EQ(frontend.messageTexts(),
              texts({msg::NotPointData, msg::NotPolygonData, msg::ControlVersionUnsupported,
                     msg::NotSensorData, msg::NotCrossingData}));
    EXPECT_EQ(layout.model().pointCount(), 1); // the default point
    EXPECT_EQ(layout.model().masks.polylineCount(), 0);
    EXPECT_TRUE(layout.model().controlPoints.records.empty());
    EXPECT_TRUE(layout.model().sensors.records.empty());
    EXPECT_EQ(layout.model().crossingCount(), 0);
}

TEST_F(LayoutLoad, PointPositionsAddPointsUntilTheFirstMissingKey)
{
    writeTrack();
    layoutdata::writePointFile(folder.layoutFile("point.dat"),
                               pointFile({pointRecord(1, 0, 1, 100, 205)}));
    folder.dir.write("option.ini",
                     "[LAYOUT]\nPOINT2_POSITION=300,305\nPOINT3_POSITION=400, 295\n"
                     "POINT5_POSITION=1,1\n");
    ASSERT_TRUE(load());
    const LayoutModel& m = layout.model();
    ASSERT_EQ(m.pointCount(), 3);
    EXPECT_EQ(m.point(2).record.x, 400);
    EXPECT_EQ(m.point(2).record.y, 295);
    EXPECT_EQ(m.point(1).record.direction, 0);
    EXPECT_EQ(m.point(1).junction, 281 + 100); // number 0: only the siding is searched

    RecordingFrontend second;
    Layout other(second);
    folder.dir.write("option.ini", "[LAYOUT]\nPOINT3_POSITION=400,295\n");
    ASSERT_TRUE(other.load(folder.paths()));
    EXPECT_EQ(other.model().pointCount(), 1);
}

TEST_F(LayoutLoad, PhotographsAndTheirMessages)
{
    writeTrack();
    common::writeBitmap(folder.dir.file("sample/train/car.bmp"), ProgramFolder::solidBitmap(40, 10, 0, 200, 0));
    folder.dir.write("option.ini", "[LAYOUT]\nTRAIN_FILE1=car.bmp\nTRAIN_FILE2=missing.bmp\n");
    ASSERT_TRUE(load());
    EXPECT_EQ(frontend.messageTexts(), texts({msg::TrainPictureMissing}));
    // The graphic figure is drawn, but the stored choice is still photographs.
    EXPECT_EQ(layout.model().figureType.load(), 1);
    EXPECT_EQ(layout.model().trainType, 0);
    EXPECT_FALSE(layout.figures().photosLoaded());

    RecordingFrontend second;
    Layout other(second);
    folder.dir.write("option.ini", "[LAYOUT]\nTRAIN_FILE1=car.bmp\n");
    ASSERT_TRUE(other.load(folder.paths()));
    EXPECT_TRUE(second.messageTexts().empty());
    EXPECT_EQ(other.model().trainType, 0);
    EXPECT_EQ(other.model().figureType.load(), 0);
    EXPECT_TRUE(other.figures().photosLoaded());
    EXPECT_EQ(other.figures().photo(0).size(), QSize(40, 10));
    EXPECT_EQ(other.figures().work().width(), 48);

    // Choosing a photograph: unreadable, then taken (count raised).
    auto trainPaths = folder.paths().trainPaths();
    EXPECT_EQ(other.figures().choosePhotograph(2, "nothing.bmp", trainPaths, other.model(), second),
              TrainFigures::PhotoChoice::Unreadable);
    EXPECT_EQ(other.figures().choosePhotograph(2, "car.bmp", trainPaths, other.model(), second),
              TrainFigures::PhotoChoice::Taken);
    EXPECT_EQ(other.model().trainCount, 3);
    EXPECT_EQ(common::Profile::getString(folder.dir.file("option.ini"), "LAYOUT", "TRAIN_FILE3", ""),
              "car.bmp");
    EXPECT_EQ(other.figures().photo(2).size(), QSize(40, 10));
    EXPECT_EQ(second.messageTexts(), texts({msg::TrainPictureMissing}));

    other.figures().chooseColour(1, common::makeColour(0x12, 0xAB, 0x0F), trainPaths, other.model());
    EXPECT_EQ(common::Profile::getString(folder.dir.file("option.ini"), "LAYOUT", "TRAIN_COLOR2", ""),
              "#12AB0F");
    EXPECT_EQ(TrainFigures::colourForChooser(0, trainPaths), common::parseColour("#A0A0A0"));
}

TEST_F(LayoutLoad, PhotographTooWideForTheTurntable)
{
    writeTrack();
    folder.dir.write("layout/turntable.ini", "[LAYOUT]\nTABLE_SIZE=60\nTABLE_POSITION=320,100\n");
    common::writeBitmap(folder.dir.file("sample/train/wide.bmp"), ProgramFolder::solidBitmap(85, 10, 0, 0, 0));
    ASSERT_TRUE(load());
    auto choice = layout.figures().choosePhotograph(0, "wide.bmp", folder.paths().trainPaths(),
                                                    layout.model(), frontend);
    EXPECT_EQ(choice, TrainFigures::PhotoChoice::TooLargeForTurntable);
    EXPECT_EQ(frontend.messageTexts(), texts({msg::TrainTooLargeForTurntable}));
    EXPECT_FALSE(common::Profile::hasKey(folder.dir.file("option.ini"), "LAYOUT", "TRAIN_FILE1"));
}

} // namespace
