#include "ui_fixture.h"
#include "vardo/ui/view_drawing.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vardo;
using namespace vardo::ui;

TEST(ViewDrawing, FrameRowsAreTurnedAndColoursKept)
{
    const int w = 3, h = 2;
    // Bottom-up: the first stored row is the bottom one.
    std::vector<uint8_t> f(size_t(w) * h * 3, 0);
    f[0] = 255;        // bottom-left blue
    f[w * 3 + 2] = 255; // top-left red
    QImage picture(w, h, QImage::Format_BGR888);
    drawFrame(picture, f, w, h);
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(picture.pixelColor(0, 1), QColor(0, 0, 255));
    // A short buffer leaves the picture alone.
    picture.fill(Qt::green);
    drawFrame(picture, std::span<const uint8_t>(f.data(), f.size() - 1), w, h);
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::green));
}

TEST(ViewDrawing, DifferenceIsWhiteOnBlack)
{
    const int w = 4, h = 2;
    std::vector<uint8_t> d(size_t(w) * h, 0);
    d[1] = 1; // bottom row, column 1
    QImage picture(w, h, QImage::Format_BGR888);
    drawDifference(picture, d, w, h);
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(255, 255, 255));
    EXPECT_EQ(picture.pixelColor(1, 0), QColor(0, 0, 0));
}

TEST(ViewDrawing, CentroidCrossOnlyWhenSomethingMoved)
{
    QImage picture(64, 48, QImage::Format_BGR888);
    picture.fill(Qt::black);
    vision::AnalysisResult result;
    result.objectCentroid = {30, 20};
    {
        QPainter p(&picture);
        p.setPen(QPen(Qt::red, 1));
        drawDetection(p, vision::DisplaySubMode::Centroid, result);
    }
    EXPECT_EQ(picture.pixelColor(30 + kCrossArm, 20), QColor(Qt::black));
    result.polygons.count = 1;
    result.polygons.counts[0] = 3;
    result.polygons.vertexTotal = 3;
    {
        QPainter p(&picture);
        p.setPen(QPen(Qt::red, 1));
        drawDetection(p, vision::DisplaySubMode::Centroid, result);
    }
    EXPECT_EQ(picture.pixelColor(30 + kCrossArm, 20), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(30, 20 - kCrossArm), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(30 + kCrossArm + 2, 20), QColor(Qt::black));
}

TEST(ViewDrawing, VectorSubModeDrawsThePolygons)
{
    QImage picture(64, 48, QImage::Format_BGR888);
    picture.fill(Qt::black);
    vision::AnalysisResult result;
    result.polygons.count = 1;
    result.polygons.counts[0] = 3;
    result.polygons.vertexTotal = 3;
    result.polygons.vertices[0] = {10, 10};
    result.polygons.vertices[1] = {40, 10};
    result.polygons.vertices[2] = {40, 30};
    QPainter p(&picture);
    p.setPen(QPen(Qt::red, 1));
    drawDetection(p, vision::DisplaySubMode::Vector, result);
    p.end();
    EXPECT_EQ(picture.pixelColor(25, 10), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(40, 20), QColor(Qt::red));
}

TEST(ViewDrawing, OutlineFillsTheCalibrationRectangle)
{
    vision::RotatedOutline outline;
    outline.points = {{-100, -50}, {100, -50}, {100, 50}, {-100, 50}};
    outline.lineCounts = {4};
    outline.rotatedExtent = {-100, -50, 100, 50};
    outline.hasExtent = true;
    vision::CalibrationRecord r;
    r.left = 60;
    r.right = 260;
    r.top = 70;
    r.bottom = 170;
    const auto lines = outlineInCamera(outline, r, 320, 240);
    ASSERT_EQ(lines.size(), 1u);
    // Centred outline, scale 1: the corners land on the rectangle's.
    EXPECT_EQ(lines[0][0], QPoint(60, 70));
    EXPECT_EQ(lines[0][2], QPoint(260, 170));
    // Without a recorded rectangle nothing is placed.
    r.bottom = -1;
    EXPECT_TRUE(outlineInCamera(outline, r, 320, 240).empty());
}

TEST(ViewDrawing, CalibrationRectangleOnceTheBottomIsSet)
{
    QImage picture(64, 48, QImage::Format_BGR888);
    picture.fill(Qt::black);
    vision::CalibrationRecord r;
    r.left = 5;
    r.top = 5;
    r.right = 50;
    r.bottom = -1;
    QPainter p(&picture);
    p.setPen(QPen(Qt::red, 1));
    drawCalibrationRectangle(p, r);
    EXPECT_EQ(picture.pixelColor(20, 5), QColor(Qt::black));
    r.bottom = 40;
    drawCalibrationRectangle(p, r);
    p.end();
    EXPECT_EQ(picture.pixelColor(20, 5), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(5, 20), QColor(Qt::red));
}
