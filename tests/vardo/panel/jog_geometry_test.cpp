#include "vardo/panel/jog_geometry.h"

#include "common/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vardo::panel;

namespace {

Skin dial(int number, double rest, double end)
{
    Skin s;
    s.number = number;
    s.restAngle = rest;
    s.endAngle = end;
    return s;
}

// The shipped skins, as the build drew them.
Skin shipped(int n)
{
    const char* data = std::getenv("VARDO_TEST_DATA");
    Skin s;
    EXPECT_TRUE(data && loadSkin(skinFolder(data, n), n, 6, s)) << "skin " << n;
    return s;
}

} // namespace

TEST(JogGeometry, DialSkinsMapRestEndAndBack)
{
    for (int n : {1, 4}) {
        const Skin s = shipped(n);
        EXPECT_NEAR(angleForSpeed(s, 0), s.restAngle, 1e-9);
        EXPECT_NEAR(*speedForAngle(s, s.restAngle - 1e-6), 0.0, 1e-5);
        // Full speed at the end angle, reached past the top of the dial.
        EXPECT_NEAR(*speedForAngle(s, s.endAngle + 1e-6), 1.0, 1e-5);
        for (double speed : {0.05, 0.15, 0.3, 0.5, 0.75, 0.99}) {
            const double a = angleForSpeed(s, speed);
            ASSERT_TRUE(speedForAngle(s, a)) << "skin " << n << " speed " << speed;
            EXPECT_NEAR(*speedForAngle(s, a), speed, 1e-4) << "skin " << n;
        }
        // The dead zone at the bottom of the dial leaves the jog alone.
        EXPECT_FALSE(speedForAngle(s, -1.5708));
    }
}

TEST(JogGeometry, ShowSpeedWrapsBelowMinusPi)
{
    const Skin s = dial(1, -2.3561925, -0.7853975);
    // 0.3 of the way: -2.356 - 1.414 = -3.770, below -3.14159, so +6.28318.
    EXPECT_NEAR(angleForSpeed(s, 0.3), -2.3561925 - 0.3 * 4.712385 + 6.28318, 1e-9);
    // Angles either side of the wrap give speeds either side of it.
    EXPECT_NEAR(*speedForAngle(s, -3.1), (-2.3561925 + 3.1) / (-2.3561925 + 6.28318 + 0.7853975),
                1e-9);
    EXPECT_NEAR(*speedForAngle(s, 3.1),
                (-2.3561925 + 6.28318 - 3.1) / (-2.3561925 + 6.28318 + 0.7853975), 1e-9);
    // No wrap while the angle stays above -3.14159.
    EXPECT_NEAR(angleForSpeed(s, 0.1), -2.3561925 - 0.4712385, 1e-9);
}

TEST(JogGeometry, DirectDialOfSkinThree)
{
    const Skin s = dial(3, 2.6, 0.6);
    EXPECT_NEAR(*speedForAngle(s, 1.6), 0.5, 1e-9);
    EXPECT_NEAR(*speedForAngle(s, 2.6), 0.0, 1e-9);
    EXPECT_NEAR(*speedForAngle(s, 0.6), 1.0, 1e-9);
    EXPECT_FALSE(speedForAngle(s, 0.5));
    EXPECT_FALSE(speedForAngle(s, 2.7));
    EXPECT_NEAR(angleForSpeed(s, 0.25), 2.6 - 0.25 * 2.0, 1e-9);
    const Skin three = shipped(3);
    EXPECT_TRUE(three.isDirectDial());
    EXPECT_NEAR(*speedForAngle(three, angleForSpeed(three, 0.4)), 0.4, 1e-9);
}

TEST(JogGeometry, LeverOfSkinTwoIsClamped)
{
    const Skin s = shipped(2);
    ASSERT_TRUE(s.isLever());
    const int top = s.positions[role::Jog].y();
    const int travel = s.pictureSize(role::Jog).height() - s.pictureSize(role::Handle).height();
    ASSERT_GT(travel, 0);
    EXPECT_DOUBLE_EQ(leverSpeed(s, top - 50), 0.01);
    EXPECT_DOUBLE_EQ(leverSpeed(s, top), 0.01);
    EXPECT_NEAR(leverSpeed(s, top + travel / 2.0), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(leverSpeed(s, top + travel + 40), 1.0);
    // While running the handle moves down with the speed and a little left.
    const QPointF at = leverHandlePosition(s, 1.0, true);
    EXPECT_NEAR(at.y(), top + travel, 1e-9);
    EXPECT_NEAR(at.x(), s.positions[role::Jog].x() - 3.0, 1e-9);
    EXPECT_EQ(leverHandlePosition(s, 1.0, false), QPointF(s.positions[role::Jog]));
    // The lever line turns from its rest angle with the speed.
    const QLineF rest = leverLine(s, 0.7, false);
    EXPECT_NEAR(rest.length(), s.jogRadius * 0.4, 1e-6);
    EXPECT_NE(leverLine(s, 0.7, true).p2(), rest.p2());
}
