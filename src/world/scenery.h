// Trees, shrubs, cottages and ground plants, drawn every frame from kindGrid
// by a square spiral around the eye; the same walk rebuilds the obstacle lists
// that characters collide with in the next frame. Owned by the scenery code.
#pragma once

#include <GL/gl.h>

#include <vector>

struct SceneryCircle {
    float x, z, radius, top;
};

struct SceneryBox {
    float minX, minZ, bottom, maxX, maxZ, top;
};

// Obstacles near the eye of the last scenery pass, in spiral order. Cleared
// (keeping their storage) and refilled by every drawScenery.
extern std::vector<SceneryCircle> sceneryCircles;
extern std::vector<SceneryBox> sceneryBoxes;
extern float plantSwayTime;
extern float plantSwayAmplitude;

void drawScenery(float eyeX, float eyeZ);
// Pieces wholly outside the view are not sent to GL: they would make no
// fragment. The obstacles are recorded all the same.
void drawPlantBillboard(float angle, float hA, float hB, float hC, float hD, float sA, float sB,
                        float sC, float sD);

// Half the side of the square the spiral covers, and the first visit of the
// second pass that still draws ground vegetation (the inner 101 x 101 cells).
constexpr int SpiralReach = 100;
constexpr int VegetationFirstVisit = 30001;

// Walks the square spiral around the eye cell (ex, ez) from the outside in:
// starts next to (ex - 100, ez + 100), moves along legs that shorten by one
// at every turn, and ends next to the eye, whose own cell is never reached.
// visit(x, z, detail) gets the unwrapped cell and its detail measure, the
// step count along the current leg (0 at a corner). Inlined into both passes
// of drawScenery, so the per-frame walk costs no calls through pointers.
template <class Visit>
inline void walkSpiral(int ex, int ez, Visit&& visit)
{
    int x = ex - SpiralReach;
    int z = ez + SpiralReach;
    int direction = 0;
    int steps = 0;
    int legX = 2 * SpiralReach;
    int legZ = 2 * SpiralReach;
    do {
        ++steps;
        switch (direction) {
        case 0: ++x; break;
        case 1: --z; break;
        case 2: --x; break;
        default: ++z; break;
        }
        int& leg = (direction & 1) == 0 ? legX : legZ;
        if (steps == leg) {
            --leg;
            direction = (direction + 1) & 3;
            steps = 0;
        }
        visit(x, z, steps);
    } while (legX > 0);
}

// Which scenery list a piece uses at a given detail measure: far along a leg
// the coarse list, near a corner the fine one.
GLuint treeTrunkListFor(int detail);
GLuint treeCrownListFor(int detail);
GLuint shrubTrunkListFor(int detail);
GLuint shrubCrownListFor(int detail);

// Whether the second pass draws ground vegetation at its visit-th cell
// (counted from 1).
inline bool vegetationVisible(int visit) { return visit >= VegetationFirstVisit; }
