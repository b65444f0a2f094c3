// The layout generator writing over an existing layout folder, killed at
// random moments: each file is the old one or the new one and reads back.
#include "layout_builder.h"
#include "save_kill.h"
#include "temp_dir.h"

#include "layoutdata/layout_files.h"

#include <gtest/gtest.h>

namespace {

using namespace layoutdata;

mklayout::GeneratedLayout generated(const std::string& text)
{
    mklayout::Description d;
    mklayout::GeneratedLayout g;
    std::string error;
    EXPECT_TRUE(mklayout::parseDescription(text, d, error)) << error;
    EXPECT_TRUE(mklayout::buildLayout(d, g, error)) << error;
    return g;
}

template <typename File, ReadStatus (*read)(const std::string&, File&)>
bool readsOk(const std::string& path)
{
    File file;
    return read(path, file) == ReadStatus::Ok;
}

TEST(MkLayoutSaveKill, RegeneratingAFolderLeavesEachFileOldOrNew)
{
    vardo::testing::TempDir dir;
    std::string error;
    const auto old = generated("outer ellipse 320 240 250 170 4\nsensor 1 1 50\n"
                               "mask 20 400 110 400 110 470 20 470\n");
    ASSERT_TRUE(mklayout::writeLayout(old, dir.path(), error)) << error;
    const auto fresh = generated("outer ellipse 300 220 200 150 2\nsensor 1 2 40\n"
                                 "mask 30 400 120 400 120 470 30 470\n");

    const auto series = savekill::killSeries(
        {{dir.file("layout.dat"), readsOk<PolylineFile, readPolylineFile>},
         {dir.file("point.dat"), readsOk<PointFile, readPointFile>},
         {dir.file("sensor.dat"), readsOk<SensorFile, readSensorFile>},
         {dir.file("mask.dat"), readsOk<PolylineFile, readPolylineFile>}},
        [&] {
            std::string childError;
            return mklayout::writeLayout(fresh, dir.path(), childError);
        },
        100, 22007);
    savekill::expectSurvivesKills(series, 100);
}

} // namespace
