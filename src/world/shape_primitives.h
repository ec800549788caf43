// Immediate-mode shapes from which the scenery pieces, the orbs and the dragon
// are built, and the scenery pieces themselves (compiled into display lists by
// the asset step). Owned by the scenery code. A step is the angular step of a
// round shape in radians: 1.0 draws it fine, 2.0 coarse.
#pragma once

void drawTube(float topRadius, float bottomRadius, float step);
void drawSegment(float topRadiusX, float topRadiusZ, float bottomRadiusX, float bottomRadiusZ,
                 float topHeight, float step);
void drawCone(float step);
void drawInvertedCone(float step);
void drawSphere(float radius, int bands, int segments);

void drawTreeTrunk(float step);
void drawTreeCrown(float step);
void drawShrubTrunk(float step);
void drawShrubCrown(float step);
void drawSphereAsset();
void drawSentryBody();
