// The editor's picture commands: open for the three kinds with their
// questions, the trim rectangle, resize, rotate, compose, and the train
// rectangle kept in train_edit.bmp.
#include "editor_fixture.h"

#include "common/bmp.h"
#include "planwerk/picture/picture_texts.h"
#include "planwerk/picture/train_rectangle.h"

#include <QColor>
#include <QPainter>

#include <fstream>

namespace planwerk::testing {
namespace {

// A picture whose columns left of `split` have one colour, the rest another.
common::Bitmap twoColours(int width, int height, int split, QColor left, QColor right)
{
    common::Bitmap b;
    b.width = width;
    b.height = height;
    b.bgr.resize(size_t(b.stride()) * size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            QColor c = x < split ? left : right;
            uint8_t* px = b.pixel(x, y);
            px[0] = uint8_t(c.blue());
            px[1] = uint8_t(c.green());
            px[2] = uint8_t(c.red());
        }
    }
    return b;
}

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

class PictureCommandTest : public EditorTest {
protected:
    std::string picture(const std::string& name, const common::Bitmap& b)
    {
        std::string path = dir.file(name);
        EXPECT_TRUE(common::writeBitmap(path, b));
        return path;
    }
    QColor layoutAt(int x, int y) const { return editor_->layoutPicture().pixelColor(x, y); }
};

TEST_F(PictureCommandTest, AWiderPhotographIsCutAfterTheQuestionAndCancelKeepsItWaiting)
{
    start();
    // 1024 x 600: the 4:3 cut keeps x = 112..911.
    std::string path = picture("wide.bmp", twoColours(1024, 600, 112, kRed, kGreen));
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout, path));
    EXPECT_TRUE(editor().sourceWaiting());
    EXPECT_FALSE(editor().hasLayoutPicture()); // dropped when a new one is opened
    EXPECT_EQ(editor().pictureWidth(), 1024);
    EXPECT_EQ(editor().mode(), EditMode::None);

    ui.answers = {Answer::Cancel};
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_EQ(ui.questions.back().text, texts::kCutQuestion);
    EXPECT_TRUE(editor().sourceWaiting());
    EXPECT_FALSE(editor().hasLayoutPicture());

    ui.answers = {Answer::Ok};
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_FALSE(editor().sourceWaiting());
    ASSERT_TRUE(editor().hasLayoutPicture());
    EXPECT_EQ(editor().layoutPicture().size(), QSize(640, 480));
    EXPECT_EQ(editor().pictureWidth(), 640);
    EXPECT_EQ(layoutAt(0, 0), kGreen);
    EXPECT_EQ(layoutAt(639, 479), kGreen);
    EXPECT_TRUE(editor().modified().picture);
}

TEST_F(PictureCommandTest, A4To3PhotographIsTakenWholeWithoutAQuestion)
{
    start();
    std::string path = picture("whole.bmp", twoColours(800, 600, 400, kRed, kBlue));
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout, path));
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(layoutAt(300, 10), kRed);
    EXPECT_EQ(layoutAt(340, 10), kBlue);
}

TEST_F(PictureCommandTest, ATrimRectangleIsUsedWithoutTheQuestion)
{
    start();
    std::string path = picture("big.bmp", twoColours(1280, 960, 200, kRed, kGreen));
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout, path));
    editor().press(10, 10);
    editor().move(300, 60);
    editor().release(400, 110); // kept 4:3: 133 x 100
    ASSERT_EQ(ui.rectangles.size(), 1u);
    EXPECT_EQ(ui.rectangles[0], (std::array<int, 4>{10, 10, 133, 100}));
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(layoutAt(0, 0), kRed);
    EXPECT_EQ(layoutAt(639, 479), kRed);
}

// Inverting a colour as the inverting pen does.
QColor inverted(QColor c)
{
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

TEST_F(PictureCommandTest, RailsAreDrawnInvertedIntoACollagesTrimRectangleAndErasedWithIt)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {540, 240}}); // one straight rail along y = 240
    ui.view = &editor();
    // 1280 x 960 fits the screen: shown at full size.
    ASSERT_TRUE(editor().openPicture(SourceKind::Collage,
                                     picture("bg.bmp", twoColours(1280, 960, 1280, kBlue, kBlue))));
    ASSERT_EQ(ui.screen.pixelColor(150, 95), kBlue);

    // 200 x 150 at (40, 20): the rail lies at y = 20 + 240 / 480 * 150 = 95,
    // from x = 40 + 100 / 640 * 200 (71) to 40 + 540 / 640 * 200 (208).
    editor().press(40, 20);
    editor().move(240, 170);
    ASSERT_EQ(ui.shapes.size(), 1u);
    EXPECT_EQ(ui.screen.pixelColor(150, 95), inverted(kBlue));
    EXPECT_EQ(ui.screen.pixelColor(205, 95), inverted(kBlue));
    EXPECT_EQ(ui.screen.pixelColor(150, 90), kBlue);          // beside the rail
    EXPECT_EQ(ui.screen.pixelColor(60, 95), kBlue);           // before the rail's end
    EXPECT_EQ(ui.screen.pixelColor(40, 95), inverted(kBlue)); // the rectangle's edge

    // Down to 80 wide: no rails any more, and none left behind.
    editor().move(120, 80);
    EXPECT_TRUE(ui.shapes.empty());
    EXPECT_EQ(ui.screen.pixelColor(150, 95), kBlue);
    EXPECT_EQ(ui.screen.pixelColor(100, 80), inverted(kBlue)); // the small rectangle

    // 400 x 300: the rail moves to y = 170, x = 102..377.
    editor().release(440, 320);
    ASSERT_EQ(ui.shapes.size(), 1u);
    EXPECT_EQ(ui.screen.pixelColor(300, 170), inverted(kBlue));
    EXPECT_EQ(ui.screen.pixelColor(150, 95), kBlue);
    EXPECT_EQ(ui.screen.pixelColor(100, 80), kBlue);

    // The inverted drawing never reaches the picture itself.
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(editor().collagePicture().pixelColor(320, 240), kBlue);
    EXPECT_EQ(editor().collagePicture().pixelColor(120, 240), kBlue);
}

TEST_F(PictureCommandTest, NoRailsAreDrawnIntoTheTrimRectangleOfALayoutPicture)
{
    start();
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {540, 240}});
    ui.view = &editor();
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout,
                                     picture("p.bmp", twoColours(1280, 960, 1280, kBlue, kBlue))));
    editor().press(40, 20);
    editor().move(240, 170);
    EXPECT_TRUE(ui.shapes.empty());
    EXPECT_EQ(ui.rectangles.size(), 1u);
    EXPECT_EQ(ui.screen.pixelColor(150, 95), kBlue);
}

TEST_F(PictureCommandTest, CancelAtTheCutQuestionLeavesThePictureToBeTrimmedByHand)
{
    start();
    std::string path = picture("wide.bmp", twoColours(1024, 600, 112, kRed, kGreen));
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout, path));
    ui.answers = {Answer::Cancel};
    ASSERT_TRUE(editor().run(Command::Resize));
    ASSERT_TRUE(editor().sourceWaiting());
    // A 4:3 rectangle over the red left edge only.
    editor().press(0, 0);
    editor().release(80, 60);
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_EQ(ui.questions.size(), 1u); // no second question
    EXPECT_FALSE(editor().sourceWaiting());
    EXPECT_EQ(layoutAt(320, 240), kRed);
}

TEST_F(PictureCommandTest, APngNamedPngFailsAsJpegWithTheReadingMessage)
{
    start();
    ASSERT_TRUE(editor().hasLayoutPicture());
    // The PNG signature and a header chunk: not a JPEG.
    writeBytes(dir.file("photo.png"),
               {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D',
                'R',  0,   0,   0,   1,    0,    0,    0,    1, 8, 2, 0,  0,   0});
    EXPECT_FALSE(editor().openPicture(SourceKind::Layout, dir.file("photo.png")));
    EXPECT_EQ(ui.messages.back(), texts::kReadFailed);
    EXPECT_FALSE(editor().sourceWaiting());
    EXPECT_FALSE(editor().hasLayoutPicture());
}

TEST_F(PictureCommandTest, TheTrimmedCollageIsReusedOnYes)
{
    start();
    picture("planwerk/collage.bmp", twoColours(640, 480, 640, kBlue, kBlue));
    std::string other = picture("other.bmp", twoColours(640, 480, 640, kRed, kRed));
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(editor().openPicture(SourceKind::Collage, other));
    EXPECT_EQ(ui.questions.back().text, texts::kReuseCollage);
    // Taken as already trimmed: resized at once.
    EXPECT_FALSE(editor().sourceWaiting());
    EXPECT_EQ(editor().collagePicture().pixelColor(5, 5), kBlue);
    EXPECT_TRUE(editor().modified().collage);

    ui.answers = {Answer::No};
    ASSERT_TRUE(editor().openPicture(SourceKind::Collage, other));
    ASSERT_TRUE(editor().sourceWaiting());
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_EQ(editor().collagePicture().pixelColor(5, 5), kRed);
}

TEST_F(PictureCommandTest, RotateTurnsTheLayoutPictureHalfRound)
{
    start();
    common::Bitmap b = twoColours(640, 480, 1, kRed, kGreen);
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout, picture("p.bmp", b)));
    ASSERT_TRUE(editor().run(Command::Resize));
    ASSERT_TRUE(editor().run(Command::Rotate));
    EXPECT_EQ(layoutAt(639, 0), kRed);
    EXPECT_EQ(layoutAt(0, 0), kGreen);
}

TEST_F(PictureCommandTest, RotateInTheTrainPictureModeTurnsOnlyTheTrainEditPicture)
{
    start();
    ASSERT_TRUE(editor().openPicture(SourceKind::TrainEdit,
                                     picture("train.bmp", twoColours(640, 480, 1, kRed, kGreen))));
    ASSERT_EQ(editor().mode(), EditMode::TrainPicture);
    editor().save(); // clears the flags
    ASSERT_FALSE(editor().modified().trainEdit);
    ASSERT_TRUE(editor().run(Command::Rotate));
    // (The bottom row, now on top, carries the stored rectangle.)
    EXPECT_EQ(editor().trainEditPicture().pixelColor(639, 5), kRed);
    EXPECT_EQ(editor().trainEditPicture().pixelColor(0, 5), kGreen);
    EXPECT_TRUE(editor().modified().trainEdit);
    EXPECT_FALSE(editor().modified().picture);
    EXPECT_EQ(layoutAt(0, 0), QColor(0x80, 0x80, 0x80)); // the layout picture as it was
}

TEST_F(PictureCommandTest, ComposeShowsThePhotographOnTheRailsAndTheCollageElsewhere)
{
    start("RAIL_WIDTH=32\n");
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout,
                                     picture("photo.bmp", twoColours(640, 480, 640, kRed, kRed))));
    ASSERT_TRUE(editor().run(Command::Resize));
    ASSERT_TRUE(editor().openPicture(SourceKind::Collage,
                                     picture("bg.bmp", twoColours(640, 480, 640, kBlue, kBlue))));
    ASSERT_TRUE(editor().run(Command::Resize));
    EXPECT_FALSE(editor().isEnabled(Command::Resize));

    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {540, 240}});
    ASSERT_EQ(editor().row(0).count(), 2);
    editor().enterMode(EditMode::Mask);
    editor().menu(450, 240); // a square over x 400..500, y 190..290
    ASSERT_TRUE(editor().run(Command::AddRect));
    ASSERT_TRUE(editor().run(Command::Compose));

    const QImage& composite = editor().shownPicture();
    ASSERT_EQ(composite.size(), QSize(640, 480));
    EXPECT_EQ(composite.pixelColor(200, 240), kRed);  // on the rail
    EXPECT_EQ(composite.pixelColor(200, 250), kRed);  // within half the rail width
    EXPECT_EQ(composite.pixelColor(200, 300), kBlue); // off the rail
    EXPECT_EQ(composite.pixelColor(450, 240), kBlue); // rail under a mask
    EXPECT_EQ(composite.pixelColor(20, 20), kBlue);
    EXPECT_TRUE(editor().modified().collage);
}

TEST_F(PictureCommandTest, TheCollageIsShownAndTheCompositeStandsAloneUntilTheNextResize)
{
    start("RAIL_WIDTH=32\n");
    editor().enterMode(EditMode::OuterLoop);
    clicks({{100, 240}, {540, 240}});
    ASSERT_TRUE(editor().openPicture(SourceKind::Layout,
                                     picture("photo.bmp", twoColours(640, 480, 640, kRed, kRed))));
    ASSERT_TRUE(editor().run(Command::Resize));
    ui.view = &editor();
    ASSERT_TRUE(editor().openPicture(SourceKind::Collage,
                                     picture("bg.bmp", twoColours(640, 480, 640, kGreen, kGreen))));
    ASSERT_TRUE(editor().run(Command::Resize));
    // The collage is what the view shows, with the traced rows over it.
    EXPECT_EQ(ui.screen.pixelColor(20, 20), kGreen);
    const QColor handle = ui.screen.pixelColor(100, 240);
    EXPECT_NE(handle, kGreen);
    EXPECT_NE(handle, kRed);

    ASSERT_TRUE(editor().run(Command::Compose));
    // The composite alone: the photograph on the rail, no handle over it.
    EXPECT_EQ(ui.screen.pixelColor(100, 240), kRed);
    EXPECT_EQ(ui.screen.pixelColor(20, 20), kGreen);

    // A new collage waiting for Resize is not exported as the layout picture.
    ASSERT_TRUE(editor().openPicture(
        SourceKind::Collage,
        picture("big.bmp", twoColours(1024, 768, 1024, Qt::white, Qt::white))));
    ASSERT_TRUE(editor().sourceWaiting());
    ui.answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes};
    editor().exportLayout();
    common::Bitmap exported;
    ASSERT_TRUE(common::readBitmap(layout("layout.bmp"), exported));
    EXPECT_EQ(exported.width, 640);
    EXPECT_EQ(exported.height, 480);
    EXPECT_EQ(exported.pixel(320, 100)[2], 255); // the red layout picture
}

TEST_F(PictureCommandTest, TheTrainPreviewLiesAlongTheFirstSidingTurnedToIt)
{
    start();
    // Left half red, right half blue: the train picture's front is blue.
    ASSERT_TRUE(editor().openPicture(SourceKind::TrainEdit,
                                     picture("train.bmp", twoColours(640, 480, 320, kRed, kBlue))));
    ASSERT_EQ(editor().mode(), EditMode::TrainPicture);
    // A siding running straight up from its turnout at (320, 400).
    editor().enterMode(EditMode::Sidings);
    const QImage& train = editor().trainPicture();
    ASSERT_EQ(train.size(), QSize(27, 20)); // 320 x 240 stretched to 20 high
    clicks({{320, 400}});
    clicks({{320, 300}, {320, 200}});
    const VertexRow& siding = editor().row(1);
    ASSERT_EQ(siding.count(), 3);
    Point first{siding[0].x, siding[0].y};
    Point last{siding[2].x, siding[2].y};
    ASSERT_EQ(first, (Point{320, 400}));
    ASSERT_EQ(last.x, 320);
    ASSERT_LT(last.y, 400);

    editor().enterMode(EditMode::None);
    QImage view(640, 480, QImage::Format_RGB888);
    view.fill(Qt::white);
    {
        QPainter painter(&view);
        editor().paint(painter);
    }
    // Turned from the last vertex towards the first: the picture's x axis
    // points down the screen, so its red rear lies above the centre and its
    // blue front below; 20 pixels wide now, 27 high.
    const int cx = 320, cy = (first.y + last.y) / 2;
    auto reddish = [](QColor c) { return c.red() > 200 && c.blue() < 60; };
    auto bluish = [](QColor c) { return c.blue() > 200 && c.red() < 60; };
    EXPECT_TRUE(reddish(view.pixelColor(cx + 5, cy - 9)))
        << view.pixelColor(cx + 5, cy - 9).name().toStdString();
    EXPECT_TRUE(bluish(view.pixelColor(cx + 5, cy + 9)))
        << view.pixelColor(cx + 5, cy + 9).name().toStdString();
    // Clipped to its turned rectangle: the layout shows beside it.
    const QColor grey(0x80, 0x80, 0x80);
    EXPECT_EQ(view.pixelColor(cx + 12, cy), grey);
    EXPECT_EQ(view.pixelColor(cx - 12, cy + 5), grey);
    EXPECT_EQ(view.pixelColor(cx + 5, cy - 15), grey);
}

TEST_F(PictureCommandTest, TheTrainRectangleRoundTripsThroughTrainEditBmp)
{
    start();
    ASSERT_TRUE(editor().openPicture(SourceKind::TrainEdit,
                                     picture("train.bmp", twoColours(640, 480, 320, kRed, kBlue))));
    // A train picture is always taken as trimmed: straight to its mode.
    EXPECT_EQ(editor().mode(), EditMode::TrainPicture);
    // Tilt the base line: P1 from (480, 360) to (480, 300).
    editor().press(480, 360);
    ASSERT_EQ(editor().selection(), 1);
    editor().release(480, 300);
    TrainRect edited = editor().trainRect();
    EXPECT_EQ(edited[1], (Point{480, 300}));
    EXPECT_NE(edited[3], (Point{160, 120})); // derived again

    // Leaving the mode builds the train picture, TRAIN_SIZE (20) high.
    editor().enterMode(EditMode::OuterLoop);
    ASSERT_FALSE(editor().trainPicture().isNull());
    EXPECT_EQ(editor().trainPicture().height(), 20);
    // Without sidings the preview stands upright in the middle of the view.
    QImage view(640, 480, QImage::Format_RGB888);
    view.fill(Qt::white);
    {
        QPainter painter(&view);
        editor().paint(painter);
    }
    const QImage& train = editor().trainPicture();
    EXPECT_EQ(view.pixelColor(320, 240), train.pixelColor(train.width() / 2, train.height() / 2));
    // Above its 20 rows the grey layout picture shows.
    EXPECT_EQ(view.pixelColor(320, 240 - 15), QColor(0x80, 0x80, 0x80));
    editor().enterMode(EditMode::TrainPicture);

    ui.answers = {Answer::No}; // no train picture file
    editor().save();
    ASSERT_TRUE(fileExists(work("train_edit.bmp")));

    RecordingFrontend ui2;
    LayoutEditor again(ui2, dir.path());
    ASSERT_TRUE(again.initialise());
    ASSERT_TRUE(again.openPicture(SourceKind::TrainEdit, dir.file("unused.bmp")));
    EXPECT_EQ(ui2.questions.front().text, texts::kReuseTrainEdit);
    EXPECT_EQ(again.trainRect(), edited);
}

TEST_F(PictureCommandTest, ABottomRowWithoutARectangleKeepsThePreviousOne)
{
    start();
    picture("planwerk/train_edit.bmp", twoColours(640, 480, 640, kGreen, kGreen));
    TrainRect before = editor().trainRect();
    ASSERT_TRUE(editor().openPicture(SourceKind::TrainEdit));
    EXPECT_EQ(editor().trainRect(), before);
    EXPECT_EQ(editor().mode(), EditMode::TrainPicture);
}

} // namespace
} // namespace planwerk::testing
