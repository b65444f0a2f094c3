#include "ui_fixture.h"
#include "vardo/ui/focus_meter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace vardo::ui;

namespace {

// Vertical stripes of `period` pixels alternating black and white.
std::vector<uint8_t> stripes(int width, int height, int period)
{
    std::vector<uint8_t> f(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t v = (x / period) % 2 ? 255 : 0;
            uint8_t* p = &f[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = p[1] = p[2] = v;
        }
    return f;
}

} // namespace

TEST(FocusSharpness, CountsEdgesInsideTheBorderOnly)
{
    const int w = 40, h = 30;
    // One vertical edge between columns 19 and 20: every examined row has
    // one strong right-neighbour step, no row step.
    std::vector<uint8_t> f(size_t(w) * h * 3, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 20; x < w; ++x)
            std::fill_n(&f[(size_t(y) * w + size_t(x)) * 3], 3, uint8_t(255));
    const int rows = (h - 9) - 8 + 1;
    EXPECT_EQ(frameSharpness(f, w, h, 10000), rows);
    // An edge inside the border is not seen.
    std::vector<uint8_t> g(size_t(w) * h * 3, 0);
    for (int y = 0; y < h; ++y)
        std::fill_n(&g[(size_t(y) * w + 2) * 3], 3, uint8_t(255));
    EXPECT_EQ(frameSharpness(g, w, h, 10000), 0);
    // A step of 255 x 1000 does not exceed a range of 255000.
    EXPECT_EQ(frameSharpness(f, w, h, 255000), 0);
    EXPECT_EQ(frameSharpness(f, 10, 10, 0), 0); // nothing inside the border
}

TEST(FocusMeter, NothingForTheFirst32FramesThenThePeakClimbs)
{
    const int w = 64, h = 48;
    const std::vector<uint8_t> flat(size_t(w) * h * 3, 128);
    FocusMeter meter;
    meter.toggle();
    ASSERT_TRUE(meter.on());
    for (int i = 1; i <= kFocusSettleFrames; ++i) {
        EXPECT_FALSE(meter.frame(flat, w, h, 10000)) << "frame " << i;
        EXPECT_EQ(meter.counter(), -kFocusSettleFrames + i);
    }
    // A flat frame has no sharpness: the peak rises one per frame.
    EXPECT_TRUE(meter.frame(flat, w, h, 10000));
    EXPECT_EQ(meter.counter(), 1);
    EXPECT_TRUE(meter.frame(flat, w, h, 10000));
    EXPECT_EQ(meter.counter(), 2);
    EXPECT_EQ(meter.band().barRight, meter.band().left);
    // A sharp frame makes it jump up to the sharpness.
    const std::vector<uint8_t> sharp = stripes(w, h, 2);
    const int64_t s = frameSharpness(sharp, w, h, 10000);
    ASSERT_GT(s, 2);
    EXPECT_TRUE(meter.frame(sharp, w, h, 10000));
    EXPECT_EQ(meter.counter(), s);
    // Switching on again restarts the settling.
    meter.toggle();
    EXPECT_FALSE(meter.on());
    EXPECT_FALSE(meter.frame(sharp, w, h, 10000));
    meter.toggle();
    EXPECT_FALSE(meter.frame(sharp, w, h, 10000));
    EXPECT_EQ(meter.counter(), -kFocusSettleFrames + 1);
}

TEST(FocusBand, ScaleDoublesUntilThePeakFits)
{
    FocusBand b = focusBand(320, 240, 500, 300);
    EXPECT_EQ(b.left, 16);
    EXPECT_EQ(b.right, 304);
    EXPECT_EQ(b.top, 104);
    EXPECT_EQ(b.bottom, 136);
    EXPECT_EQ(b.scale, 100);
    EXPECT_EQ(b.peakX, 21);
    EXPECT_EQ(b.barRight, 19);
    // 288 pixels of band: a peak of 100000 needs e = 400 (100000/400 = 250).
    b = focusBand(320, 240, 100000, 50000);
    EXPECT_EQ(b.scale, 400);
    EXPECT_EQ(b.peakX, 16 + 250);
    EXPECT_EQ(b.barRight, 16 + 125);
    EXPECT_LE(b.peakX, b.right);
}

TEST(FocusBand, DrawsTheBandInGreen)
{
    QImage image(320, 240, QImage::Format_BGR888);
    image.fill(Qt::black);
    QPainter painter(&image);
    FocusMeter::draw(painter, focusBand(320, 240, 10000, 5000));
    painter.end();
    // Scale 100: the bar runs 16..66, the peak line stands at 116.
    EXPECT_EQ(image.pixelColor(50, 120), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(116, 120), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(304, 120), QColor(0, 255, 0)); // right edge
    EXPECT_EQ(image.pixelColor(100, 120), QColor(0, 0, 0));   // between bar and peak
    EXPECT_EQ(image.pixelColor(200, 120), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(200, 104), QColor(0, 255, 0)); // top edge
}
