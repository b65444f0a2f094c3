// The program picture read back pixel by pixel: lines through their corner
// points and never across a box, marks where the option puts them, the
// mirrored point icon, the position crosses and the sensor dot.
#include "program_test_support.h"
#include "vardo/operation/program_picture.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <initializer_list>

namespace vardo {
namespace {

using testing::addCommand;

QColor at(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

class ProgramPictureTest : public ::testing::Test {
protected:
    const ProgramPictureStyle style{};

    QImage draw(const Program& program, ProgramPictureLayout layout = {}) const
    {
        return ProgramPicture(std::move(layout), style).draw(program);
    }

    void expectLink(const QImage& image, std::initializer_list<QPoint> points) const
    {
        for (const QPoint& pt : points)
            EXPECT_EQ(at(image, pt.x(), pt.y()), style.link) << pt.x() << "," << pt.y();
    }

    // The box rows below the icon and its left strip hold only the box
    // colour: no line is drawn across a box.
    void expectBoxesClean(const QImage& image, const Program& program) const
    {
        for (int i = 0; i < program.count; ++i) {
            if (!program.isCommand(i))
                continue;
            const ProgramCommand& c = program.commands[size_t(i)];
            for (int dx = 1; dx < kBoxSize - 1; ++dx)
                for (int dy = 36; dy < kBoxSize - 1; ++dy)
                    ASSERT_EQ(at(image, c.boxX + dx, c.boxY + dy), style.box)
                        << "slot " << i << " at " << dx << "," << dy;
            EXPECT_EQ(at(image, c.boxX, c.boxY + 30), style.link) << "outline of slot " << i;
        }
    }
};

// Start -> Timer -> Repeat, one row, the Repeat looping back to the Timer.
TEST_F(ProgramPictureTest, RepeatInTheSameRowLoopsBelowTheBoxes)
{
    Program p;
    int timer = addCommand(p, CommandKind::Timer, 0, 10);
    int repeat = addCommand(p, CommandKind::Repeat, timer, 3);
    p.commands[size_t(repeat)].link = int16_t(timer);
    QImage image = draw(p);
    ASSERT_EQ(image.size(), QSize(640, 480));
    const ProgramCommand& r = p.commands[size_t(repeat)];
    const ProgramCommand& t = p.commands[size_t(timer)];
    ASSERT_EQ(r.boxY, t.boxY);
    const int x = r.boxX, y = r.boxY, tx = t.boxX, ty = t.boxY;
    expectLink(image, {{x + 20, y + 42},
                       {tx - 6, y + 42},
                       {tx - 6, ty + 26},
                       {(x + tx) / 2, y + 42},
                       {tx - 6, y + 34}});
    // The next lines between the boxes.
    expectLink(image, {{t.boxX - 10, t.boxY + 20}, {r.boxX - 5, r.boxY + 20}});
    expectBoxesClean(image, p);
    EXPECT_EQ(at(image, 300, 300), QColor(Qt::white));
}

// A chain of ten: it wraps to a second row, where a Repeat links back up.
TEST_F(ProgramPictureTest, WrappedChainAndRepeatAcrossRows)
{
    Program p;
    int prev = addCommand(p, CommandKind::AlarmTime, -1, 10, 0);
    const int head = prev;
    for (int i = 0; i < 8; ++i)
        prev = addCommand(p, CommandKind::Timer, prev, 5);
    const int lastInRow = prev;
    int repeat = addCommand(p, CommandKind::Repeat, prev, 2);
    const int target = p.commands[size_t(head)].next;
    p.commands[size_t(repeat)].link = int16_t(target);
    QImage image = draw(p);

    const ProgramCommand& l = p.commands[size_t(lastInRow)];
    const ProgramCommand& r = p.commands[size_t(repeat)];
    const ProgramCommand& t = p.commands[size_t(target)];
    ASSERT_GT(r.boxY, l.boxY) << "the chain must wrap";
    // Next line: right, down to the middle between the rows, left, down.
    const int m = (r.boxY + l.boxY) / 2 + 20;
    expectLink(image, {{l.boxX + 48, l.boxY + 20},
                       {l.boxX + 48, m},
                       {r.boxX - 8, m},
                       {r.boxX - 8, r.boxY + 20},
                       {300, m}});
    // The repeat's link: up above its own row, left, down beside the target.
    const int x = r.boxX, y = r.boxY, tx = t.boxX, ty = t.boxY;
    expectLink(
        image,
        {{x + 20, y - 11}, {tx - 8, y - 11}, {tx - 8, ty + 23}, {(x + tx) / 2 + 10, y - 11}});
    expectBoxesClean(image, p);
}

TEST_F(ProgramPictureTest, ContinueLinkOfTheLastCommandInTheSameRowRunsBelowAtY51)
{
    Program p;
    int timer = addCommand(p, CommandKind::Timer, 0, 10);
    int train = addCommand(p, CommandKind::TrainControl, timer, 1, 0, 1);
    p.commands[size_t(train)].link = int16_t(timer);
    QImage image = draw(p);
    const ProgramCommand& c = p.commands[size_t(train)];
    const ProgramCommand& t = p.commands[size_t(timer)];
    const int x = c.boxX, y = c.boxY, tx = t.boxX, ty = t.boxY;
    expectLink(image, {{x + 50, y + 20},
                       {x + 50, y + 51},
                       {tx - 10, y + 51},
                       {tx - 10, ty + 23},
                       {x + 45, y + 20}});
    expectBoxesClean(image, p);
}

TEST_F(ProgramPictureTest, ContinueLinkAcrossRowsFromLeftAndFromRightOfTheTarget)
{
    Program p;
    int prev = addCommand(p, CommandKind::AlarmTime, -1, 10, 0);
    const int target = addCommand(p, CommandKind::Timer, prev, 5);
    prev = target;
    for (int i = 0; i < 8; ++i)
        prev = addCommand(p, CommandKind::Timer, prev, 5);
    // The first of the second row lies left of the target: across, then down.
    const int left = prev;
    ASSERT_LT(p.commands[size_t(left)].boxX, p.commands[size_t(target)].boxX);
    p.commands[size_t(left)].link = int16_t(target);
    QImage image = draw(p);
    const ProgramCommand& t = p.commands[size_t(target)];
    {
        const ProgramCommand& c = p.commands[size_t(left)];
        expectLink(image, {{c.boxX + 45, c.boxY + 20},
                           {t.boxX - 8, c.boxY + 20},
                           {t.boxX - 8, t.boxY + 23},
                           {t.boxX - 8, t.boxY + 45}});
    }
    expectBoxesClean(image, p);

    // One more command: the last one now lies right of (not left of) the target.
    p.commands[size_t(left)].link = -1;
    const int right = addCommand(p, CommandKind::Timer, left, 5);
    ASSERT_GE(p.commands[size_t(right)].boxX, t.boxX);
    p.commands[size_t(right)].link = int16_t(target);
    image = draw(p);
    const ProgramCommand& c = p.commands[size_t(right)];
    expectLink(image, {{c.boxX + 48, c.boxY + 20},
                       {c.boxX + 48, t.boxY + 51},
                       {t.boxX - 8, t.boxY + 51},
                       {t.boxX - 8, t.boxY + 23}});
    expectBoxesClean(image, p);
}

TEST_F(ProgramPictureTest, SpeedSliderMarkMovesFromTopAtFullSpeedToBottomAtZero)
{
    const QImage marks = markStrip();
    const QColor ink(marks.pixel(kMarkForward + 2, 4));
    ASSERT_EQ(QColor(marks.pixel(kMarkForward + 2, 4)).alpha(), 255);
    for (int speed : {100, 50, 0}) {
        Program p;
        int s = addCommand(p, CommandKind::TrainSpeed, 0, speed, 0);
        QImage image = draw(p);
        const ProgramCommand& c = p.commands[size_t(s)];
        const int h = 24 * (100 - speed) / 100;
        EXPECT_EQ(at(image, c.boxX + 6, c.boxY + 8 + h), QColor(ink.rgb())) << speed;
        for (int other : {0, 12, 24}) {
            if (other != h) {
                EXPECT_NE(at(image, c.boxX + 6, c.boxY + 8 + other), QColor(ink.rgb()))
                    << speed << " at " << other;
            }
        }
    }
}

QImage iconArea(const QImage& image, const ProgramCommand& c)
{
    return image.copy(c.boxX + 4, c.boxY + 4, kIconSize, kIconSize);
}

TEST_F(ProgramPictureTest, BranchSidePointIconIsMirrored)
{
    for (bool outerOnly : {false, true}) {
        Program p;
        int through = addCommand(p, CommandKind::SwitchPoint, 0, 0, 0, 0);
        int branch = addCommand(p, CommandKind::SwitchPoint, through, 0, 0, 1);
        ProgramPictureLayout layout;
        layout.outerLoopOnly = outerOnly;
        QImage image = draw(p, layout);
        QImage a = iconArea(image, p.commands[size_t(through)]);
        QImage b = iconArea(image, p.commands[size_t(branch)]);
        EXPECT_NE(a, b) << outerOnly;
        EXPECT_EQ(b, a.mirrored(!outerOnly, outerOnly)) << outerOnly;
    }
}

TEST_F(ProgramPictureTest, IconVariantsDifferOnlyWhereTheyShould)
{
    QImage plain = commandIconStrip(IconVariant::Plain);
    QImage barrier = commandIconStrip(IconVariant::Barrier);
    ASSERT_EQ(plain.size(), QSize(12 * 32, 32));
    const QRect pointColumn(4 * 32, 0, 32, 32);
    EXPECT_NE(plain.copy(pointColumn), barrier.copy(pointColumn));
    EXPECT_EQ(plain.copy(0, 0, 4 * 32, 32), barrier.copy(0, 0, 4 * 32, 32));
    // Every kind has a visible pictogram.
    for (int k = 0; k < 12; ++k) {
        QImage icon = plain.copy(k * 32, 0, 32, 32);
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                opaque += qAlpha(icon.pixel(x, y)) > 128;
        EXPECT_GT(opaque, 40) << "kind " << k + 1;
    }
}

TEST_F(ProgramPictureTest, PositionCrossesAndTheSensorDot)
{
    Program p;
    int user = addCommand(p, CommandKind::PositionWait, 0, 320, 240, 3);
    int sensor = addCommand(p, CommandKind::PositionWait, user, 2, 60, 4);
    int table = addCommand(p, CommandKind::PositionWait, sensor, 0, 0, 2);
    ProgramPictureLayout layout;
    layout.positions = {QPoint(100, 100), QPoint(200, 400), QPoint(600, 40)};
    const QColor red(Qt::red);

    QImage image = draw(p, layout);
    const ProgramCommand& u = p.commands[size_t(user)];
    for (QPoint d : {QPoint(0, 0), QPoint(-3, 0), QPoint(3, 0), QPoint(0, -3), QPoint(0, 3)})
        EXPECT_EQ(at(image, u.boxX + 20 + d.x(), u.boxY + 20 + d.y()), red);
    EXPECT_NE(at(image, u.boxX + 22, u.boxY + 22), red);
    const ProgramCommand& t = p.commands[size_t(table)];
    EXPECT_EQ(at(image, t.boxX + 4 + 30, t.boxY + 8 + 2), red);
    // No sensor data: a dot by the sensor number.
    const ProgramCommand& s = p.commands[size_t(sensor)];
    EXPECT_EQ(at(image, s.boxX + 8 + 10 + 1, s.boxY + 33 + 1), red);

    // With the sensor in the layout: its cross, no dot.
    layout.sensors = {QPoint(0, 0), QPoint(0, 0), QPoint(400, 100)};
    image = draw(p, layout);
    EXPECT_EQ(at(image, s.boxX + 4 + 20, s.boxY + 8 + 5), red);
    EXPECT_NE(at(image, s.boxX + 8 + 10 + 1, s.boxY + 33 + 1), red);
}

TEST_F(ProgramPictureTest, SelectionFrameSurroundsOnlyACommand)
{
    Program p;
    int timer = addCommand(p, CommandKind::Timer, 0, 10);
    QImage image = draw(p);
    const QImage before = image;
    ProgramPicture painter({}, style);
    painter.drawSelection(image, p, 50); // an empty slot
    EXPECT_EQ(image, before);
    painter.drawSelection(image, p, timer);
    const ProgramCommand& c = p.commands[size_t(timer)];
    EXPECT_EQ(at(image, c.boxX - 2, c.boxY + 20), style.select);
    EXPECT_EQ(at(image, c.boxX + 20, c.boxY + kBoxSize + 1), style.select);
    EXPECT_EQ(at(image, c.boxX + 20, c.boxY + 37), style.box);
}

TEST_F(ProgramPictureTest, StyleComesFromTheSettingsWithDefaultsForBadColours)
{
    const std::string dir = ::testing::TempDir();
    const std::string vardoIni = dir + "/picture_VARDO.ini";
    const std::string optionIni = dir + "/picture_option.ini";
    const std::string text = "[EVENT]\nEVENT_COLOR=#102030\nLINK_COLOR=blue\nLINK_WIDTH=3\n";
    ASSERT_TRUE(common::writeFileAtomic(vardoIni, std::vector<uint8_t>(text.begin(), text.end())));
    struct Sink : common::MessageSink {
        int count = 0;
        void showMessage(const std::string&, common::Icon) override { ++count; }
    } sink;
    ProgramPictureStyle s = ProgramPictureStyle::read(Settings(vardoIni, optionIni), sink);
    EXPECT_EQ(s.box, QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(s.link, QColor(0, 0, 255));
    EXPECT_EQ(sink.count, 1);
    EXPECT_EQ(s.linkWidth, 3);
    EXPECT_EQ(s.selectWidth, 2);
}

} // namespace
} // namespace vardo
