// Numbers in a skin's control.ini that no screen can hold: huge ones are
// clamped, "nan" and "inf" count as missing, and the skin still loads.
#include "common/profile.h"
#include "skin_fixture.h"
#include "vardo/panel/skin.h"

#include <gtest/gtest.h>

using namespace vardo::panel;
using vardo::testing::TempDir;

namespace {

void setKey(const TempDir& dir, const std::string& key, const std::string& value)
{
    ASSERT_TRUE(common::Profile::writeString(dir.file("s/control.ini"), "CONTROL", key, value));
}

TEST(SkinNumbers, HugeCoordinatesAreClampedAndNonNumbersIgnored)
{
    TempDir dir;
    paneltest::writeSkin(dir, "s", paneltest::skinWith([](auto& s) { s.handle = "handle.bmp"; }));
    paneltest::writePicture(dir.file("s/handle.bmp"), 10, 30, 90);
    setKey(dir, "POSITION3", "1e300,-1e300");
    setKey(dir, "POSITION4", "nan,5"); // no pair: no picture at this place
    setKey(dir, "JOG_POSITION", "inf,130");
    setKey(dir, "JOG_RGN", "-1e300,100,250,9e99,250,160");
    setKey(dir, "JOG_ANGLE", "1.0,nan,2.0");

    Skin s;
    ASSERT_TRUE(loadSkin(dir.file("s"), 1, 6, s));
    EXPECT_EQ(s.positions[3], QPoint(100000, -100000));
    EXPECT_EQ(s.positions[4], QPoint(-1, -1));
    EXPECT_FALSE(s.has(4));
    // Without a usable centre the jog turns about its picture's middle.
    EXPECT_EQ(s.jogCentre, QRectF(s.rect(role::Jog)).center());
    ASSERT_EQ(s.region.size(), 3u);
    EXPECT_EQ(s.region[0], QPoint(-100000, 100));
    EXPECT_EQ(s.region[1], QPoint(250, 100000));
    // The angles up to the first non-number; the rest keep their defaults.
    EXPECT_DOUBLE_EQ(s.restAngle, 1.0);
    EXPECT_DOUBLE_EQ(s.endAngle, kDefaultEndAngle);
    EXPECT_DOUBLE_EQ(s.runningAngle, kDefaultRunningAngle);
}

} // namespace
