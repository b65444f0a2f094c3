// Composing the exported layout picture: the photograph on the rail band,
// the collage elsewhere and inside the mask regions.
#include "picture_fixtures.h"

#include "planwerk/picture/compose.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace planwerk;
using namespace picture_fixtures;

namespace {

bool isPhoto(const common::Bitmap& p, int x, int y)
{
    const uint8_t* px = p.pixel(x, y);
    return px[0] == 0 && px[1] == 0 && px[2] == 255;
}

bool isCollage(const common::Bitmap& p, int x, int y)
{
    const uint8_t* px = p.pixel(x, y);
    return px[0] == 255 && px[1] == 0 && px[2] == 0;
}

} // namespace

TEST(Compose, PhotoOnTheRailsCollageElsewhereAndInsideMasks)
{
    const common::Bitmap photo = solid(640, 480, 0, 0, 255);   // red
    const common::Bitmap collage = solid(640, 480, 255, 0, 0); // blue
    // One straight rail along y = 240 and one bent rail; a mask over the
    // straight rail's middle.
    DrawRails rails =
        railPolylines({QPolygon({QPoint(100, 240), QPoint(540, 240)}),
                       QPolygon({QPoint(50, 50), QPoint(50, 150), QPoint(150, 150)})});
    std::vector<QPolygon> masks = {
        QPolygon({QPoint(300, 200), QPoint(340, 200), QPoint(340, 280), QPoint(300, 280)})};
    QImage mask = makeComposeMask(32, rails, masks);
    common::Bitmap out = composePicture(photo, collage, mask);
    ASSERT_EQ(out.width, 640);
    ASSERT_EQ(out.height, 480);

    EXPECT_TRUE(isPhoto(out, 200, 240)) << "on the rail";
    EXPECT_TRUE(isPhoto(out, 200, 228)) << "inside the 32-pixel band";
    EXPECT_TRUE(isPhoto(out, 200, 252)) << "inside the 32-pixel band";
    EXPECT_TRUE(isCollage(out, 200, 262)) << "beside the band";
    EXPECT_TRUE(isCollage(out, 200, 100)) << "far from any rail";
    EXPECT_TRUE(isCollage(out, 320, 240)) << "inside the mask region";
    EXPECT_TRUE(isPhoto(out, 350, 240)) << "just past the mask region";
    EXPECT_TRUE(isPhoto(out, 50, 100)) << "on the bent rail";
    EXPECT_TRUE(isPhoto(out, 100, 150)) << "on the bent rail";
    // Round caps: the band goes on a little past the rail's end.
    EXPECT_TRUE(isPhoto(out, 545, 240));
    EXPECT_TRUE(isCollage(out, 560, 240));

    // Every pixel is one or the other: no blend at the band's edges.
    for (size_t i = 0; i < out.bgr.size(); i += 3)
        ASSERT_TRUE(out.bgr[i + 1] == 0 && (out.bgr[i] == 0) != (out.bgr[i + 2] == 0));
}

TEST(Compose, ThePenFollowsTheRailWidth)
{
    const common::Bitmap photo = solid(640, 480, 0, 0, 255);
    const common::Bitmap collage = solid(640, 480, 255, 0, 0);
    auto rails = railPolylines({QPolygon({QPoint(100, 240), QPoint(540, 240)})});
    common::Bitmap thin = composePicture(photo, collage, makeComposeMask(4, rails, {}));
    EXPECT_TRUE(isPhoto(thin, 200, 240));
    EXPECT_TRUE(isCollage(thin, 200, 246));
    // The editor's own drawing is called with the white pen set up.
    int width = 0;
    makeComposeMask(17, [&](QPainter& p) { width = p.pen().width(); }, {});
    EXPECT_EQ(width, 17);
}

TEST(Compose, PicturesOfAnotherSizeGiveNothing)
{
    QImage mask = makeComposeMask(32, nullptr, {});
    EXPECT_TRUE(
        composePicture(solid(640, 480, 0, 0, 0), solid(320, 240, 0, 0, 0), mask).bgr.empty());
    EXPECT_TRUE(composePicture(solid(640, 480, 0, 0, 0), solid(640, 480, 0, 0, 0),
                               QImage(10, 10, QImage::Format_Grayscale8))
                    .bgr.empty());
    // Without rails everything is collage.
    common::Bitmap out =
        composePicture(solid(640, 480, 0, 0, 255), solid(640, 480, 255, 0, 0), mask);
    EXPECT_TRUE(isCollage(out, 320, 240));
}
