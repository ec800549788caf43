// The fast drawing paths make the same picture as the plain ones. The ground
// from vertex arrays with the out-of-view runs left out, and the scenery with
// out-of-view pieces left out and billboard state shared, are drawn against
// plain immediate-mode references kept here (the drawing as it was first
// written), over the generated world of seed 7 from several camera spots and
// sway phases; the framebuffers must agree byte for byte, and so must the GL
// state each leaves behind for the passes after it. The benchmark's scripted
// walk, whole frames at 800 x 600 and 1920 x 1080, must also hash as it did
// before the drawing was made faster.
#include "support/gl_context.h"

#include "app/frame_loop.h"
#include "app/sky.h"
#include "app/world_build.h"
#include "assets/asset_tables.h"
#include "assets/mub_model.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "world/scenery.h"
#include "world/terrain_drawing.h"
#include "world/terrain_grid.h"
#include "world/world_generator.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <set>
#include <vector>

namespace {

constexpr int Width = 800;
constexpr int Height = 600;

// ---- Plain references -----------------------------------------------------

void referenceGroundVertex(int dataX, int dataZ, int texX, int posX, int posZ)
{
    const int cell = cellIndex(dataX, dataZ);
    const Normal& n = normalGrid[cell];
    glColor3f(redGrid[cell], greenGrid[cell], blueGrid[cell]);
    glNormal3f(n.x, n.y, n.z);
    glTexCoord2f(float(texX) * 0.2f, float(dataZ) * 0.2f);
    glVertex3f(float(posX), heightGrid[cell], float(posZ));
}

// Every strip of the 120 x 120 window, every triangle.
void referenceTerrain(float centreX, float centreZ)
{
    const int cx = int(centreX);
    const int cz = int(centreZ);
    for (int i = cx - 60; i < cx + 60; ++i) {
        int i1 = i + 1, noRow = 0;
        wrapCell(i1, noRow);
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = cz - 60; j < cz + 60; ++j) {
            int iw = i, jw = j;
            wrapCell(iw, jw);
            referenceGroundVertex(i1, jw, iw + 1, i + 1, j);
            referenceGroundVertex(iw, jw, iw, i, j);
        }
        glEnd();
    }
}

void referenceSolidCell(float x, float z, int cell, int kind, int detail)
{
    const float h = heightGrid[cell];
    glPushMatrix();
    if (kind == Tree) {
        glTranslatef(x, h, z);
        glScalef(2.0f, 6.0f, 2.0f);
        glCallList(treeTrunkListFor(detail));
    } else if (kind == Shrub) {
        glTranslatef(x + 0.5f, h - 0.5f, z + 0.5f);
        glScalef(2.0f, plantSizeGrid[cell], 2.0f);
        glCallList(shrubTrunkListFor(detail));
    } else if (kind == Cottage) {
        glColor3f(1.0f, 1.0f, 1.0f);
        bindTexture(TextureSlot::Cottage);
        glTranslatef(x, h - 0.01f, z);
        cottageModel->draw();
    }
    glPopMatrix();
}

void referenceUpperCell(float x, float z, int xw, int zw, int kind, int detail, int visit)
{
    const int cell = cellIndex(xw, zw);
    if (kind == Tree || kind == Shrub) {
        const bool tree = kind == Tree;
        glPushMatrix();
        if (tree)
            glTranslatef(x, heightGrid[cell], z);
        else
            glTranslatef(x + 0.5f, heightGrid[cell] - 0.5f, z + 0.5f);
        glScalef(2.0f, tree ? 6.0f : plantSizeGrid[cell], 2.0f);
        glCallList(tree ? treeCrownListFor(detail) : shrubCrownListFor(detail));
        glPopMatrix();
        return;
    }
    if (!vegetationVisible(visit) || (kind != Grass && kind != Plant && kind != Flowers))
        return;
    bindTexture(kind == Grass ? TextureSlot::Grass : kind == Plant ? TextureSlot::Plant : TextureSlot::Flowers);
    plantSwayAmplitude = kind == Grass ? 0.5f : kind == Plant ? 0.1f : 0.15f;
    glPushMatrix();
    glTranslatef(x + 0.5f, 0.0f, z + 0.5f);
    glScalef(1.0f, 1.0f, 1.0f);
    const int d = cellIndex(xw, zw);
    const int b = cellIndex(xw + 1, zw);
    const int c = cellIndex(xw, zw + 1);
    const int a = cellIndex(xw + 1, zw + 1);
    glColor3f(redGrid[b] + 0.5f, greenGrid[b] + 0.5f, blueGrid[b] + 0.5f);
    drawPlantBillboard(z * 0.2f + plantSwayTime, heightGrid[a], heightGrid[b], heightGrid[c], heightGrid[d],
                       plantSizeGrid[a], plantSizeGrid[b], plantSizeGrid[c], plantSizeGrid[d]);
    glPopMatrix();
}

// Both spiral passes, every piece of the square, each billboard setting and
// restoring its own state.
void referenceScenery(float eyeX, float eyeZ)
{
    const int ex = int(eyeX);
    const int ez = int(eyeZ);
    walkSpiral(ex, ez, [](int x, int z, int detail) {
        int xw = x, zw = z;
        wrapCell(xw, zw);
        const int cell = cellIndex(xw, zw);
        referenceSolidCell(float(x), float(z), cell, kindGrid[cell], detail);
    });
    plantSwayTime += FrameDelta * 1.2f;
    int visit = 0;
    walkSpiral(ex, ez, [&visit](int x, int z, int detail) {
        ++visit;
        int xw = x, zw = z;
        wrapCell(xw, zw);
        referenceUpperCell(float(x), float(z), xw, zw, kindGrid[cellIndex(xw, zw)], detail, visit);
    });
}

// ---- Frames ---------------------------------------------------------------

struct Spot {
    const char* name;
    float eyeX, eyeRise, eyeZ;      // eye height above the ground below it
    float targetX, targetRise, targetZ;
    float sway, wave;
};

// What a pass leaves current for the passes after it.
struct LeftState {
    float colour[4], normal[3], texCoord[4];
    GLint texture;
    GLboolean lighting, cull, blend;
    GLint matrixDepth;

    bool operator==(const LeftState& o) const
    {
        return std::memcmp(colour, o.colour, sizeof colour) == 0 && std::memcmp(normal, o.normal, sizeof normal) == 0 &&
               std::memcmp(texCoord, o.texCoord, sizeof texCoord) == 0 && texture == o.texture &&
               lighting == o.lighting && cull == o.cull && blend == o.blend && matrixDepth == o.matrixDepth;
    }
};

void PrintTo(const LeftState& s, std::ostream* out)
{
    *out << "colour " << s.colour[0] << " " << s.colour[1] << " " << s.colour[2] << " " << s.colour[3] << ", normal "
         << s.normal[0] << " " << s.normal[1] << " " << s.normal[2] << ", tex " << s.texCoord[0] << " "
         << s.texCoord[1] << ", texture " << s.texture << ", lighting " << int(s.lighting) << ", cull "
         << int(s.cull) << ", blend " << int(s.blend) << ", depth " << s.matrixDepth;
}

LeftState leftState()
{
    LeftState s{};
    glGetFloatv(GL_CURRENT_COLOR, s.colour);
    glGetFloatv(GL_CURRENT_NORMAL, s.normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, s.texCoord);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
    s.lighting = glIsEnabled(GL_LIGHTING);
    s.cull = glIsEnabled(GL_CULL_FACE);
    s.blend = glIsEnabled(GL_BLEND);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.matrixDepth);
    return s;
}

struct Frame {
    std::vector<uint8_t> pixels;
    LeftState afterTerrain;
    LeftState afterScenery;
};

// The running frame's drawing order, from a fixed camera, with either the
// game's passes or the references.
Frame drawSpot(const Spot& spot, bool reference)
{
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(35.0, double(Width) / Height, 0.01, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float eyeY = heightAt(spot.eyeX, spot.eyeZ) + spot.eyeRise;
    const float targetY = heightAt(spot.targetX, spot.targetZ) + spot.targetRise;
    gluLookAt(spot.eyeX, eyeY, spot.eyeZ, spot.targetX, targetY, spot.targetZ, 0.0, 1.0, 0.0);
    glLightfv(GL_LIGHT0, GL_POSITION, LightPosition);
    glClearColor(0.3f, 0.5f, 0.9f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // As every running frame after the first finds it.
    glDisable(GL_BLEND);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);

    const float dx = spot.targetX - spot.eyeX;
    const float dz = spot.targetZ - spot.eyeZ;
    const float length = std::sqrt(dx * dx + dz * dz);
    const float centreX = spot.eyeX + 60.0f * dx / length;
    const float centreZ = spot.eyeZ + 60.0f * dz / length;

    Frame frame;
    bindTexture(TextureSlot::Pyramid);
    if (reference)
        referenceTerrain(centreX, centreZ);
    else
        drawTerrain(centreX, centreZ);
    frame.afterTerrain = leftState();
    Characters.drawAll();
    waterWaveTime = spot.wave;
    bindTexture(TextureSlot::Pyramid);
    drawWater(centreX, centreZ);
    plantSwayTime = spot.sway;
    if (reference)
        referenceScenery(spot.eyeX, spot.eyeZ);
    else
        drawScenery(spot.eyeX, spot.eyeZ);
    frame.afterScenery = leftState();
    Characters.drawBlended();

    frame.pixels.resize(size_t(Width) * Height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, frame.pixels.data());
    return frame;
}

// The cell at the middle of the densest patch of trees, to look into a wood.
void densestWood(int& bestX, int& bestZ)
{
    int best = -1;
    for (int z = 20; z < WorldSize - 20; z += 4)
        for (int x = 20; x < WorldSize - 20; x += 4) {
            int trees = 0;
            for (int dz = -8; dz <= 8; ++dz)
                for (int dx = -8; dx <= 8; ++dx)
                    trees += kindGrid[cellIndex(x + dx, z + dz)] == Tree;
            if (trees > best) {
                best = trees;
                bestX = x;
                bestZ = z;
            }
        }
}

// Characters near the eye are drawn as the tick would mark them.
void activateNear(float x, float z)
{
    for (Character* c : Characters.main) {
        const float dx = c->x - x;
        const float dz = c->z - z;
        if (dx * dx + dz * dz < 60.0f * 60.0f) {
            c->set(Active);
            c->viewX = c->x;
            c->viewZ = c->z;
        }
    }
}

size_t distinctColours(const std::vector<uint8_t>& pixels)
{
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        colours.insert(uint32_t(pixels[i]) << 16 | uint32_t(pixels[i + 1]) << 8 | pixels[i + 2]);
    return colours.size();
}

size_t firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return i;
    return a.size();
}

TEST(SamePixels, FastTerrainAndSceneryDrawTheReferencePicture)
{
    requireGlContext(Width, Height);
    initGlState();
    buildWorldAssets();
    generateWorld(7);
    FrameDelta = 0.0f;
    ASSERT_NE(cottageModel, nullptr);

    const Character* player = Characters.player();
    int woodX = 0, woodZ = 0;
    densestWood(woodX, woodZ);
    const float px = player->x, pz = player->z;
    const float wx = float(woodX), wz = float(woodZ);
    const Spot spots[] = {
        {"behind the player at the start", px + 8.0f, 4.0f, pz, px, 1.5f, pz, 0.0f, 0.0f},
        {"over the orc camp", 400.0f, 6.0f, 132.0f, 404.0f, 0.0f, 160.0f, 2.5f, 1.0f},
        {"into the densest wood", wx - 25.0f, 3.0f, wz - 20.0f, wx, 2.0f, wz, 7.3f, 4.2f},
        {"steeply down from high above", 250.0f, 70.0f, 250.0f, 275.0f, 0.0f, 262.0f, 11.9f, 2.9f},
        {"across the wrap at the world's edge", 5.0f, 3.0f, 492.0f, 30.0f, 2.0f, 470.0f, 4.4f, 0.3f},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.name);
        activateNear(spot.eyeX, spot.eyeZ);
        const Frame fast = drawSpot(spot, false);
        const Frame reference = drawSpot(spot, true);
        const Frame again = drawSpot(spot, false);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        // A frame of the world, not an empty one.
        EXPECT_GT(distinctColours(reference.pixels), 200u);
        // The picture does not depend on what the previous frame left.
        EXPECT_EQ(firstDifference(fast.pixels, again.pixels), fast.pixels.size());
        const size_t at = firstDifference(fast.pixels, reference.pixels);
        EXPECT_EQ(at, fast.pixels.size()) << "first differing pixel at x " << at / 4 % Width << ", y "
                                          << at / 4 / Width;
        EXPECT_EQ(fast.afterTerrain, reference.afterTerrain);
        EXPECT_EQ(fast.afterScenery, reference.afterScenery);
    }
    releaseGame();
}

// ---- The scripted walk -----------------------------------------------------

// thornwick-bench's walk: seed 7, 1/30 s a frame, frames counted from the
// loading screen's swap, past meadow, forest and water.
constexpr const char* WalkKeys = "UP:2-240,LEFT:240-270,UP:270-420,RIGHT:420-470,UP:470-602";
constexpr int WalkFrames = 600;
constexpr int WalkCheckpoint = 100;

struct WalkDigests {
    int width, height;
    // The running digest after every hundred frames, as the drawing made
    // them before it was made faster, on Debian 12's Mesa llvmpipe. A change
    // of Mesa that moves a pixel shows here first: make the pictures again
    // with the plain drawing and record the new values.
    uint64_t atCheckpoint[WalkFrames / WalkCheckpoint];
};

uint64_t fnv1a(uint64_t hash, const std::vector<uint8_t>& bytes)
{
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

void walkHashesAsBefore(const WalkDigests& expected)
{
    // Silent, as thornwick-capture runs: with sound the quest waits for
    // sounds that play in real time, and no walk would repeat exactly.
    setenv("SDL_AUDIODRIVER", "none", 1);
    requireGlContext(expected.width, expected.height);
    setHeadlessSeed(7);
    setHeadlessStep(1.0 / 30.0);
    ASSERT_TRUE(setKeyScript(WalkKeys));
    initGlState();
    reshapeWindow(expected.width, expected.height);
    displayFrame();
    displayFrame();
    ASSERT_EQ(GamePhase, 3);

    std::vector<uint8_t> pixels(size_t(expected.width) * size_t(expected.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    uint64_t digest = 14695981039346656037ull;
    for (int frame = 1; frame <= WalkFrames; ++frame) {
        runFrame();
        glReadPixels(0, 0, expected.width, expected.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        digest = fnv1a(digest, pixels);
        if (frame % WalkCheckpoint == 0) {
            char got[32];
            std::snprintf(got, sizeof got, "0x%016" PRIx64, digest);
            ASSERT_EQ(digest, expected.atCheckpoint[frame / WalkCheckpoint - 1])
                << "a pixel of frames " << frame - WalkCheckpoint + 1 << ".." << frame << " moved; digest " << got;
        }
    }
    releaseAllKeys();
    releaseGame();
}

TEST(SamePixels, ScriptedWalkAt800x600HashesAsBefore)
{
    walkHashesAsBefore({800, 600,
                        {0x74e0b940ff4ed8de, 0xa135cd5dd38820e1, 0xd9f0c6818eb7de0b, 0x291c4cced3a430ee,
                         0x2704c3af3fdb40fd, 0x5572045c62fc3e41}});
}

TEST(SamePixels, ScriptedWalkAt1920x1080HashesAsBefore)
{
    walkHashesAsBefore({1920, 1080,
                        {0xb8e539bf0882094a, 0xc3f50fe98f85176c, 0xf189cb4553ab81fb, 0x13c27e0bfae5ac47,
                         0x25ee2dea83f63df4, 0x3614cc5101157403}});
}

} // namespace
