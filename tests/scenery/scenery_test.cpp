// The scenery pass: the order of its spiral, the obstacles it records, the
// display lists it picks by detail and the window of ground vegetation.

#include "support/gl_context.h"

#include "feedback.h"

#include "app/frame_loop.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "world/scenery.h"
#include "world/terrain_grid.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// Marker values the stand-in scenery lists pass through in feedback mode.
enum ListTag {
    TagTreeTrunk = 1,
    TagTreeTrunkCoarse,
    TagTreeCrown,
    TagTreeCrownCoarse,
    TagShrubTrunk,
    TagShrubTrunkCoarse,
    TagShrubCrown,
    TagShrubCrownCoarse,
};

// An empty flat world and scenery lists that only report which one was
// called; the real lists and the grids are put back afterwards.
class SceneryTest : public GlTest {
protected:
    GLuint* lists[8] = {&TreeTrunkList,  &TreeTrunkCoarseList,  &TreeCrownList,  &TreeCrownCoarseList,
                        &ShrubTrunkList, &ShrubTrunkCoarseList, &ShrubCrownList, &ShrubCrownCoarseList};
    GLuint saved[8] = {};
    GLuint tagLists = 0;

    void SetUp() override
    {
        GlTest::SetUp();
        if (TextureTable[0] == 0)
            glGenTextures(TextureCount, TextureTable);
        clearWorld();
        tagLists = glGenLists(8);
        for (int i = 0; i < 8; ++i) {
            saved[i] = *lists[i];
            *lists[i] = tagLists + GLuint(i);
            glNewList(*lists[i], GL_COMPILE);
            glPassThrough(float(i + 1));
            glEndList();
        }
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_FOG);
        FrameDelta = 0.0f;
    }

    void TearDown() override
    {
        for (int i = 0; i < 8; ++i)
            *lists[i] = saved[i];
        glDeleteLists(tagLists, 8);
        clearWorld();
        sceneryCircles.clear();
        sceneryBoxes.clear();
    }

    static void clearWorld()
    {
        std::fill(std::begin(kindGrid), std::end(kindGrid), int32_t(Empty));
        for (float* grid : {heightGrid, redGrid, greenGrid, blueGrid, plantSizeGrid})
            std::fill(grid, grid + WorldSize * WorldSize, 0.0f);
    }

    static void put(int x, int z, CellKind kind) { kindGrid[cellIndex(x, z)] = kind; }
};

TEST_F(SceneryTest, SpiralRunsOutsideInAndNeverReachesTheEyeCell)
{
    // A tree on every cell: the circles come out in the order of the walk.
    std::fill(std::begin(kindGrid), std::end(kindGrid), int32_t(Tree));
    drawScenery(250.7f, 250.2f);

    ASSERT_EQ(sceneryCircles.size(), 40199u);
    EXPECT_FLOAT_EQ(sceneryCircles.front().x, 151.0f);
    EXPECT_FLOAT_EQ(sceneryCircles.front().z, 350.0f);
    EXPECT_FLOAT_EQ(sceneryCircles.back().x, 250.0f);
    EXPECT_FLOAT_EQ(sceneryCircles.back().z, 249.0f);
    EXPECT_TRUE(sceneryBoxes.empty());

    bool eyeCellSeen = false;
    bool outsideSquare = false;
    for (const SceneryCircle& c : sceneryCircles) {
        eyeCellSeen |= c.x == 250.0f && c.z == 250.0f;
        outsideSquare |= c.x < 151.0f || c.x > 350.0f || c.z < 150.0f || c.z > 350.0f;
    }
    EXPECT_FALSE(eyeCellSeen);
    EXPECT_FALSE(outsideSquare);

    // Each cell once: sorted, no two neighbours are the same cell.
    std::vector<std::pair<float, float>> cells;
    for (const SceneryCircle& c : sceneryCircles)
        cells.emplace_back(c.x, c.z);
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(std::adjacent_find(cells.begin(), cells.end()), cells.end());

    // The same walk as the spiral helper reports it, and its detail measure.
    int count = 0;
    int cornerDetail = -1;
    int lastDetail = -1;
    walkSpiral(250, 250, [&](int x, int z, int detail) {
        ++count;
        if (x == 350 && z == 350)
            cornerDetail = detail;
        lastDetail = detail;
    });
    EXPECT_EQ(count, 40199);
    EXPECT_EQ(cornerDetail, 0);
    EXPECT_EQ(lastDetail, 0);
}

TEST_F(SceneryTest, ObstaclesAreRecordedAtUnwrappedPositionsAndRebuiltEachFrame)
{
    // Eye near the far z edge and the near x edge: the spiral reaches
    // columns -94..105 and rows 390..590, read through the 499 wrap.
    const float eyeX = 5.5f;
    const float eyeZ = 490.3f;
    put(497, 1, Tree);            // reached as (-2, 500)
    heightGrid[cellIndex(497, 1)] = 3.0f;
    put(100, 90, Shrub);          // reached as (100, 589)
    heightGrid[cellIndex(100, 90)] = 1.0f;
    plantSizeGrid[cellIndex(100, 90)] = 2.5f;
    put(4, 0, Cottage);           // reached as (4, 499)
    heightGrid[cellIndex(4, 0)] = 2.0f;
    put(250, 250, Tree);          // far away: never reached

    drawScenery(eyeX, eyeZ);

    ASSERT_EQ(sceneryCircles.size(), 2u);
    ASSERT_EQ(sceneryBoxes.size(), 1u);
    // The shrub lies on the second lap of the spiral, the tree further in.
    const SceneryCircle& shrub = sceneryCircles[0];
    EXPECT_FLOAT_EQ(shrub.x, 100.5f);
    EXPECT_FLOAT_EQ(shrub.z, 589.5f);
    EXPECT_FLOAT_EQ(shrub.radius, 0.8f);
    EXPECT_FLOAT_EQ(shrub.top, 16.0f);
    const SceneryCircle& tree = sceneryCircles[1];
    EXPECT_FLOAT_EQ(tree.x, -2.0f);
    EXPECT_FLOAT_EQ(tree.z, 500.0f);
    EXPECT_FLOAT_EQ(tree.radius, 1.0f);
    EXPECT_FLOAT_EQ(tree.top, 11.0f);
    const SceneryBox& cottage = sceneryBoxes[0];
    EXPECT_FLOAT_EQ(cottage.minX, 0.5f);
    EXPECT_FLOAT_EQ(cottage.minZ, 495.5f);
    EXPECT_FLOAT_EQ(cottage.bottom, 0.0f);
    EXPECT_FLOAT_EQ(cottage.maxX, 7.5f);
    EXPECT_FLOAT_EQ(cottage.maxZ, 502.5f);
    EXPECT_FLOAT_EQ(cottage.top, 8.0f);

    // The next frame with nothing near leaves both lists empty, and keeps
    // their storage for the frames after.
    const size_t circleCapacity = sceneryCircles.capacity();
    clearWorld();
    put(250, 250, Tree);
    put(250, 252, Cottage);
    drawScenery(eyeX, eyeZ);
    EXPECT_TRUE(sceneryCircles.empty());
    EXPECT_TRUE(sceneryBoxes.empty());
    EXPECT_EQ(sceneryCircles.capacity(), circleCapacity);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SceneryTest, DetailMeasurePicksFineOrCoarseListsPerPass)
{
    setWorldOrtho(1000.0f);
    // Along the first leg (row 350) cell x is ex - 100 + detail; the corner
    // (350, 350) has detail 0.
    struct Case {
        int x;
        CellKind kind;
        std::vector<float> lists;   // pass 1 then pass 2
    };
    const Case cases[] = {
        {350, Tree, {TagTreeTrunk, TagTreeCrown}},
        {191, Tree, {TagTreeTrunkCoarse, TagTreeCrownCoarse}},   // 41
        {190, Tree, {TagTreeTrunk, TagTreeCrownCoarse}},         // 40
        {185, Tree, {TagTreeTrunk, TagTreeCrownCoarse}},         // 35
        {180, Tree, {TagTreeTrunk, TagTreeCrown}},               // 30
        {350, Shrub, {TagShrubTrunk, TagShrubCrown}},
        {191, Shrub, {TagShrubTrunkCoarse, TagShrubCrownCoarse}},
        {185, Shrub, {TagShrubTrunk, TagShrubCrownCoarse}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " at x " << c.x);
        clearWorld();
        put(c.x, 350, c.kind);
        plantSizeGrid[cellIndex(c.x, 350)] = 2.0f;
        const FeedbackResult fb = captureFeedback([] { drawScenery(250.7f, 250.2f); });
        ASSERT_FALSE(fb.overflowed);
        EXPECT_EQ(fb.passThrough, c.lists);
    }
    EXPECT_EQ(treeTrunkListFor(0), TreeTrunkList);
    EXPECT_EQ(treeCrownListFor(41), TreeCrownCoarseList);
}

TEST_F(SceneryTest, GroundVegetationOnlyInTheInnerSquare)
{
    const float range = 1000.0f;
    setWorldOrtho(range);
    const float eyeX = 250.7f;
    const float eyeZ = 250.2f;

    struct Case {
        int x, z;
        CellKind kind;
        bool drawn;
        float amplitude;
    };
    const Case cases[] = {
        {300, 250, Grass, true, 0.5f},      // (ex + 50, ez)
        {301, 250, Grass, false, 0.0f},     // (ex + 51, ez)
        {200, 200, Grass, false, 0.0f},     // (ex - 50, ez - 50)
        {200, 201, Plant, true, 0.1f},
        {300, 300, Flowers, true, 0.15f},
        {251, 250, Flowers, true, 0.15f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cell " << c.x << ", " << c.z);
        clearWorld();
        put(c.x, c.z, c.kind);
        for (int dz = 0; dz <= 1; ++dz)
            for (int dx = 0; dx <= 1; ++dx)
                plantSizeGrid[cellIndex(c.x + dx, c.z + dz)] = 1.0f;
        // The colour comes from the cell at x + 1.
        redGrid[cellIndex(c.x + 1, c.z)] = 0.1f;
        greenGrid[cellIndex(c.x + 1, c.z)] = 0.2f;
        blueGrid[cellIndex(c.x + 1, c.z)] = 0.3f;
        plantSwayAmplitude = 0.0f;

        const FeedbackResult fb = captureFeedback([&] { drawScenery(eyeX, eyeZ); });
        ASSERT_FALSE(fb.overflowed);
        EXPECT_TRUE(fb.passThrough.empty());
        EXPECT_TRUE(sceneryCircles.empty());
        if (!c.drawn) {
            EXPECT_EQ(fb.vertexCount(), 0);
            continue;
        }
        ASSERT_GT(fb.vertexCount(), 0);
        EXPECT_FLOAT_EQ(plantSwayAmplitude, c.amplitude);
        // The lower edge of the first quad stands on the cell's front edge.
        bool leftFoot = false;
        bool rightFoot = false;
        for (const auto& polygon : fb.polygons)
            for (const FeedbackVertex& v : polygon) {
                const WorldPoint p = toWorld(v, range);
                EXPECT_NEAR(v.r, 0.6f, 0.01f);
                EXPECT_NEAR(v.g, 0.7f, 0.01f);
                EXPECT_NEAR(v.b, 0.8f, 0.01f);
                EXPECT_GE(p.x, c.x - 1.0f);
                EXPECT_LE(p.x, c.x + 2.0f);
                const bool onFrontEdge = std::fabs(p.y) < 0.01f && std::fabs(p.z - (c.z + 0.5f)) < 0.02f;
                leftFoot |= onFrontEdge && std::fabs(p.x - c.x) < 0.01f;
                rightFoot |= onFrontEdge && std::fabs(p.x - (c.x + 1.0f)) < 0.01f;
            }
        EXPECT_TRUE(leftFoot);
        EXPECT_TRUE(rightFoot);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        const TextureSlot slot = c.kind == Grass ? TextureSlot::Grass
                                 : c.kind == Plant ? TextureSlot::Plant
                                                   : TextureSlot::Flowers;
        EXPECT_EQ(GLuint(bound), TextureTable[int(slot)]);
    }
}

TEST_F(SceneryTest, SwayClockAdvancesOncePerPassAndBillboardRestoresState)
{
    FrameDelta = 0.5f;
    const float before = plantSwayTime;
    drawScenery(100.0f, 100.0f);
    EXPECT_NEAR(plantSwayTime - before, 0.6f, 1e-5f);

    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    drawPlantBillboard(0.0f, 0, 0, 0, 0, 1, 1, 1, 1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SceneryTest, BillboardSwaysItsTopEdgeOnly)
{
    const float range = 4.0f;
    setWorldOrtho(range);
    plantSwayAmplitude = 0.5f;
    const float angle = 1.0f;
    const FeedbackResult fb = captureFeedback(
        [&] { drawPlantBillboard(angle, 1.0f, 0.5f, 9.0f, 0.25f, 0.4f, 0.3f, 9.0f, 0.2f); });
    ASSERT_FALSE(fb.overflowed);
    std::vector<WorldPoint> points;
    for (const auto& polygon : fb.polygons)
        for (const FeedbackVertex& v : polygon)
            points.push_back(toWorld(v, range));
    const float sx = std::sin(angle) * 0.5f;
    const float sz = std::cos(angle) * 0.5f;
    const WorldPoint expected[] = {
        {sx - 0.5f, 0.25f + 0.2f, sz}, {sx + 0.5f, 0.5f + 0.3f, sz},      {0.5f, 0.5f, 0.0f},
        {-0.5f, 0.25f, 0.0f},          {sx + 0.5f, 1.4f, sz + 0.5f},     {sx + 0.5f, 0.8f, sz - 0.5f},
        {0.5f, 0.5f, -0.5f},           {0.5f, 1.0f, 0.5f},
    };
    for (const WorldPoint& e : expected) {
        SCOPED_TRACE(testing::Message() << e.x << ", " << e.y << ", " << e.z);
        const bool found = std::any_of(points.begin(), points.end(), [&](const WorldPoint& p) {
            return std::fabs(p.x - e.x) < 1e-3f && std::fabs(p.y - e.y) < 1e-3f &&
                   std::fabs(p.z - e.z) < 1e-3f;
        });
        EXPECT_TRUE(found);
    }
    // Corner C's height (9.0) is never used.
    for (const WorldPoint& p : points)
        EXPECT_LT(p.y, 2.0f);
}

} // namespace
