#include "characters/character_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(CharacterGeometry, TurnTowardTakesTheShortWayAndSnapsWithinOneStep)
{
    // Up through 6.28 the way is 0.18, within one step of 0.2.
    EXPECT_FLOAT_EQ(turnToward(6.2f, 0.1f, 0.2f), 0.1f);
    // The way up is 0.38: one step up, not the long way down.
    EXPECT_NEAR(turnToward(6.0f, 0.1f, 0.2f), 6.2f, 1e-5f);
    EXPECT_NEAR(turnToward(0.1f, 3.0f, 0.2f), 0.3f, 1e-5f);
    // From 3.0 to 0.1 the way up is 3.38, so it turns down.
    EXPECT_NEAR(turnToward(3.0f, 0.1f, 0.2f), 2.8f, 1e-5f);
    EXPECT_EQ(turnToward(1.0f, 1.0f, 0.2f), 1.0f);
    // Down from just above 0 wraps to the top of the turn.
    EXPECT_NEAR(turnToward(0.1f, 5.0f, 0.2f), 6.18f, 1e-5f);
    // Just below the goal the long way round counts as arrived too.
    EXPECT_FLOAT_EQ(turnToward(1.0f, 0.95f, 0.2f), 0.95f);
}

TEST(CharacterGeometry, AngleToPointsForwardTowardTheOtherPoint)
{
    EXPECT_EQ(angleTo(0.0f, 0.0f, 0.0f, 5.0f), 0.0f);
    EXPECT_EQ(angleTo(3.0f, 7.0f, 3.0f, -2.0f), 0.0f);
    const float targets[][2] = {{5, 0}, {-5, 0}, {3, 4}, {-3, 4}, {3, -4}, {-3, -4}, {0.5f, 9}};
    for (const auto& t : targets) {
        float heading = angleTo(0.0f, 0.0f, t[0], t[1]);
        EXPECT_GE(heading, 0.0f);
        EXPECT_LE(heading, 6.28f);
        // Forward is (-cos, -sin) of the heading.
        float length = std::sqrt(t[0] * t[0] + t[1] * t[1]);
        float along = (-std::cos(heading) * t[0] - std::sin(heading) * t[1]) / length;
        EXPECT_GT(along, 0.999f) << t[0] << ", " << t[1];
    }
}

TEST(CharacterGeometry, NormaliseAngleStaysWithinOneTurn)
{
    EXPECT_NEAR(normaliseAngle(7.0f), 0.72f, 1e-5f);
    EXPECT_EQ(normaliseAngle(13.0f), 0.0f);
    EXPECT_NEAR(normaliseAngle(-1.0f), 5.28f, 1e-5f);
    EXPECT_FLOAT_EQ(normaliseAngle(-7.0f), 6.28f);
    EXPECT_EQ(normaliseAngle(3.0f), 3.0f);
    EXPECT_EQ(normaliseAngle(6.28f), 6.28f);
    EXPECT_EQ(normaliseAngle(0.0f), 0.0f);
}

TEST(CharacterGeometry, DistancesAndNormalise)
{
    EXPECT_FLOAT_EQ(horizontalDistance(1, 2, 4, 6), 5.0f);
    EXPECT_FLOAT_EQ(horizontalDistanceSq(1, 2, 4, 6), 25.0f);
    float x = 3, y = 0, z = 4;
    normalise(x, y, z);
    EXPECT_FLOAT_EQ(x, 0.6f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    EXPECT_FLOAT_EQ(z, 0.8f);
    x = 0.00005f, y = 0, z = 0;
    normalise(x, y, z);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    EXPECT_EQ(z, 0.0f);
}

TEST(CharacterGeometry, WrapBringsEveryPositionIntoTheGrid)
{
    EXPECT_FLOAT_EQ(wrapWorldCoordinate(-1.0f), 498.0f);
    EXPECT_FLOAT_EQ(wrapWorldCoordinate(500.0f), 1.0f);
    EXPECT_EQ(wrapWorldCoordinate(499.0f), 499.0f);
    EXPECT_EQ(wrapWorldCoordinate(0.0f), 0.0f);
    EXPECT_EQ(wrapWorldCoordinate(250.5f), 250.5f);
    const float far[] = {-3000.5f, 2000.25f, 998.5f, -998.5f, 1e30f, -1e30f, -1e-9f};
    for (float v : far) {
        float w = wrapWorldCoordinate(v);
        EXPECT_GE(w, 0.0f) << v;
        EXPECT_LE(w, 499.0f) << v;
    }
    EXPECT_NEAR(wrapWorldCoordinate(-3000.5f), -3000.5f + 7 * 499.0f, 1e-3f);
    EXPECT_EQ(wrapWorldCoordinate(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(wrapWorldCoordinate(std::numeric_limits<float>::infinity()), 0.0f);
}
