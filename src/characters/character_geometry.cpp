#include "characters/character_geometry.h"

float horizontalDistance(float, float, float, float) { return 0.0f; }
float horizontalDistanceSq(float, float, float, float) { return 0.0f; }
float angleTo(float, float, float, float) { return 0.0f; }
float normaliseAngle(float angle) { return angle; }
float turnToward(float angle, float, float) { return angle; }
void normalise(float&, float&, float&) {}
