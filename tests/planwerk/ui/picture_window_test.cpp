// The picture commands in the real window: a photograph opened from the
// file dialog waits at its display scale in a frame fitted to it, is
// trimmed with the mouse and resized; the collage and the train picture
// follow their own menu rules.
#include "frame_fixture.h"

#include "planwerk/picture/image_file.h"
#include "planwerk/picture/picture_texts.h"
#include "planwerk/ui/layout_view.h"
#include "planwerk/ui/main_frame.h"

#include <QAction>
#include <QMouseEvent>
#include <QTest>

#include <set>

namespace planwerk::ui {
namespace {

using planwerk::testing::TempFolder;

// A photograph whose left half is red and right half blue, so that what
// Resize keeps shows which part was cut.
std::string writePhotograph(const TempFolder& dir, int width, int height)
{
    common::Bitmap b;
    b.width = width;
    b.height = height;
    b.bgr.assign(size_t(b.stride()) * size_t(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            (x < width / 2 ? b.pixel(x, y)[2] : b.pixel(x, y)[0]) = 255;
    std::string path = dir.file("photo.bmp");
    std::string error;
    EXPECT_TRUE(writeBitmapFile(path, b, error)) << error;
    return path;
}

class PictureWindowTest : public testing::FrameFixture {
protected:
    void open(bool picture)
    {
        answer = [](const std::string& text) {
            return text == texts::kCutQuestion ? Answer::Ok : Answer::No;
        };
        FrameFixture::open(picture);
        frame->hooks.chooseOpenFile = [this]() -> std::optional<std::string> {
            ++fileDialogs;
            return chosenFile;
        };
    }

    // Press, one move with the button held, release: a drag as Qt sees it.
    void drag(QPoint from, QPoint to)
    {
        LayoutView* view = frame->view();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), view->mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    }

    std::optional<std::string> chosenFile;
    int fileDialogs = 0;
};

TEST_F(PictureWindowTest, OpenedPhotographWaitsScaledInAFittedFrameAndResizesToTheTrim)
{
    open(false);
    chosenFile = writePhotograph(dir, 1600, 1200);
    frame->action(MenuId::OpenPicture)->trigger();
    ASSERT_EQ(fileDialogs, 1);
    ASSERT_TRUE(frame->editor().sourceWaiting()) << (messages.empty() ? "" : messages[0]);

    // Too large for the screen: shown smaller, keeping its shape, with the
    // frame fitted around it.
    ScreenSize screen = frame->screenSize();
    QSize shown(frame->editor().shownWidth(), frame->editor().shownHeight());
    EXPECT_LE(shown.width(), screen.width - kFrameExtraWidth);
    EXPECT_LE(shown.height(), screen.height - kFrameExtraHeight);
    EXPECT_LT(shown.width(), 1600);
    EXPECT_NEAR(double(shown.width()) / shown.height(), 4.0 / 3.0, 0.02);
    EXPECT_EQ(frame->size(), shown + QSize(kFrameExtraWidth, kFrameExtraHeight));

    // A source waits and no layout picture exists: Resize enabled, unchecked.
    EXPECT_TRUE(frame->action(MenuId::Resize)->isEnabled());
    EXPECT_FALSE(frame->action(MenuId::Resize)->isChecked());
    EXPECT_FALSE(frame->action(MenuId::Save)->isEnabled());

    // The trim rectangle follows the drag, always 4:3, drawn over the
    // picture and inverting it.
    QImage before = frame->view()->grab().toImage();
    drag({10, 10}, {130, 200});
    ASSERT_EQ(frame->editor().trimState(), 3);
    ASSERT_EQ(frame->view()->rectangles().size(), 1u);
    std::array<int, 4> r = frame->view()->rectangles()[0];
    EXPECT_EQ((std::array<int, 2>{r[0], r[1]}), (std::array<int, 2>{10, 10}));
    EXPECT_EQ(r[2] * 3, r[3] * 4);
    QImage with = frame->view()->grab().toImage();
    EXPECT_NE(with.pixel(10, 40), before.pixel(10, 40));
    EXPECT_EQ(with.pixel(40, 40), before.pixel(40, 40));

    // Resize keeps only the trimmed (red) corner and fits the frame to
    // 640 x 480 again; the rectangle is gone with the waiting picture.
    frame->action(MenuId::Resize)->trigger();
    EXPECT_FALSE(frame->editor().sourceWaiting());
    ASSERT_TRUE(frame->editor().hasLayoutPicture());
    QImage picture = frame->editor().layoutPicture().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(picture.size(), QSize(640, 480));
    EXPECT_EQ(QColor(picture.pixel(600, 440)), QColor(255, 0, 0));
    EXPECT_TRUE(frame->view()->rectangles().empty());
    EXPECT_EQ(frame->size(), QSize(640 + kFrameExtraWidth, 480 + kFrameExtraHeight));
    EXPECT_TRUE(frame->action(MenuId::Resize)->isChecked());
    EXPECT_FALSE(frame->action(MenuId::Resize)->isEnabled());
    EXPECT_TRUE(frame->action(MenuId::Save)->isEnabled());
    EXPECT_TRUE(frame->action(MenuId::Rotate)->isEnabled());
}

TEST_F(PictureWindowTest, CancelledFileDialogAndUnreadableFileLeaveNothingWaiting)
{
    open(true);
    frame->runCommand(MenuId::OpenPicture);
    EXPECT_EQ(fileDialogs, 1);
    EXPECT_FALSE(frame->editor().sourceWaiting());
    EXPECT_TRUE(frame->editor().hasLayoutPicture());

    chosenFile = dir.file("missing.bmp");
    frame->runCommand(MenuId::OpenPicture);
    EXPECT_FALSE(frame->editor().sourceWaiting());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "画像ファイルの読み込みに失敗しました。");
    EXPECT_FALSE(frame->action(MenuId::Resize)->isEnabled());
}

TEST_F(PictureWindowTest, CollageWaitsWithTheLayoutCheckedThenComposes)
{
    open(true);
    EXPECT_FALSE(frame->action(MenuId::OpenCollage)->isEnabled()); // no outer loop yet
    frame->runCommand(MenuId::OuterLoopMode);
    for (QPoint p : {QPoint(100, 100), QPoint(540, 100), QPoint(540, 380), QPoint(100, 380)})
        QTest::mouseClick(frame->view(), Qt::LeftButton, {}, p);
    frame->runCommand(MenuId::OuterLoopMode);
    ASSERT_TRUE(frame->action(MenuId::OpenCollage)->isEnabled());

    chosenFile = writePhotograph(dir, 640, 480);
    frame->runCommand(MenuId::OpenCollage);
    ASSERT_TRUE(frame->editor().sourceWaiting());
    // With a layout picture Resize is checked as well as enabled now.
    EXPECT_TRUE(frame->action(MenuId::Resize)->isEnabled());
    EXPECT_TRUE(frame->action(MenuId::Resize)->isChecked());
    EXPECT_FALSE(frame->action(MenuId::Compose)->isEnabled());

    // A wide trim rectangle over a collage shows the traced rails in it,
    // scaled into the rectangle: the top rail (y = 100) comes out at
    // y = 20 + 100 x 600 / 640 = 113.75.
    QImage before = frame->view()->grab().toImage();
    drag({20, 20}, {620, 470});
    ASSERT_EQ(frame->editor().trimState(), 3);
    QImage with = frame->view()->grab().toImage();
    auto columnsChanged = [&](int top, int bottom) {
        int changed = 0;
        for (int x = 150; x < 500; ++x) {
            bool any = false;
            for (int y = top; y <= bottom; ++y)
                any = any || with.pixel(x, y) != before.pixel(x, y);
            changed += any;
        }
        return changed;
    };
    EXPECT_EQ(columnsChanged(112, 116), 350) << "the top rail is not shown over the collage";
    EXPECT_EQ(columnsChanged(95, 105), 0) << "the rail is drawn unscaled";

    frame->runCommand(MenuId::Resize);
    ASSERT_FALSE(frame->editor().collagePicture().isNull());
    ASSERT_TRUE(frame->action(MenuId::Compose)->isEnabled());
    frame->runCommand(MenuId::Compose);
    EXPECT_FALSE(frame->editor().shownPicture().isNull());
}

TEST_F(PictureWindowTest, TrainPictureEntersItsModeAndRotates)
{
    open(false);
    EXPECT_FALSE(frame->action(MenuId::TrainPictureMode)->isEnabled());
    chosenFile = writePhotograph(dir, 640, 480);
    frame->runCommand(MenuId::OpenTrainPicture);
    ASSERT_EQ(frame->editor().mode(), EditMode::TrainPicture);
    EXPECT_TRUE(frame->action(MenuId::TrainPictureMode)->isChecked());
    // In this mode, without a layout picture, only rotating the train
    // picture and the commands that are always there are offered.
    EXPECT_EQ(enabledActions(),
              (std::set<MenuId>{MenuId::OpenPicture, MenuId::LoadLayout, MenuId::New,
                                MenuId::OpenTrainPicture, MenuId::TrainPictureMode, MenuId::Rotate,
                                MenuId::Settings, MenuId::ToolBar, MenuId::StatusBar, MenuId::About,
                                MenuId::Documentation, MenuId::Exit}));
    QColor left(frame->editor().trainEditPicture().pixel(10, 240));
    frame->runCommand(MenuId::Rotate);
    EXPECT_NE(QColor(frame->editor().trainEditPicture().pixel(10, 240)), left);
    EXPECT_EQ(QColor(frame->editor().trainEditPicture().pixel(629, 240)), left);
}

} // namespace
} // namespace planwerk::ui
