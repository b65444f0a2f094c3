// Reading and writing picture files: the reader chosen by the last letter,
// BMP of every depth, JPEG colours and orientation, failures.
#include "picture_fixtures.h"

#include "planwerk/picture/bmp_reader.h"
#include "planwerk/picture/image_file.h"
#include "planwerk/picture/jpeg_reader.h"
#include "planwerk/picture/jpeg_writer.h"
#include "planwerk/picture/open_picture.h"
#include "planwerk/picture/picture_texts.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace planwerk;
using namespace picture_fixtures;

namespace {

void expectPixel(const common::Bitmap& p, int x, int y, int b, int g, int r, int tolerance = 0)
{
    const uint8_t* px = p.pixel(x, y);
    EXPECT_NEAR(px[0], b, tolerance) << "blue at " << x << "," << y;
    EXPECT_NEAR(px[1], g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(px[2], r, tolerance) << "red at " << x << "," << y;
}

// Top half red, bottom half blue, left quarter of the top half green.
common::Bitmap halves(int width, int height)
{
    common::Bitmap p = solid(width, height, 255, 0, 0);
    for (int y = 0; y < height / 2; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* px = p.pixel(x, y);
            px[0] = 0;
            px[1] = x < width / 4 ? 255 : 0;
            px[2] = x < width / 4 ? 0 : 255;
        }
    return p;
}

} // namespace

TEST(ImageFile, BitmapWrittenReadsBackUnchanged)
{
    Folder folder;
    common::Bitmap picture = coordinates(37, 11); // rows need padding
    std::string error = "old";
    ASSERT_TRUE(writeBitmapFile(folder.file("p.bmp"), picture, error));
    EXPECT_TRUE(error.empty());
    common::Bitmap back;
    ASSERT_TRUE(readImageFile(folder.file("p.bmp"), back));
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 11);
    EXPECT_EQ(back.bgr, picture.bgr);
}

TEST(ImageFile, WriteFailureGivesTheSaveMessage)
{
    Folder folder;
    std::string error;
    EXPECT_FALSE(writeBitmapFile(folder.file("missing/p.bmp"), coordinates(4, 4), error));
    EXPECT_EQ(error, "画像ファイルの保存に失敗しました");
}

TEST(ImageFile, RedJpegReadsRedTheRightWayUp)
{
    Folder folder;
    auto red = encodeJpeg(solid(64, 48, 0, 0, 255));
    ASSERT_FALSE(red.empty());
    ASSERT_TRUE(writeBytes(folder.file("red.jpg"), red));
    common::Bitmap back;
    ASSERT_TRUE(readImageFile(folder.file("red.jpg"), back));
    ASSERT_EQ(back.width, 64);
    ASSERT_EQ(back.height, 48);
    expectPixel(back, 10, 10, 0, 0, 254, 2);

    // Orientation and the exchange of red and blue on a picture with parts.
    ASSERT_TRUE(writeBytes(folder.file("halves.JPEG"), encodeJpeg(halves(64, 48), 95)));
    // The name ends in "G": the JPEG reader is chosen.
    ASSERT_TRUE(readImageFile(folder.file("halves.JPEG"), back));
    expectPixel(back, 4, 4, 0, 255, 0, 8);   // green, top left
    expectPixel(back, 40, 4, 0, 0, 255, 8);  // red, top right
    expectPixel(back, 40, 40, 255, 0, 0, 8); // blue, bottom
    // Rows are bottom-up: the first stored row is the picture's last.
    EXPECT_NEAR(back.bgr[0], 255, 8);
}

TEST(ImageFile, TheLastLetterChoosesTheReader)
{
    Folder folder;
    auto jpeg = encodeJpeg(solid(16, 16, 10, 20, 30));
    common::Bitmap out;
    // JPEG bytes named .bmp go to the BMP reader and fail.
    ASSERT_TRUE(writeBytes(folder.file("photo.bmp"), jpeg));
    EXPECT_FALSE(readImageFile(folder.file("photo.bmp"), out));
    // BMP bytes named .jpg go to the JPEG reader and fail.
    std::string error;
    ASSERT_TRUE(writeBitmapFile(folder.file("picture.jpg"), coordinates(8, 8), error));
    EXPECT_FALSE(readImageFile(folder.file("picture.jpg"), out));
    EXPECT_EQ(out.width, 0);
    EXPECT_FALSE(readImageFile(folder.file("absent.jpg"), out));
    EXPECT_FALSE(readImageFile(folder.file("absent.bmp"), out));
}

TEST(ImageFile, PngNamedPngFailsAsJpegWithTheReadingMessage)
{
    Folder folder;
    QImage png(32, 24, QImage::Format_RGB888);
    png.fill(Qt::red);
    ASSERT_TRUE(png.save(QString::fromStdString(folder.file("photo.png")), "PNG"));
    common::Bitmap out;
    EXPECT_FALSE(readJpegFile(folder.file("photo.png"), out));
    EXPECT_FALSE(readImageFile(folder.file("photo.png"), out));

    TrainRectangle rect;
    OpenedPicture opened =
        openPictureFile(folder.file("photo.png"), SourceKind::Layout, false, 1920, 1080, rect);
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.error, "画像ファイルの読み込みに失敗しました。");
    EXPECT_TRUE(opened.picture.bgr.empty());
}

TEST(ImageFile, TruncatedJpegFailsAndLeavesThePicture)
{
    auto jpeg = encodeJpeg(coordinates(120, 90));
    ASSERT_GT(jpeg.size(), 400u);
    common::Bitmap out = solid(2, 2, 1, 2, 3);
    const auto before = out.bgr;
    // Cut in the middle of the scan: libjpeg only warns, which must fail.
    EXPECT_FALSE(decodeJpeg(jpeg.data(), jpeg.size() - 200, out));
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.bgr, before);
    ASSERT_TRUE(decodeJpeg(jpeg.data(), jpeg.size(), out));
    EXPECT_EQ(out.width, 120);
}

TEST(ImageFile, GreyAndProgressiveJpegsRead)
{
    common::Bitmap out;
    auto grey = encodeJpeg(solid(40, 30, 90, 90, 90), JpegOptions{95, true, false});
    ASSERT_TRUE(decodeJpeg(grey.data(), grey.size(), out));
    expectPixel(out, 20, 15, 90, 90, 90, 2);

    auto progressive = encodeJpeg(halves(64, 48), JpegOptions{95, false, true});
    ASSERT_TRUE(decodeJpeg(progressive.data(), progressive.size(), out));
    expectPixel(out, 4, 4, 0, 255, 0, 8);
    expectPixel(out, 40, 40, 255, 0, 0, 8);
    // Truncated, a progressive file fails as well.
    common::Bitmap kept;
    EXPECT_FALSE(decodeJpeg(progressive.data(), progressive.size() * 2 / 3, kept));
    EXPECT_EQ(kept.width, 0);
}

TEST(ImageFile, JpegLargerThanTheLimitIsRefused)
{
    auto jpeg = encodeJpeg(solid(100, 100, 0, 0, 0));
    common::Bitmap out;
    EXPECT_FALSE(decodeJpeg(jpeg.data(), jpeg.size(), out, 100 * 99));
    EXPECT_TRUE(decodeJpeg(jpeg.data(), jpeg.size(), out, 100 * 100));
}

TEST(BmpDepths, IndexedPicturesUseTheirColourTable)
{
    // 1 bit: 10 pixels alternating, palette black / yellow, rows padded to 4.
    Bytes palette1;
    putU32(palette1, 0x000000);
    putU32(palette1, 0xFFFF00);                         // 0x00RRGGBB: red and green
    Bytes rows1 = {0xAA, 0x80, 0, 0, 0x55, 0x40, 0, 0}; // bottom row, then top row
    common::Bitmap out;
    ASSERT_TRUE(decodeBmp(bmpFile(10, 2, 1, 0, palette1, rows1), out));
    ASSERT_EQ(out.width, 10);
    expectPixel(out, 0, 1, 0, 255, 255); // bottom row starts with a set bit
    expectPixel(out, 1, 1, 0, 0, 0);
    expectPixel(out, 8, 1, 0, 255, 255);
    expectPixel(out, 0, 0, 0, 0, 0); // top row starts with a clear bit
    expectPixel(out, 9, 0, 0, 255, 255);

    // 4 bits with three colours used; index 15 lies past the table: black.
    Bytes palette4;
    putU32(palette4, 0x0000FF);
    putU32(palette4, 0x00FF00);
    putU32(palette4, 0xFF0000);
    Bytes rows4 = {0x01, 0x2F, 0, 0};
    ASSERT_TRUE(decodeBmp(bmpFile(4, 1, 4, 0, palette4, rows4, 3), out));
    expectPixel(out, 0, 0, 255, 0, 0);
    expectPixel(out, 1, 0, 0, 255, 0);
    expectPixel(out, 2, 0, 0, 0, 255);
    expectPixel(out, 3, 0, 0, 0, 0);

    // 8 bits, stored top-down (negative height).
    Bytes palette8(256 * 4, 0);
    palette8[4 * 7] = 9;       // index 7: blue 9
    palette8[4 * 8 + 2] = 200; // index 8: red 200
    Bytes rows8 = {7, 8, 0, 0, 8, 7, 0, 0};
    ASSERT_TRUE(decodeBmp(bmpFile(2, -2, 8, 0, palette8, rows8), out));
    expectPixel(out, 0, 0, 9, 0, 0);
    expectPixel(out, 1, 0, 0, 0, 200);
    expectPixel(out, 0, 1, 0, 0, 200);
}

TEST(BmpDepths, SixteenAndThirtyTwoBitPixels)
{
    common::Bitmap out;
    // 16 bits 5-5-5: pure red, pure green, pure blue.
    Bytes rows16;
    putU16(rows16, 0x7C00);
    putU16(rows16, 0x03E0);
    putU16(rows16, 0x001F);
    putU16(rows16, 0); // padding
    ASSERT_TRUE(decodeBmp(bmpFile(3, 1, 16, 0, {}, rows16), out));
    expectPixel(out, 0, 0, 0, 0, 255);
    expectPixel(out, 1, 0, 0, 255, 0);
    expectPixel(out, 2, 0, 255, 0, 0);

    // 16 bits with 5-6-5 masks: half green.
    Bytes masks;
    putU32(masks, 0xF800);
    putU32(masks, 0x07E0);
    putU32(masks, 0x001F);
    Bytes rows565;
    putU16(rows565, 0x0400); // green 32 of 63
    putU16(rows565, 0);
    ASSERT_TRUE(decodeBmp(bmpFile(1, 1, 16, 3, masks, rows565), out));
    expectPixel(out, 0, 0, 0, 130, 0, 1);

    // 32 bits without masks: blue, green, red, unused.
    Bytes rows32 = {1, 2, 3, 99, 4, 5, 6, 99};
    ASSERT_TRUE(decodeBmp(bmpFile(2, 1, 32, 0, {}, rows32), out));
    expectPixel(out, 0, 0, 1, 2, 3);
    expectPixel(out, 1, 0, 4, 5, 6);
}

TEST(BmpDepths, DamagedHeadersAreRefusedWithoutChange)
{
    common::Bitmap out = solid(1, 1, 5, 5, 5);
    Bytes palette(8, 0);
    Bytes rows = {0, 0, 0, 0};
    // Pixel data shorter than the rows need.
    EXPECT_FALSE(decodeBmp(bmpFile(64, 4, 1, 0, palette, rows), out));
    // Colour table cut off.
    Bytes noTable = bmpFile(1, 1, 8, 0, {}, {});
    EXPECT_FALSE(decodeBmp(noTable, out));
    // Unsupported compression and depth.
    EXPECT_FALSE(decodeBmp(bmpFile(1, 1, 8, 1, palette, rows), out));
    EXPECT_FALSE(decodeBmp(bmpFile(1, 1, 2, 0, palette, rows), out));
    // Absurd sizes.
    EXPECT_FALSE(decodeBmp(bmpFile(0x7FFFFFFF, 1, 1, 0, palette, rows), out));
    EXPECT_FALSE(decodeBmp(bmpFile(1, int32_t(0x80000000), 1, 0, palette, rows), out));
    EXPECT_EQ(out.width, 1);
    EXPECT_EQ(out.bgr, (Bytes{5, 5, 5}));
}
