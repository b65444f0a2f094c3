// A source picture from Open to Resize: the trim rectangle at the display
// scale, the automatic cut's question, and failures.
#include "picture_fixtures.h"

#include "planwerk/picture/image_file.h"
#include "planwerk/picture/source_picture.h"

#include <gtest/gtest.h>

using namespace planwerk;
using namespace picture_fixtures;

namespace {

// 2000 x 1500, blue everywhere but a green 800 x 600 block at (400, 300).
std::string writePhoto(const Folder& folder)
{
    common::Bitmap p = solid(2000, 1500, 255, 0, 0);
    for (int y = 300; y < 900; ++y)
        for (int x = 400; x < 1200; ++x) {
            uint8_t* px = p.pixel(x, y);
            px[0] = 0;
            px[1] = 255;
        }
    std::string error;
    const std::string path = folder.file("photo.bmp");
    EXPECT_TRUE(writeBitmapFile(path, p, error));
    return path;
}

} // namespace

TEST(SourcePictureTest, TrimRectangleIsTakenAtTheDisplayScale)
{
    Folder folder;
    TrainRectangle rect;
    SourcePicture source;
    std::string error;
    // On a 1019 x 853 screen the picture is shown at 50 %.
    ASSERT_TRUE(source.open(writePhoto(folder), SourceKind::Layout, false, 1019, 853, rect, error));
    EXPECT_TRUE(source.waiting());
    EXPECT_EQ(source.display().scale, 50);
    EXPECT_EQ(source.display().width, 1000);
    // The green block, as shown: (200, 150) to (600, 450).
    source.trim().press(200, 150);
    source.trim().release(600, 450);
    int asked = 0;
    ResizeResult r = source.resize([&] {
        ++asked;
        return true;
    });
    ASSERT_EQ(r.status, ResizeStatus::Done);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(r.used, (PictureRect{400, 300, 800, 600}));
    for (int y : {0, 240, 479})
        for (int x : {0, 320, 639})
            EXPECT_EQ(r.picture.pixel(x, y)[1], 255) << x << "," << y;
    EXPECT_FALSE(source.waiting());
}

TEST(SourcePictureTest, CancelledCutKeepsThePictureWaiting)
{
    Folder folder;
    std::string error;
    ASSERT_TRUE(writeBitmapFile(folder.file("square.bmp"), solid(640, 640, 1, 2, 3), error));
    TrainRectangle rect;
    SourcePicture source;
    ASSERT_TRUE(source.open(folder.file("square.bmp"), SourceKind::Collage, false, 1920, 1080, rect,
                            error));
    EXPECT_EQ(source.resize([] { return false; }).status, ResizeStatus::Cancelled);
    EXPECT_TRUE(source.waiting());
    EXPECT_EQ(source.kind(), SourceKind::Collage);
    ResizeResult r = source.resize([] { return true; });
    EXPECT_EQ(r.status, ResizeStatus::Done);
    EXPECT_EQ(r.used, (PictureRect{0, 80, 640, 480}));
}

TEST(SourcePictureTest, FailedOpenDropsThePreviousPicture)
{
    Folder folder;
    std::string error;
    ASSERT_TRUE(writeBitmapFile(folder.file("a.bmp"), solid(800, 600, 1, 2, 3), error));
    TrainRectangle rect;
    SourcePicture source;
    ASSERT_TRUE(
        source.open(folder.file("a.bmp"), SourceKind::Layout, false, 1920, 1080, rect, error));
    EXPECT_FALSE(source.open(folder.file("missing.jpg"), SourceKind::Layout, false, 1920, 1080,
                             rect, error));
    EXPECT_EQ(error, "画像ファイルの読み込みに失敗しました。");
    EXPECT_FALSE(source.waiting());
    EXPECT_TRUE(source.picture().bgr.empty());
    EXPECT_EQ(source.resize([] { return true; }).status, ResizeStatus::Empty);
}
