#include "world/shape_primitives.h"

void drawTube(float, float, float) {}
void drawSegment(float, float, float, float, float, float) {}
void drawCone(float) {}
void drawInvertedCone(float) {}
void drawSphere(float, int, int) {}
void drawTreeTrunk(float) {}
void drawTreeCrown(float) {}
void drawShrubTrunk(float) {}
void drawShrubCrown(float) {}
void drawSphereAsset() {}
void drawSentryBody() {}
