#include "world/scenery.h"

#include "assets/asset_tables.h"
#include "assets/mub_model.h"
#include "game_state.h"
#include "world/terrain_grid.h"
#include "world/view_volume.h"

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

// The view of the pass being drawn, taken at its start. The pieces' boxes
// below are generous, never tight: a piece left out must be one that could
// not have made a fragment.
ViewVolume View;

// Tree pieces (trunk and crown lists, scaled 2 x 6 x 2) reach 1.8 from the
// axis, 1.8 below the foot and 6.8 above it.
Bounds treeBounds(float x, float h, float z)
{
    return {{x - 2.5f, h - 2.5f, z - 2.5f}, {x + 2.5f, h + 8.5f, z + 2.5f}};
}

// Shrub pieces (scaled 2 x size x 2) reach 4 from the axis and 4.2 sizes up.
Bounds shrubBounds(float x, float h, float z, float size)
{
    const float reach = 5.0f * std::fabs(size) + 1.0f;
    return {{x - 4.5f, h - 0.5f - reach, z - 4.5f}, {x + 5.5f, h - 0.5f + reach, z + 5.5f}};
}

// A billboard's quads stay within half a cell plus the sway of its
// translation (x + 0.5, 0, z + 0.5); heights are those of its corners.
Bounds billboardBounds(float x, float z, const float heights[6], float amplitude)
{
    float lowest = heights[0];
    float highest = heights[0];
    for (int i = 1; i < 6; ++i) {
        lowest = std::fmin(lowest, heights[i]);
        highest = std::fmax(highest, heights[i]);
    }
    const float reach = 0.5f + std::fabs(amplitude) + 0.5f;
    return {{x + 0.5f - reach, lowest - 0.5f, z + 0.5f - reach}, {x + 0.5f + reach, highest + 0.5f, z + 0.5f + reach}};
}

// Pieces left out change no pixel, but the last one drawn sets the colour,
// texture and normal the next passes start from; a pass that ends on a left
// out piece draws that one after all (it is clipped away), so the state
// after each pass is as if every piece had been drawn.
struct LeftOutPiece {
    bool pending = false;
    float x = 0.0f, z = 0.0f;
    int xw = 0, zw = 0, cell = 0, kind = 0, detail = 0;
};

// Billboards share their state: lighting and face culling off, blending on.
// A run of billboards sets it once and the next other piece (or the end of
// the pass) puts it back; the texture is bound when it changes.
struct BillboardRun {
    bool open = false;
    int texture = -1;

    void begin()
    {
        if (open)
            return;
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        open = true;
    }

    void end()
    {
        if (!open)
            return;
        glEnable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glEnable(GL_LIGHTING);
        open = false;
        texture = -1;
    }

    void bind(TextureSlot slot)
    {
        if (texture == int(slot))
            return;
        bindTexture(slot);
        texture = int(slot);
    }
};

BillboardRun Billboards;

void recordObstacle(float x, float z, int cell, int kind)
{
    const float h = heightGrid[cell];
    switch (kind) {
    case Tree: sceneryCircles.push_back({x, z, 1.0f, h + 8.0f}); break;
    case Shrub: sceneryCircles.push_back({x + 0.5f, z + 0.5f, 0.8f, h + 15.0f}); break;
    case Cottage: sceneryBoxes.push_back({x - 3.5f, z - 3.5f, 0.0f, x + 3.5f, z + 3.5f, h + 6.0f}); break;
    default: break;
    }
}

// Pass 1: trunks and cottages.
void drawSolidPiece(float x, float z, int cell, int kind, int detail)
{
    const float h = heightGrid[cell];
    switch (kind) {
    case Tree:
        glPushMatrix();
        glTranslatef(x, h, z);
        glScalef(2.0f, 6.0f, 2.0f);
        glCallList(treeTrunkListFor(detail));
        glPopMatrix();
        break;
    case Shrub:
        glPushMatrix();
        glTranslatef(x + 0.5f, h - 0.5f, z + 0.5f);
        glScalef(2.0f, plantSizeGrid[cell], 2.0f);
        glCallList(shrubTrunkListFor(detail));
        glPopMatrix();
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
        break;
    default:
        break;
    }
}

// Cottages are few and their model's size is the model's business: always
// drawn.
bool solidPieceOutOfView(float x, float z, int cell, int kind)
{
    const float h = heightGrid[cell];
    switch (kind) {
    case Tree: return View.excludes(treeBounds(x, h, z));
    case Shrub: return View.excludes(shrubBounds(x, h, z, plantSizeGrid[cell]));
    default: return false;
    }
}

struct PlantCorners {
    int a, b, c, d;
};

// Corners: d (x, z), b (x + 1, z), c (x, z + 1), a (x + 1, z + 1). The grids
// have a column and row beyond the wrap, so no second wrap.
PlantCorners plantCorners(int xw, int zw)
{
    return {cellIndex(xw + 1, zw + 1), cellIndex(xw + 1, zw), cellIndex(xw, zw + 1), cellIndex(xw, zw)};
}

void drawBillboardQuads(float angle, float hA, float hB, float hD, float sA, float sB, float sD);

void drawVegetationPiece(float x, float z, int xw, int zw, const VegetationLook& look)
{
    const PlantCorners k = plantCorners(xw, zw);
    Billboards.begin();
    Billboards.bind(look.texture);
    glPushMatrix();
    glTranslatef(x + 0.5f, 0.0f, z + 0.5f);
    glColor3f(redGrid[k.b] + 0.5f, greenGrid[k.b] + 0.5f, blueGrid[k.b] + 0.5f);
    drawBillboardQuads(z * 0.2f + plantSwayTime, heightGrid[k.a], heightGrid[k.b], heightGrid[k.d],
                       plantSizeGrid[k.a], plantSizeGrid[k.b], plantSizeGrid[k.d]);
    glPopMatrix();
}

bool vegetationOutOfView(float x, float z, int xw, int zw, const VegetationLook& look)
{
    const PlantCorners k = plantCorners(xw, zw);
    const float heights[6] = {heightGrid[k.a], heightGrid[k.b], heightGrid[k.d],
                              heightGrid[k.a] + plantSizeGrid[k.a], heightGrid[k.b] + plantSizeGrid[k.b],
                              heightGrid[k.d] + plantSizeGrid[k.d]};
    return View.excludes(billboardBounds(x, z, heights, look.swayAmplitude));
}

// Pass 2: crowns, and the ground vegetation of the inner square.
void drawUpperPiece(float x, float z, int xw, int zw, int kind, int detail)
{
    const int cell = cellIndex(xw, zw);
    switch (kind) {
    case Tree:
        Billboards.end();
        glPushMatrix();
        glTranslatef(x, heightGrid[cell], z);
        glScalef(2.0f, 6.0f, 2.0f);
        glCallList(treeCrownListFor(detail));
        glPopMatrix();
        break;
    case Shrub:
        Billboards.end();
        glPushMatrix();
        glTranslatef(x + 0.5f, heightGrid[cell] - 0.5f, z + 0.5f);
        glScalef(2.0f, plantSizeGrid[cell], 2.0f);
        glCallList(shrubCrownListFor(detail));
        glPopMatrix();
        break;
    default: {
        VegetationLook look;
        if (vegetationLook(kind, look))
            drawVegetationPiece(x, z, xw, zw, look);
        break;
    }
    }
}

// Whether pass 2 draws anything at the cell, and if so whether it is out of
// view.
bool upperPieceDrawn(int kind, int visit)
{
    VegetationLook look;
    return kind == Tree || kind == Shrub || (vegetationVisible(visit) && vegetationLook(kind, look));
}

bool upperPieceOutOfView(float x, float z, int xw, int zw, int kind)
{
    const int cell = cellIndex(xw, zw);
    const float h = heightGrid[cell];
    VegetationLook look;
    switch (kind) {
    case Tree: return View.excludes(treeBounds(x, h, z));
    case Shrub: return View.excludes(shrubBounds(x, h, z, plantSizeGrid[cell]));
    default: return vegetationLook(kind, look) && vegetationOutOfView(x, z, xw, zw, look);
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
    View.capture();

    LeftOutPiece leftOut;
    walkSpiral(ex, ez, [&leftOut](int x, int z, int detail) {
        int xw = x;
        int zw = z;
        wrapCell(xw, zw);
        const int cell = cellIndex(xw, zw);
        const int kind = kindGrid[cell];
        if (kind != Tree && kind != Shrub && kind != Cottage)
            return;
        recordObstacle(float(x), float(z), cell, kind);
        if (solidPieceOutOfView(float(x), float(z), cell, kind)) {
            leftOut = {true, float(x), float(z), xw, zw, cell, kind, detail};
            return;
        }
        leftOut.pending = false;
        drawSolidPiece(float(x), float(z), cell, kind, detail);
    });
    if (leftOut.pending)
        drawSolidPiece(leftOut.x, leftOut.z, leftOut.cell, leftOut.kind, leftOut.detail);

    plantSwayTime += FrameDelta * SwayRate;

    int visit = 0;
    leftOut.pending = false;
    walkSpiral(ex, ez, [&visit, &leftOut](int x, int z, int detail) {
        ++visit;
        int xw = x;
        int zw = z;
        wrapCell(xw, zw);
        const int kind = kindGrid[cellIndex(xw, zw)];
        if (!upperPieceDrawn(kind, visit))
            return;
        VegetationLook look;
        if (vegetationLook(kind, look))
            plantSwayAmplitude = look.swayAmplitude;
        if (upperPieceOutOfView(float(x), float(z), xw, zw, kind)) {
            leftOut = {true, float(x), float(z), xw, zw, 0, kind, detail};
            return;
        }
        leftOut.pending = false;
        drawUpperPiece(float(x), float(z), xw, zw, kind, detail);
    });
    if (leftOut.pending)
        drawUpperPiece(leftOut.x, leftOut.z, leftOut.xw, leftOut.zw, leftOut.kind, leftOut.detail);
    Billboards.end();
}

void drawPlantBillboard(float angle, float hA, float hB, float, float hD, float sA, float sB, float,
                        float sD)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    drawBillboardQuads(angle, hA, hB, hD, sA, sB, sD);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

namespace {

// The normals follow their vertices, so the first vertex keeps the normal
// before it; lighting is off for billboards, so it shows nowhere.
void drawBillboardQuads(float angle, float hA, float hB, float hD, float sA, float sB, float sD)
{
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
}

} // namespace
