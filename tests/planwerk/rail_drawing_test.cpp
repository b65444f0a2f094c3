// Drawing of traced rows: lines, arcs, gaps between sidings, handles and
// the selected siding.
#include "gui_app.h"
#include "planwerk/rail_drawing.h"
#include "planwerk/rail_geometry.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace planwerk {
namespace {

const QColor kBlue(0, 0, 255), kGreen(0, 255, 0), kSelect(0, 0x77, 0), kWhite(Qt::white);

// Text needs the application's fonts.
VertexRecord railVertex(int x, int y, int mark = 0)
{
    VertexRecord v;
    v.x = x;
    v.y = y;
    v.pointMark = uint8_t(mark);
    v.curveX = v.curveY = -1;
    return v;
}

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override { planwerk::testing::ensureGuiApplication(); }

    void draw(std::initializer_list<VertexRecord> records, bool siding, int selection = -1,
              int curved = -1)
    {
        row.allocate(32);
        row.assign(records);
        if (curved >= 0) {
            row[curved].curveX = 0;
            updateCurveCentres(row, 640);
        }
        image = QImage(640, 480, QImage::Format_RGB888);
        image.fill(Qt::white);
        QPainter painter(&image);
        drawRow(painter, row, siding, selection, EditorSettings{});
    }

    // Whether the colour is within a pixel of (x, y).
    bool near(int x, int y, const QColor& colour) const
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.pixelColor(x + dx, y + dy) == colour)
                    return true;
        return false;
    }
    bool blank(int x, int y) const
    {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (image.pixelColor(x + dx, y + dy) != kWhite)
                    return false;
        return true;
    }

    VertexRow row;
    QImage image;
};

TEST_F(DrawingTest, OuterLoopIsClosedWithLines)
{
    draw({railVertex(100, 100), railVertex(300, 100), railVertex(300, 300)}, false);
    EXPECT_TRUE(near(200, 100, kBlue));
    EXPECT_TRUE(near(300, 200, kBlue));
    EXPECT_TRUE(near(200, 200, kBlue)); // back to vertex 0
    EXPECT_TRUE(blank(200, 150));
    EXPECT_EQ(image.pixelColor(300, 100), kBlue); // handle
}

TEST_F(DrawingTest, ACurvedVertexIsDrawnAsAnArcInsteadOfItsCorner)
{
    draw({railVertex(100, 240), railVertex(320, 50), railVertex(540, 240), railVertex(320, 430)},
         false, -1, 1);
    ASSERT_EQ(row[1].curveX, 320);
    ASSERT_EQ(row[1].curveY, 272);
    // On the circle of radius 222 at 60 degrees either side of the top.
    EXPECT_TRUE(near(320 + 192, 272 - 111, kBlue));
    EXPECT_TRUE(near(320 - 192, 272 - 111, kBlue));
    EXPECT_TRUE(blank(210, 145)); // the chords are not drawn
    EXPECT_TRUE(blank(430, 145));
    EXPECT_TRUE(near(430, 335, kBlue)); // the straight sides are
    EXPECT_TRUE(near(210, 335, kBlue));
}

TEST_F(DrawingTest, SidingsAreSeparateAndTheSelectedOneIsHighlighted)
{
    draw({railVertex(100, 300, 2), railVertex(200, 300), railVertex(400, 300, 1),
          railVertex(500, 300)},
         true, 3);
    EXPECT_TRUE(near(150, 300, kBlue));
    EXPECT_TRUE(blank(300, 300)); // no line from one siding to the next
    EXPECT_TRUE(near(450, 300, kSelect));
    EXPECT_FALSE(near(450, 300, kBlue));
    EXPECT_EQ(image.pixelColor(100, 300), kGreen); // turnouts are filled as marked
    EXPECT_EQ(image.pixelColor(200, 300), kBlue);
    // Turnouts are numbered beside them.
    bool labelled = false;
    for (int y = 305; y < 330; ++y)
        for (int x = 405; x < 425; ++x)
            labelled |= image.pixelColor(x, y) != kWhite;
    EXPECT_TRUE(labelled);
}

} // namespace
} // namespace planwerk
