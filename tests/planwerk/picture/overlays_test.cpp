// The rail overlay of a collage's trim rectangle, the preview placement,
// QImage conversion and the one-step photograph conversion.
#include "picture_fixtures.h"

#include "planwerk/picture/image_file.h"
#include "planwerk/picture/jpeg_writer.h"
#include "planwerk/picture/photograph_conversion.h"
#include "planwerk/picture/picture_overlays.h"

#include <gtest/gtest.h>

using namespace planwerk;
using namespace picture_fixtures;

TEST(RailOverlay, OnlyForACollageRectangleWiderThan100)
{
    TrimRectangle trim;
    trim.press(40, 20);
    trim.move(240, 170); // 200 x 150
    auto t = railOverlayTransform(trim, SourceKind::Collage);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->map(QPointF(0, 0)), QPointF(40, 20));
    EXPECT_EQ(t->map(QPointF(640, 480)), QPointF(240, 170));
    EXPECT_FALSE(railOverlayTransform(trim, SourceKind::Layout).has_value());
    trim.press(40, 20);
    trim.release(140, 95); // exactly 100 wide: not wider than 100
    EXPECT_FALSE(railOverlayTransform(trim, SourceKind::Collage).has_value());
    // A rectangle drawn earlier maps the same way, so it can be erased.
    auto shown = railOverlayTransform(PictureRect{40, 20, 200, 150}, SourceKind::Collage);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->map(QPointF(320, 240)), QPointF(140, 95));
    // A flat one (dragged sideways only) has nothing to scale into.
    EXPECT_FALSE(railOverlayTransform(PictureRect{40, 20, 200, 0}, SourceKind::Collage));
}

TEST(Preview, UprightWithoutSidingElseAlongIt)
{
    PreviewPlacement centre = previewPlacement(std::nullopt, std::nullopt);
    EXPECT_DOUBLE_EQ(centre.centreX, 320);
    EXPECT_DOUBLE_EQ(centre.centreY, 240);
    EXPECT_DOUBLE_EQ(centre.degrees, 0);
    // From the last vertex (100, 300) towards the first (100, 100): upwards.
    PreviewPlacement up = previewPlacement(PicturePoint{100, 100}, PicturePoint{100, 300});
    EXPECT_DOUBLE_EQ(up.centreX, 100);
    EXPECT_DOUBLE_EQ(up.centreY, 200);
    EXPECT_DOUBLE_EQ(up.degrees, -90);
}

TEST(QImageConversion, RoundTripKeepsPixelsAndOrientation)
{
    common::Bitmap p = coordinates(9, 5);
    QImage image = toQImage(p);
    ASSERT_EQ(image.width(), 9);
    const uint8_t* px = p.pixel(3, 1);
    EXPECT_EQ(image.pixelColor(3, 1), QColor(px[2], px[1], px[0]));
    EXPECT_EQ(fromQImage(image).bgr, p.bgr);
}

TEST(PhotographConversion, WideJpegBecomesTheCut640x480Bitmap)
{
    Folder folder;
    // Red outside the middle 800 columns that the cut keeps, green inside.
    common::Bitmap photo = solid(1024, 600, 0, 0, 255);
    for (int y = 0; y < 600; ++y)
        for (int x = 112; x < 912; ++x) {
            photo.pixel(x, y)[1] = 255;
            photo.pixel(x, y)[2] = 0;
        }
    ASSERT_TRUE(writeBytes(folder.file("wide.jpg"), encodeJpeg(photo, 95)));
    std::string error;
    ASSERT_TRUE(convertPhotograph(folder.file("wide.jpg"), folder.file("out.bmp"), error));
    common::Bitmap out;
    ASSERT_TRUE(readImageFile(folder.file("out.bmp"), out));
    EXPECT_EQ(out.width, 640);
    EXPECT_EQ(out.height, 480);
    // The outermost columns carry JPEG colour bleed from the edge.
    for (int x : {2, 3, 320, 636, 637}) {
        EXPECT_LT(out.pixel(x, 240)[2], 40) << x; // no red from the cut-off sides
        EXPECT_GT(out.pixel(x, 240)[1], 215) << x;
    }

    ASSERT_TRUE(writeBytes(folder.file("not-a-photo.png"), {0x89, 'P', 'N', 'G'}));
    EXPECT_FALSE(convertPhotograph(folder.file("not-a-photo.png"), folder.file("x.bmp"), error));
    EXPECT_EQ(error, "画像ファイルの読み込みに失敗しました。");
}
