#include "characters/character_geometry.h"

#include "world/geometry.h"

#include <cmath>

float horizontalDistanceSq(float x1, float z1, float x2, float z2)
{
    float dx = x2 - x1;
    float dz = z2 - z1;
    return dx * dx + dz * dz;
}

float horizontalDistance(float x1, float z1, float x2, float z2)
{
    return std::sqrt(horizontalDistanceSq(x1, z1, x2, z2));
}

float angleTo(float x1, float z1, float x2, float z2)
{
    if (x2 == x1)
        return 0.0f;
    float angle = normaliseAngle(std::atan((z2 - z1) / (x2 - x1)));
    // atan only covers half the circle; the other half is the opposite way.
    if (x2 > x1)
        angle = normaliseAngle(angle + HalfTurn);
    return angle;
}

float normaliseAngle(float angle)
{
    if (angle > FullTurn) {
        angle -= FullTurn;
        if (angle > FullTurn)
            angle = 0.0f;
    }
    if (angle < 0.0f) {
        angle += FullTurn;
        if (angle < 0.0f)
            angle = FullTurn;
    }
    return angle;
}

float turnToward(float angle, float goal, float step)
{
    if (angle == goal)
        return angle;
    // d is the way up from angle to goal, through 6.28 when the goal is lower.
    float d = angle < goal ? goal - angle : FullTurn - angle + goal;
    if (d < 3.1415f)
        angle += step;
    else
        angle -= step;
    if (d <= step || d >= 6.2482f - step)
        angle = goal;
    return normaliseAngle(angle);
}

void normalise(float& x, float& y, float& z)
{
    float length = std::sqrt(x * x + y * y + z * z);
    if (length < 0.0001f) {
        x = y = z = 0.0f;
        return;
    }
    x /= length;
    y /= length;
    z /= length;
}

void wrapIntoWorld(float& x, float& z)
{
    x = wrapWorldCoordinate(x);
    z = wrapWorldCoordinate(z);
}

float wrapWorldCoordinate(float v)
{
    if (v >= 0.0f && v <= float(WrapPeriod))
        return v;
    if (!std::isfinite(v))
        return 0.0f;
    // One period either way is the common case; a long step (a slow first
    // frame, or the world running ten times faster while the player lies
    // dead) can leave a character several periods out.
    if (v < 0.0f && v >= -float(WrapPeriod))
        return v + float(WrapPeriod);
    if (v > float(WrapPeriod) && v <= 2.0f * float(WrapPeriod))
        return v - float(WrapPeriod);
    v = std::fmod(v, float(WrapPeriod));
    if (v < 0.0f)
        v += float(WrapPeriod);
    return v;
}
