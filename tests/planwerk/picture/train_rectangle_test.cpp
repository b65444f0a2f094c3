// The train rectangle: derivation of P2..P4, the handles, and the ten values
// kept in the bottom row of the train edit picture.
#include "picture_fixtures.h"

#include "planwerk/picture/image_file.h"
#include "planwerk/picture/open_picture.h"
#include "planwerk/picture/train_rectangle.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace planwerk;
using namespace picture_fixtures;

namespace {

TrainRectangle withHandles(PicturePoint p0, PicturePoint p1, PicturePoint p2)
{
    TrainRectangle r;
    r.p[0] = p0;
    r.p[1] = p1;
    r.p[2] = p2;
    r.p[3] = r.p[4] = {-1, -1};
    deriveTrainRectangle(r);
    return r;
}

} // namespace

TEST(TrainRectangleDerivation, LevelBaseLine)
{
    // The initial handles give the initial rectangle back.
    TrainRectangle r = withHandles({160, 360}, {480, 360}, {320, 120});
    EXPECT_EQ(r, TrainRectangle{});

    // Beyond the left end: the height is the distance to P0, P2 snaps to P3.
    r = withHandles({160, 360}, {480, 360}, {100, 280});
    EXPECT_EQ(r.p[3], (PicturePoint{160, 260}));
    EXPECT_EQ(r.p[4], (PicturePoint{480, 260}));
    EXPECT_EQ(r.p[2], r.p[3]);
    // Beyond the right end: P2 snaps to P4.
    r = withHandles({160, 360}, {480, 360}, {500, 300});
    EXPECT_EQ(r.p[2], r.p[4]);
}

TEST(TrainRectangleDerivation, HeightHandleBelowTheBaseLineGivesNoHeight)
{
    TrainRectangle r = withHandles({160, 360}, {480, 360}, {300, 400});
    EXPECT_EQ(r.p[3], (PicturePoint{160, 360}));
    EXPECT_EQ(r.p[4], (PicturePoint{480, 360}));
    EXPECT_EQ(r.p[2], (PicturePoint{300, 360})); // onto the base line
}

TEST(TrainRectangleDerivation, TiltedBaseLine)
{
    // Base line (100, 300) -> (400, 200); P2 about 100 pixels off its middle.
    TrainRectangle r = withHandles({100, 300}, {400, 200}, {218, 155});
    EXPECT_EQ(r.p[2], (PicturePoint{218, 155})); // between the ends: unchanged
    EXPECT_EQ(r.p[3], (PicturePoint{69, 205}));
    EXPECT_EQ(r.p[4], (PicturePoint{369, 105}));
    // P0 -> P3 stands at right angles on the base line.
    const int dot = (r.p[3].x - 100) * 300 + (r.p[3].y - 300) * -100;
    EXPECT_LE(std::abs(dot), 300);

    // The same tilted line with P2 on its lower side: no height.
    r = withHandles({100, 300}, {400, 200}, {280, 340});
    EXPECT_EQ(r.p[3], (PicturePoint{100, 300}));
    EXPECT_EQ(r.p[4], (PicturePoint{400, 200}));
    // P2 onto the foot: f = ((180, 40) . (300, -100)) / 100000 = 0.5
    EXPECT_EQ(r.p[2], (PicturePoint{250, 250}));
}

TEST(TrainRectangleDerivation, BaseLineDrawnRightToLeftGrowsTowardsItsHandle)
{
    // Drawn from right to left the rectangle grows downwards; the height
    // handle below gives the height, and one above none (the rectangle is
    // never drawn on the side away from its handle).
    TrainRectangle r = withHandles({480, 360}, {160, 360}, {320, 420});
    EXPECT_EQ(r.p[3], (PicturePoint{480, 420}));
    EXPECT_EQ(r.p[4], (PicturePoint{160, 420}));
    r = withHandles({480, 360}, {160, 360}, {320, 120});
    EXPECT_EQ(r.p[3], (PicturePoint{480, 360}));
    EXPECT_EQ(r.p[2], (PicturePoint{320, 360}));
}

TEST(TrainRectangleDerivation, BaseLineWithoutLength)
{
    TrainRectangle r = withHandles({200, 200}, {200, 200}, {230, 160});
    EXPECT_EQ(r.p[3], (PicturePoint{200, 150})); // height |P0 - P2| = 50, upwards
    EXPECT_EQ(r.p[4], (PicturePoint{200, 150}));
    EXPECT_EQ(r.p[2], r.p[3]);
}

TEST(TrainRectangleEditorTest, DragAHandleWithItsGrabOffset)
{
    TrainRectangle rect;
    TrainRectangleEditor editor(rect, 640, 480, 4);
    EXPECT_EQ(hitTrainHandle(rect, 162, 362, 4), 0);
    EXPECT_EQ(hitTrainHandle(rect, 164, 360, 4), -1); // distance 4 is not below 4
    EXPECT_EQ(editor.press(600, 100), -1);
    EXPECT_FALSE(editor.release(600, 100));

    ASSERT_EQ(editor.press(482, 361), 1); // grabbed 2 right and 1 below P1
    PicturePoint marker;
    ASSERT_TRUE(editor.move(402, 301, marker));
    EXPECT_EQ(marker, (PicturePoint{400, 300}));
    ASSERT_TRUE(editor.release(402, 301));
    EXPECT_EQ(rect.p[1], (PicturePoint{400, 300}));
    // P3 and P4 derived from the new base line.
    const double dot = (rect.p[3].x - 160) * 240.0 + (rect.p[3].y - 360) * -60.0;
    EXPECT_LE(std::abs(dot), 300);
    EXPECT_EQ(rect.p[4].x - rect.p[1].x, rect.p[3].x - rect.p[0].x);

    // Positions are clamped to the picture.
    ASSERT_EQ(editor.press(160, 360), 0);
    editor.release(-50, 900);
    EXPECT_EQ(rect.p[0], (PicturePoint{0, 479}));
}

TEST(TrainRectangleStore, RoundTripThroughTrainEditBmp)
{
    Folder folder;
    TrainRectangle rect = withHandles({100, 300}, {400, 200}, {218, 155});
    common::Bitmap edit = coordinates(640, 480);
    ASSERT_TRUE(storeTrainRectangle(rect, edit));
    // P0.x = 100 is stored as red 100; P1.x = 400 as red 0x90, green 1.
    EXPECT_EQ(edit.pixel(0, 479)[2], 100);
    EXPECT_EQ(edit.pixel(2, 479)[2], 0x90);
    EXPECT_EQ(edit.pixel(2, 479)[1], 1);
    EXPECT_EQ(edit.pixel(2, 479)[0], 0);
    std::string error;
    ASSERT_TRUE(writeBitmapFile(folder.file("train_edit.bmp"), edit, error));

    // Opened again as the working folder's train edit picture.
    TrainRectangle back;
    OpenedPicture opened = openPictureFile(folder.file("train_edit.bmp"), SourceKind::TrainEdit,
                                           true, 1920, 1080, back);
    ASSERT_TRUE(opened.ok);
    EXPECT_EQ(back, rect);
}

TEST(TrainRectangleStore, RowWithoutAValidRectangleKeepsThePreviousOne)
{
    TrainRectangle previous = withHandles({100, 300}, {400, 200}, {218, 155});
    TrainRectangle r = previous;
    // A photograph whose bottom row reads as 512 everywhere: fine for x,
    // out of range for y.
    common::Bitmap photo = solid(640, 480, 0, 2, 0);
    EXPECT_FALSE(loadTrainRectangle(photo, r));
    EXPECT_EQ(r, previous);

    // A rectangle reaching above the picture cannot be stored for reading
    // back: the negative y comes back out of range.
    TrainRectangle high = withHandles({100, 50}, {300, 50}, {200, 10});
    high.p[3].y = high.p[4].y = -40;
    common::Bitmap edit = solid(640, 480, 0, 0, 0);
    ASSERT_TRUE(storeTrainRectangle(high, edit));
    EXPECT_FALSE(loadTrainRectangle(edit, r));
    EXPECT_EQ(r, previous);

    // One value just out of range (x = 640) is enough.
    TrainRectangle edge = previous;
    edge.p[4].x = 640;
    ASSERT_TRUE(storeTrainRectangle(edge, edit));
    EXPECT_FALSE(loadTrainRectangle(edit, r));
    edge.p[4].x = 639;
    ASSERT_TRUE(storeTrainRectangle(edge, edit));
    EXPECT_TRUE(loadTrainRectangle(edit, r));
    EXPECT_EQ(r, edge);
}

TEST(OpenChoiceTest, WorkingFolderPicturesAreOfferedAgain)
{
    Folder folder;
    std::vector<std::string> asked;
    ReuseAnswer answer = ReuseAnswer::Yes;
    AskQuestion ask = [&](const char* q) {
        asked.push_back(q);
        return answer;
    };
    // Nothing in the folder: no question, the user picks a file.
    OpenChoice c = chooseOpenSource(SourceKind::Collage, folder.path(), ask);
    EXPECT_TRUE(c.workingFile.empty());
    EXPECT_FALSE(c.alreadyTrimmed);
    c = chooseOpenSource(SourceKind::TrainEdit, folder.path(), ask);
    EXPECT_TRUE(c.workingFile.empty());
    EXPECT_TRUE(c.alreadyTrimmed); // a train photograph is always cut at once
    EXPECT_TRUE(asked.empty());

    ASSERT_TRUE(writeBytes(folder.file("collage.bmp"), {1}));
    ASSERT_TRUE(writeBytes(folder.file("train_edit.bmp"), {1}));
    c = chooseOpenSource(SourceKind::Collage, folder.path(), ask);
    EXPECT_EQ(c.workingFile, folder.file("collage.bmp"));
    EXPECT_TRUE(c.alreadyTrimmed);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "トリミングされた合成画像があります。この画像を使用しますか？");

    answer = ReuseAnswer::No;
    EXPECT_TRUE(chooseOpenSource(SourceKind::Collage, folder.path(), ask).workingFile.empty());
    EXPECT_TRUE(chooseOpenSource(SourceKind::TrainEdit, folder.path(), ask).workingFile.empty());
    EXPECT_EQ(asked.back(), "トリミングされた列車編集画像があります。この画像を使用しますか？");
    // For the train edit picture anything but No takes the file.
    answer = ReuseAnswer::Cancel;
    EXPECT_EQ(chooseOpenSource(SourceKind::TrainEdit, folder.path(), ask).workingFile,
              folder.file("train_edit.bmp"));
    EXPECT_TRUE(chooseOpenSource(SourceKind::Collage, folder.path(), ask).workingFile.empty());
    // The layout picture is never taken from the working folder here.
    size_t before = asked.size();
    EXPECT_TRUE(chooseOpenSource(SourceKind::Layout, folder.path(), ask).workingFile.empty());
    EXPECT_EQ(asked.size(), before);
}
