// Immediate-mode shapes from which the scenery pieces, the orbs and the dragon
// are built, and the scenery pieces themselves, which compileSceneryLists puts
// into the asset tables' display lists. Owned by the scenery code. A step is
// the angular step of a round shape in radians: 1.0 draws it fine, 2.0 coarse.
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

// Takes SceneryListCount list names in one block, in table order, and compiles
// each scenery piece at its step into its list. Part of the world build's
// asset step, between the textures and the models.
void compileSceneryLists();
