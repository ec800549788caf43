// Trees, shrubs, cottages and ground plants, drawn every frame from kindGrid
// by a square spiral around the eye; the same walk rebuilds the obstacle lists
// that characters collide with in the next frame.
#pragma once

#include <vector>

struct SceneryCircle {
    float x, z, radius, top;
};

struct SceneryBox {
    float minX, minZ, bottom, maxX, maxZ, top;
};

extern std::vector<SceneryCircle> sceneryCircles;
extern std::vector<SceneryBox> sceneryBoxes;
extern float plantSwayTime;
extern float plantSwayAmplitude;

void drawScenery(float eyeX, float eyeZ);
void drawPlantBillboard(float angle, float hA, float hB, float hC, float hD, float sA, float sB,
                        float sC, float sD);
