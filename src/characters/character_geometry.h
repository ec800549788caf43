// Small geometry shared by the characters: distances, headings, turning and
// the wrap of positions into the world.
#pragma once

float horizontalDistance(float x1, float z1, float x2, float z2);
float horizontalDistanceSq(float x1, float z1, float x2, float z2);

// The heading that moves from the first point toward the second.
float angleTo(float x1, float z1, float x2, float z2);

// Into [0, 6.28]: above 6.28 loses one turn (0 if still above), below 0 gains
// one turn (6.28 if still below).
float normaliseAngle(float angle);

float turnToward(float angle, float goal, float step);

// To unit length, or to zero when shorter than 0.0001.
void normalise(float& x, float& y, float& z);

// Into 0..499 with period 499: below 0 gains 499, above 499 loses 499, and a
// value several periods out is brought in all the way, so that grid reads
// and writes from a character's position never leave the grid. A value that
// is not finite becomes 0.
float wrapWorldCoordinate(float v);
void wrapIntoWorld(float& x, float& z);
