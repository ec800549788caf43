#include "world/scenery.h"

#include "app/frame_loop.h"
#include "assets/asset_tables.h"
#include "assets/mub_model.h"
#include "world/terrain_grid.h"

#include <cmath>

std::vector<SceneryCircle> sceneryCircles;
std::vector<SceneryBox> sceneryBoxes;
float plantSwayTime = 0.0f;
float plantSwayAmplitude = 1.0f;

namespace {

// Trunks switch to the coarse lists farther out than crowns: a coarse crown
// is hard to tell from a fine one, a coarse trunk is not.
constexpr int TrunkCoarseAbove = 40;
constexpr int CrownCoarseAbove = 30;

constexpr float SwayRate = 1.2f;

struct VegetationLook {
    TextureSlot texture;
    float swayAmplitude;
};

// Per ground-vegetation kind; other kinds are not billboards.
bool vegetationLook(int kind, VegetationLook& look)
{
    switch (kind) {
    case Grass: look = {TextureSlot::Grass, 0.5f}; return true;
    case Plant: look = {TextureSlot::Plant, 0.1f}; return true;
    case Flowers: look = {TextureSlot::Flowers, 0.15f}; return true;
    default: return false;
    }
}

// Pass 1: trunks and cottages, and the obstacles characters collide with.
// Cells with nothing solid on them leave the matrix stack alone: a push and
// pop around nothing changes no state.
void drawSolidCell(float x, float z, int cell, int kind, int detail)
{
    const float h = heightGrid[cell];
    switch (kind) {
    case Tree:
        glPushMatrix();
        glTranslatef(x, h, z);
        glScalef(2.0f, 6.0f, 2.0f);
        glCallList(treeTrunkListFor(detail));
        glPopMatrix();
        sceneryCircles.push_back({x, z, 1.0f, h + 8.0f});
        break;
    case Shrub:
        glPushMatrix();
        glTranslatef(x + 0.5f, h - 0.5f, z + 0.5f);
        glScalef(2.0f, plantSizeGrid[cell], 2.0f);
        glCallList(shrubTrunkListFor(detail));
        glPopMatrix();
        sceneryCircles.push_back({x + 0.5f, z + 0.5f, 0.8f, h + 15.0f});
        break;
    case Cottage:
        glPushMatrix();
        glColor3f(1.0f, 1.0f, 1.0f);
        bindTexture(TextureSlot::Cottage);
        glTranslatef(x, h - 0.01f, z);
        // Before the asset step has run there is no model to draw; the
        // obstacle still stands.
        if (cottageModel)
            cottageModel->draw();
        glPopMatrix();
        sceneryBoxes.push_back({x - 3.5f, z - 3.5f, 0.0f, x + 3.5f, z + 3.5f, h + 6.0f});
        break;
    default:
        break;
    }
}

void drawVegetationCell(float x, float z, int xw, int zw, const VegetationLook& look)
{
    bindTexture(look.texture);
    plantSwayAmplitude = look.swayAmplitude;
    glPushMatrix();
    glTranslatef(x + 0.5f, 0.0f, z + 0.5f);
    glScalef(1.0f, 1.0f, 1.0f);
    // Corners: d (x, z), b (x + 1, z), c (x, z + 1), a (x + 1, z + 1). The
    // grids have a column and row beyond the wrap, so no second wrap.
    const int d = cellIndex(xw, zw);
    const int b = cellIndex(xw + 1, zw);
    const int c = cellIndex(xw, zw + 1);
    const int a = cellIndex(xw + 1, zw + 1);
    glColor3f(redGrid[b] + 0.5f, greenGrid[b] + 0.5f, blueGrid[b] + 0.5f);
    drawPlantBillboard(z * 0.2f + plantSwayTime, heightGrid[a], heightGrid[b], heightGrid[c],
                       heightGrid[d], plantSizeGrid[a], plantSizeGrid[b], plantSizeGrid[c],
                       plantSizeGrid[d]);
    glPopMatrix();
}

// Pass 2: crowns, and the ground vegetation of the inner square.
void drawUpperCell(float x, float z, int xw, int zw, int kind, int detail, int visit)
{
    const int cell = cellIndex(xw, zw);
    switch (kind) {
    case Tree:
        glPushMatrix();
        glTranslatef(x, heightGrid[cell], z);
        glScalef(2.0f, 6.0f, 2.0f);
        glCallList(treeCrownListFor(detail));
        glPopMatrix();
        break;
    case Shrub:
        glPushMatrix();
        glTranslatef(x + 0.5f, heightGrid[cell] - 0.5f, z + 0.5f);
        glScalef(2.0f, plantSizeGrid[cell], 2.0f);
        glCallList(shrubCrownListFor(detail));
        glPopMatrix();
        break;
    default: {
        VegetationLook look;
        if (vegetationVisible(visit) && vegetationLook(kind, look))
            drawVegetationCell(x, z, xw, zw, look);
        break;
    }
    }
}

} // namespace

GLuint treeTrunkListFor(int detail)
{
    return detail > TrunkCoarseAbove ? TreeTrunkCoarseList : TreeTrunkList;
}

GLuint treeCrownListFor(int detail)
{
    return detail > CrownCoarseAbove ? TreeCrownCoarseList : TreeCrownList;
}

GLuint shrubTrunkListFor(int detail)
{
    return detail > TrunkCoarseAbove ? ShrubTrunkCoarseList : ShrubTrunkList;
}

GLuint shrubCrownListFor(int detail)
{
    return detail > CrownCoarseAbove ? ShrubCrownCoarseList : ShrubCrownList;
}

void drawScenery(float eyeX, float eyeZ)
{
    const int ex = int(eyeX);
    const int ez = int(eyeZ);

    // clear() keeps the storage, so after the first frames nothing is
    // allocated here.
    sceneryCircles.clear();
    sceneryBoxes.clear();

    walkSpiral(ex, ez, [](int x, int z, int detail) {
        int xw = x;
        int zw = z;
        wrapCell(xw, zw);
        const int cell = cellIndex(xw, zw);
        drawSolidCell(float(x), float(z), cell, kindGrid[cell], detail);
    });

    plantSwayTime += FrameDelta * SwayRate;

    int visit = 0;
    walkSpiral(ex, ez, [&visit](int x, int z, int detail) {
        ++visit;
        int xw = x;
        int zw = z;
        wrapCell(xw, zw);
        drawUpperCell(float(x), float(z), xw, zw, kindGrid[cellIndex(xw, zw)], detail, visit);
    });
}

void drawPlantBillboard(float angle, float hA, float hB, float, float hD, float sA, float sB, float,
                        float sD)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    const float sx = std::sin(angle) * plantSwayAmplitude;
    const float sz = std::cos(angle) * plantSwayAmplitude;

    glBegin(GL_QUADS);
    // Across x, along the cell's front edge.
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(sx - 0.5f, hD + sD, sz);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(sx + 0.5f, hB + sB, sz);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.5f, hB, 0.0f);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(-0.5f, hD, 0.0f);
    glNormal3f(1.0f, 0.0f, 0.0f);
    // Across z, on the plane x = 0.5.
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(sx + 0.5f, hA + sA, sz + 0.5f);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(sx + 0.5f, hB + sB, sz - 0.5f);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.5f, hB, -0.5f);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(0.5f, hA, 0.5f);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glEnd();

    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}
