// Drawing of regions and markers: fills by direction, groups switched off
// are not drawn, bands with their width.
#include "gui_app.h"
#include "planwerk/marker_drawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace planwerk {
namespace {

using layoutdata::Point;

class MarkerDrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        planwerk::testing::ensureGuiApplication();
        image = QImage(640, 480, QImage::Format_RGB888);
        image.fill(Qt::white);
    }
    QColor at(int x, int y) const { return image.pixelColor(x, y); }

    QImage image;
    EditorSettings settings;
};

TEST_F(MarkerDrawingTest, ControlPointsAreFilledByDirection)
{
    ControlPointSet set;
    set.reset();
    for (int i = 0; i < 3; ++i) {
        set[i].x = 100 + i * 50;
        set[i].y = 100;
        set[i].direction = int16_t(i);
    }
    set.setCount(3);
    QPainter p(&image);
    drawControlPoints(p, set, -1, settings);
    p.end();
    EXPECT_EQ(at(100, 100), QColor(255, 0, 255));
    EXPECT_EQ(at(150, 100), QColor(0, 255, 255));
    EXPECT_EQ(at(200, 100), QColor(255, 255, 0));
}

TEST_F(MarkerDrawingTest, LightsSwitchedOffAreNotDrawn)
{
    CrossingSet set;
    set.reset();
    set[0] = layoutdata::defaultCrossing();
    set[1] = layoutdata::defaultCrossing();
    for (auto* p : {&set[1].arm1[0], &set[1].arm1[1], &set[1].arm2[0], &set[1].arm2[1],
                    &set[1].lamp[0], &set[1].lamp[1], &set[1].lamp[2], &set[1].lamp[3]})
        p->y += 150;
    layoutdata::updateCrossingRect(set[1]);
    set[1].lights = 0;
    set.setCount(2);
    QPainter p(&image);
    drawCrossings(p, set, -1, settings);
    p.end();
    const QColor select(0, 0x77, 0), barrier(0xCD, 0xB2, 0x60);
    // Light 1 -> light 2 of the first crossing, the arm of both.
    EXPECT_EQ(at(270, 180), select);
    EXPECT_EQ(at(320, 190), barrier);
    EXPECT_EQ(at(270, 330), QColor(Qt::white));
    EXPECT_EQ(at(320, 340), barrier);
    // The pivot handle is filled with the mask colour.
    EXPECT_EQ(at(270, 340), QColor(0, 255, 0));
}

TEST_F(MarkerDrawingTest, BandsUseTheirWidthAndQuadrilateralsTheirOutline)
{
    RegionSet set;
    set.reset();
    set[0].corners = {Point{100, 100}, {300, 100}, {999, 999}, {999, 999}};
    set[0].width = 20;
    set[1].corners = {Point{100, 300}, {300, 300}, {300, 400}, {100, 400}};
    set.setCount(2);
    QPainter p(&image);
    drawRegions(p, set, 4, settings);
    p.end();
    const QColor line(0, 0, 255);
    EXPECT_EQ(at(200, 91), line);
    EXPECT_EQ(at(200, 109), line);
    EXPECT_EQ(at(200, 120), QColor(Qt::white));
    EXPECT_EQ(at(200, 400), line); // the closing edge corner 4 -> corner 3
    EXPECT_EQ(at(200, 350), QColor(Qt::white));
    EXPECT_EQ(at(100, 300), QColor(0, 255, 0)); // handle fill
}

} // namespace
} // namespace planwerk
