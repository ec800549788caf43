// Ground and water as GL receives them, read back through feedback mode. The
// model-view matrix puts world x on window x, world z on window y and the
// height into the depth, so every vertex's position can be read back.
#include "support/gl_context.h"

#include "app/frame_loop.h"
#include "world/terrain_drawing.h"
#include "world/terrain_grid.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

// Mesa's software driver keeps the feedback path's buffers where the leak
// checker cannot see them, and the headless context is never destroyed;
// those buffers are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:swrast_dri.so\n"; }

namespace {

struct FedVertex {
    float x, y, z;       // world position
    float r, g, b, a;
    float s, t;
};
using Triangle = std::vector<FedVertex>;

constexpr float Half = 1000.0f;    // ortho half-extent and viewport half-size
constexpr float DepthHalf = 100.0f;

std::vector<Triangle> feedbackTriangles(const std::function<void()>& draw)
{
    static std::vector<GLfloat> buffer(2'000'000);
    glViewport(0, 0, GLsizei(2 * Half), GLsizei(2 * Half));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-Half, Half, -Half, Half, -DepthHalf, DepthHalf);
    glMatrixMode(GL_MODELVIEW);
    const GLfloat worldToWindow[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    glLoadMatrixf(worldToWindow);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);

    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflowed";

    std::vector<Triangle> triangles;
    for (GLint i = 0; i < used;) {
        const GLfloat token = buffer[i++];
        if (token == GL_POLYGON_TOKEN) {
            const int count = int(buffer[i++]);
            Triangle polygon;
            for (int k = 0; k < count; ++k, i += 11) {
                const GLfloat* v = &buffer[i];
                polygon.push_back({v[0] - Half, (0.5f - v[2]) * 2.0f * DepthHalf, v[1] - Half, v[3], v[4],
                                   v[5], v[6], v[7] / v[10], v[8] / v[10]});
            }
            triangles.push_back(polygon);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return triangles;
}

int wrapped(int v)
{
    int other = 0;
    wrapCell(v, other);
    return v;
}

// Distinct data per cell: the colour gives the column and row, the height
// and wave phase a pattern of both.
void fillPatternedGrids()
{
    for (int z = 0; z < WorldSize; ++z)
        for (int x = 0; x < WorldSize; ++x) {
            const int cell = cellIndex(x, z);
            redGrid[cell] = float(x) / 499.0f;
            greenGrid[cell] = float(z) / 499.0f;
            blueGrid[cell] = float((x * 7 + z * 3) % 11) / 10.0f;
            heightGrid[cell] = float(x % 13) - 4.0f + float(z % 5) * 0.25f;
            wavePhaseGrid[cell] = float((x + 2 * z) % 800) * 0.001f;
        }
    computeNormals();
}

struct Extent {
    int minX = 1 << 30, maxX = -(1 << 30), minZ = 1 << 30, maxZ = -(1 << 30);
    void add(int x, int z)
    {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minZ = std::min(minZ, z);
        maxZ = std::max(maxZ, z);
    }
};

// Checks every ground vertex against the cell it must show and returns the
// extent of the positions. A triangle spans one strip, columns i and i + 1:
// the vertex on column i + 1 takes its texture column from i's wrapped cell.
Extent checkGround(const std::vector<Triangle>& triangles)
{
    Extent extent;
    for (const Triangle& tri : triangles) {
        EXPECT_EQ(tri.size(), 3u);
        int stripColumn = 1 << 30, lastColumn = -(1 << 30);
        for (const FedVertex& v : tri) {
            stripColumn = std::min(stripColumn, int(std::lround(v.x)));
            lastColumn = std::max(lastColumn, int(std::lround(v.x)));
        }
        EXPECT_EQ(lastColumn - stripColumn, 1) << "a triangle crosses strips";
        for (const FedVertex& v : tri) {
            const int px = int(std::lround(v.x)), pz = int(std::lround(v.z));
            EXPECT_NEAR(v.x, float(px), 1e-3f);
            EXPECT_NEAR(v.z, float(pz), 1e-3f);
            extent.add(px, pz);
            const int cell = cellIndex(wrapped(px), wrapped(pz));
            EXPECT_NEAR(v.y, heightGrid[cell], 1e-3f) << px << "," << pz;
            EXPECT_NEAR(v.r, redGrid[cell], 1e-5f) << px << "," << pz;
            EXPECT_NEAR(v.g, greenGrid[cell], 1e-5f) << px << "," << pz;
            EXPECT_NEAR(v.b, blueGrid[cell], 1e-5f) << px << "," << pz;
            const int texColumn = px == stripColumn ? wrapped(px) : wrapped(px - 1) + 1;
            EXPECT_NEAR(v.s, float(texColumn) * 0.2f, 1e-4f) << px << "," << pz;
            EXPECT_NEAR(v.t, float(wrapped(pz)) * 0.2f, 1e-4f) << px << "," << pz;
        }
    }
    return extent;
}

class TerrainDrawing : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        fillPatternedGrids();
    }
};

} // namespace

TEST_F(TerrainDrawing, GroundWindowWrapsDataButNotPositions)
{
    glDisable(GL_CULL_FACE);
    const auto triangles = feedbackTriangles([] { drawTerrain(10.5f, 20.9f); });
    // 120 strips of 240 vertices: 238 triangles each.
    ASSERT_EQ(triangles.size(), 120u * 238u);
    const Extent extent = checkGround(triangles);
    EXPECT_EQ(extent.minX, -50);
    EXPECT_EQ(extent.maxX, 70);
    EXPECT_EQ(extent.minZ, -40);
    EXPECT_EQ(extent.maxZ, 79);

    // Columns below 0 show columns 449..498.
    bool sawColumn449 = false;
    for (const Triangle& tri : triangles)
        for (const FedVertex& v : tri)
            if (std::lround(v.x) == -50) {
                sawColumn449 = true;
                EXPECT_NEAR(v.r, 449.0f / 499.0f, 1e-5f);
            }
    EXPECT_TRUE(sawColumn449);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TerrainDrawing, GroundColumn499ShowsColumnZero)
{
    glDisable(GL_CULL_FACE);
    heightGrid[cellIndex(0, 300)] = 17.5f;
    const auto triangles = feedbackTriangles([] { drawTerrain(480.2f, 300.7f); });
    ASSERT_EQ(triangles.size(), 120u * 238u);
    const Extent extent = checkGround(triangles);
    EXPECT_EQ(extent.minX, 420);
    EXPECT_EQ(extent.maxX, 540);
    int seen = 0;
    for (const Triangle& tri : triangles)
        for (const FedVertex& v : tri)
            if (std::lround(v.x) == 499 && std::lround(v.z) == 300) {
                ++seen;
                EXPECT_NEAR(v.y, 17.5f, 1e-3f);
                EXPECT_NEAR(v.r, 0.0f, 1e-6f);
            }
    EXPECT_GT(seen, 0);
}

TEST_F(TerrainDrawing, WaterStepsBySixAndRestoresState)
{
    FrameDelta = 0.25f;
    waterWaveTime = 2.0f;
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    const auto triangles = feedbackTriangles([] { drawWater(-7.0f, 13.0f); });
    EXPECT_FLOAT_EQ(waterWaveTime, 2.1f);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    // 20 strips of 40 vertices, drawn with culling off: all 38 triangles each.
    ASSERT_EQ(triangles.size(), 20u * 38u);
    Extent extent;
    const float slide = std::cos(waterWaveTime);
    for (const Triangle& tri : triangles) {
        int stripColumn = 1 << 30;
        for (const FedVertex& v : tri)
            stripColumn = std::min(stripColumn, int(std::lround(v.x)));
        for (const FedVertex& v : tri) {
            const int px = int(std::lround(v.x)), pz = int(std::lround(v.z));
            ASSERT_EQ((px % 6 + 6) % 6, 0) << px;
            ASSERT_EQ((pz % 6 + 6) % 6, 0) << pz;
            extent.add(px, pz);
            const int cell = cellIndex(wrapped(px), wrapped(pz));
            EXPECT_NEAR(v.y, waterLevel + 0.5f * std::cos(waterWaveTime + wavePhaseGrid[cell]), 1e-3f);
            EXPECT_NEAR(v.r, 0.0f, 1e-6f);
            EXPECT_NEAR(v.g, 0.0f, 1e-6f);
            EXPECT_NEAR(v.b, 0.8f, 1e-5f);
            EXPECT_NEAR(v.a, 0.7f, 1e-5f);
            const int texColumn = px == stripColumn ? wrapped(px) : wrapped(px - 6) + 6;
            EXPECT_NEAR(v.s, slide + float(texColumn) * 0.2f, 1e-4f) << px;
            EXPECT_NEAR(v.t, float(wrapped(pz)) * 0.2f, 1e-4f) << pz;
        }
    }
    EXPECT_EQ(extent.minX, -66);
    EXPECT_EQ(extent.maxX, 54);
    EXPECT_EQ(extent.minZ, -48);
    EXPECT_EQ(extent.maxZ, 66);

    // Whatever the state on entry, culling ends on and blending off.
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    feedbackTriangles([] { drawWater(200.0f, 200.0f); });
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    FrameDelta = 0.0f;
}
