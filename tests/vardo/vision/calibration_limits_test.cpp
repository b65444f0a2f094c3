// Calibration files are read as stored, so a rectangle near the int limits
// reaches the mapping and the exclusion mask: their sums and spans must not
// overflow.
#include "common/byte_io.h"
#include "vardo/vision/calibration_file.h"
#include "vardo/vision/exception_mask.h"

#include <gtest/gtest.h>

namespace vardo::vision {
namespace {

// A file whose rectangle's left + right exceeds the int range.
std::vector<uint8_t> farRectangleFile()
{
    common::ByteWriter w;
    w.putBytes(".clb", 4);
    w.putI32(1);   // version
    w.putI32(640); // frame size
    w.putI32(480);
    w.putU32(0);          // angle 0.0f
    w.putI32(2000000000); // left, top, right, bottom
    w.putI32(0);
    w.putI32(2100000000);
    w.putI32(100);
    w.putI32(-1); // no marker
    w.putI32(-1);
    w.putZeros(64 - w.bytes().size());
    return w.bytes();
}

TEST(CalibrationLimits, FarRectangleMapsItsCentreOntoTheTracksCentre)
{
    CalibrationRecord r;
    ASSERT_EQ(parseCalibrationFile(farRectangleFile(), r), ClbStatus::Ok);
    const Extent extent{0, 0, 640, 480};
    ASSERT_TRUE(calibrationUsable(r, extent));

    const Point centre = CameraToLayout(r, extent, 2050000000, 50);
    EXPECT_EQ(centre.x, 320);
    EXPECT_EQ(centre.y, 240);
    const Point right = CameraToLayout(r, extent, 2100000000, 100);
    EXPECT_EQ(right.x, 640);
    EXPECT_EQ(right.y, 480);

    const Point back = LayoutToCamera(r, extent, 320, 240);
    EXPECT_EQ(back.x, 2050000000);
    EXPECT_EQ(back.y, 50);
}

TEST(CalibrationLimits, ExclusionRegionsLandInsideAFarRectangle)
{
    MaskGeometry g;
    g.trackExtent = {0, 0, 640, 480};
    g.rotatedExtent = {0, 0, 640, 480};
    g.left = 2000000000;
    g.right = 2100000000;
    g.top = 0;
    g.bottom = 100;
    g.frameWidth = 640;
    g.frameHeight = 480;
    layoutdata::PolylineFile regions;
    regions.vertexCounts = {1};
    regions.vertices = {{320, 240}};
    std::vector<Point> out;
    ASSERT_TRUE(projectRegions(regions, g, out));
    ASSERT_EQ(out.size(), 1u);
    // The track's centre is the rotation's centre (offset 0): it lands on
    // the rectangle's centre less the extent's centre in frame proportion,
    // 2050000000 - 320 and 50 - 240, not on a wrapped sum.
    EXPECT_EQ(out[0].x, 2049999680);
    EXPECT_EQ(out[0].y, -190);
}

} // namespace
} // namespace vardo::vision
