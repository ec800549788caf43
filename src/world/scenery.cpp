#include "world/scenery.h"

std::vector<SceneryCircle> sceneryCircles;
std::vector<SceneryBox> sceneryBoxes;
float plantSwayTime = 0.0f;
float plantSwayAmplitude = 1.0f;

void drawScenery(float, float) {}
void drawPlantBillboard(float, float, float, float, float, float, float, float, float) {}
