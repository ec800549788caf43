// Invariants of generated worlds over several seeds. Only the grids are
// checked: the characters come from the spawn hooks of another subsystem.
#include "world/world_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Rect {
    int x0, x1, z0, z1;  // half-open
    bool contains(int x, int z) const { return x >= x0 && x < x1 && z >= z0 && z < z1; }
};

// The cleared rectangle of each village: two cells around its 55 x 45 walls.
const Rect villageRects[4] = {
    {373, 432, 373, 422}, {123, 182, 373, 422}, {373, 432, 123, 172}, {123, 182, 123, 172}};

bool inVillage(int x, int z)
{
    for (const Rect& r : villageRects)
        if (r.contains(x, z))
            return true;
    return false;
}

bool isGroundVegetation(int32_t kind) { return kind == Grass || kind == Plant || kind == Flowers; }

void checkVillages(unsigned seed)
{
    EXPECT_EQ(homeCentreX, 402.0f) << seed;
    EXPECT_EQ(homeCentreZ, 397.0f) << seed;
    const int home = cellIndex(402, 397);
    EXPECT_EQ(heightGrid[home], 2.0f) << seed;
    EXPECT_EQ(redGrid[home], 0.6f) << seed;
    EXPECT_EQ(greenGrid[home], 0.4f) << seed;
    EXPECT_EQ(blueGrid[home], 0.6f) << seed;
    EXPECT_EQ(heightGrid[cellIndex(376, 397)], 2.0f) << "gate, seed " << seed;
    EXPECT_EQ(heightGrid[cellIndex(376, 390)], 4.0f) << "wall, seed " << seed;
    EXPECT_EQ(heightGrid[cellIndex(150, 375)], 20.0f) << "wall, seed " << seed;
    EXPECT_EQ(heightGrid[cellIndex(150, 126)], 10.0f) << "wall, seed " << seed;
    EXPECT_EQ(heightGrid[cellIndex(150, 150)], 2.0f) << "inside, seed " << seed;
    EXPECT_EQ(heightGrid[cellIndex(375, 387)], 15.0f) << "pillar, seed " << seed;
    EXPECT_EQ(heightGrid[cellIndex(420, 397)], 3.0f) << "step, seed " << seed;
    EXPECT_EQ(heightGrid[cellIndex(340, 396)], 2.0f) << "road, seed " << seed;
    // Outer band of a non-home village.
    EXPECT_EQ(redGrid[cellIndex(124, 124)], 0.7f) << seed;
    EXPECT_EQ(blueGrid[cellIndex(124, 124)], 0.75f) << seed;

    for (const Rect& r : villageRects)
        for (int z = r.z0; z < r.z1; ++z)
            for (int x = r.x0; x < r.x1; ++x)
                ASSERT_EQ(kindGrid[cellIndex(x, z)], Empty) << "village cell " << x << "," << z << " seed " << seed;
}

void checkKinds(unsigned seed)
{
    int cottages = 0, trees = 0, shrubs = 0, vegetation = 0;
    for (int z = 0; z < WorldSize; ++z)
        for (int x = 0; x < WorldSize; ++x) {
            const int cell = cellIndex(x, z);
            const int32_t kind = kindGrid[cell];
            const float h = heightGrid[cell];
            const int32_t layout = layoutGrid[cell];
            ASSERT_GE(layout, 0);
            ASSERT_LE(layout, 5);
            ASSERT_GE(kind, int32_t(Empty));
            ASSERT_LE(kind, int32_t(Cottage));
            if (kind == Tree || kind == Shrub) {
                ASSERT_GE(h, waterLevel) << x << "," << z << " seed " << seed;
            }
            if (kind == Grass || kind == Flowers) {
                ASSERT_GE(h, 0.45f) << x << "," << z << " seed " << seed;
            }
            if (isGroundVegetation(kind)) {
                const HeightSpan span = heightRange(float(z), float(x));
                ASSERT_LE(span.high - span.low, 1.0f) << x << "," << z << " seed " << seed;
            }
            if (kind == Tree) {
                ++trees;
                ASSERT_EQ(layout, 1) << x << "," << z;
            }
            if (kind == Shrub) {
                ++shrubs;
                const float size = plantSizeGrid[cell];
                if (layout == 2) {
                    ASSERT_GE(size, 2.0f);
                    ASSERT_LE(size, 3.0f);
                } else {
                    ASSERT_EQ(layout, 3) << x << "," << z;
                    ASSERT_GE(size, 4.0f);
                    ASSERT_LE(size, 7.0f);
                }
            }
            if (kind == Cottage) {
                ++cottages;
                ASSERT_EQ(layout, 4) << x << "," << z;
                // Two smoothing passes later the centre of the cottage's flat
                // block still holds its height, unless the block was clipped at
                // the edge and the torus brought in the far side.
                if (x >= 2 && x <= 497 && z >= 2 && z <= 497) {
                    ASSERT_GE(h, 0.5f - 1e-5f) << "cottage " << x << "," << z << " seed " << seed;
                }
                ASSERT_FALSE(inVillage(x, z));
            }
            if (isGroundVegetation(kind))
                ++vegetation;
        }
    // A world with none of these is a broken generator, not bad luck.
    EXPECT_GT(trees, 100) << seed;
    EXPECT_GT(shrubs, 100) << seed;
    EXPECT_GT(vegetation, 1000) << seed;
    EXPECT_GT(cottages, 0) << seed;
}

void checkColoursAndRest(unsigned seed)
{
    float lowest = 1e9f, highest = -1e9f;
    for (int z = 0; z < WorldSize; ++z)
        for (int x = 0; x < WorldSize; ++x) {
            const int cell = cellIndex(x, z);
            lowest = std::min(lowest, heightGrid[cell]);
            highest = std::max(highest, heightGrid[cell]);
            ASSERT_GE(wavePhaseGrid[cell], 0.0f);
            ASSERT_LE(wavePhaseGrid[cell], 0.7991f);
            const Normal& n = normalGrid[cell];
            ASSERT_TRUE(n.x == 0.0f && n.y == 0.3f && n.z == 0.0f);
            if (heightGrid[cell] < 0.45f) {
                ASSERT_TRUE(inVillage(x, z) || heightRange(float(z), float(x)).high -
                                                       heightRange(float(z), float(x)).low > 1.0f ||
                            (redGrid[cell] == 0.8f && greenGrid[cell] == 0.5f && blueGrid[cell] == 0.0f))
                    << "shore colour at " << x << "," << z;
            }
            // Bare land with only bare land within two cells keeps the black
            // it started with, unless shore, rock or a village painted it.
            if (x < 2 || z < 2 || x > 497 || z > 497)
                continue;
            bool allBare = true;
            for (int dz = -2; dz <= 2 && allBare; ++dz)
                for (int dx = -2; dx <= 2 && allBare; ++dx)
                    if (std::abs(dx) + std::abs(dz) <= 2 && layoutGrid[cellIndex(x + dx, z + dz)] != 5)
                        allBare = false;
            const HeightSpan span = heightRange(float(z), float(x));
            if (!allBare || heightGrid[cell] < 0.45f || span.high - span.low > 1.0f || inVillage(x, z))
                continue;
            ASSERT_EQ(redGrid[cell], 0.0f) << x << "," << z;
            ASSERT_EQ(greenGrid[cell], 0.0f) << x << "," << z;
            ASSERT_EQ(blueGrid[cell], 0.0f) << x << "," << z;
        }
    EXPECT_LT(lowest, waterLevel) << "no water in seed " << seed;
    EXPECT_GT(highest, 3.0f) << "no hills in seed " << seed;
    EXPECT_GE(lowest, -20.0f);
}

} // namespace

TEST(WorldGenerator, InvariantsOverSeveralSeeds)
{
    for (unsigned seed : {1u, 7u, 2024u, 987654321u}) {
        generateWorld(seed);
        SCOPED_TRACE(seed);
        checkVillages(seed);
        checkKinds(seed);
        checkColoursAndRest(seed);
    }
}

TEST(WorldGenerator, RegeneratingASeedGivesTheSameWorld)
{
    generateWorld(42);
    const std::vector<float> heights(heightGrid, heightGrid + WorldSize * WorldSize);
    const std::vector<float> reds(redGrid, redGrid + WorldSize * WorldSize);
    const std::vector<float> greens(greenGrid, greenGrid + WorldSize * WorldSize);
    const std::vector<float> sizes(plantSizeGrid, plantSizeGrid + WorldSize * WorldSize);
    const std::vector<int32_t> kinds(kindGrid, kindGrid + WorldSize * WorldSize);

    generateWorld(43);
    EXPECT_NE(std::memcmp(heights.data(), heightGrid, sizeof(heightGrid)), 0);
    generateWorld(42);
    EXPECT_EQ(std::memcmp(heights.data(), heightGrid, sizeof(heightGrid)), 0);
    EXPECT_EQ(std::memcmp(reds.data(), redGrid, sizeof(redGrid)), 0);
    EXPECT_EQ(std::memcmp(greens.data(), greenGrid, sizeof(greenGrid)), 0);
    EXPECT_EQ(std::memcmp(sizes.data(), plantSizeGrid, sizeof(plantSizeGrid)), 0);
    EXPECT_EQ(std::memcmp(kinds.data(), kindGrid, sizeof(kindGrid)), 0);
    EXPECT_EQ(homeCentreX, 402.0f);
}

TEST(WorldGenerator, VillageShapesItsRectangle)
{
    fillGrid(heightGrid, WorldSize, WorldSize, -3.0f);
    fillGrid(kindGrid, WorldSize, WorldSize, int32_t(Tree));
    buildVillage(200, 200, 55, 45, 7.0f, 0);
    EXPECT_EQ(heightGrid[cellIndex(196, 196)], 0.0f);       // lifted out of the water
    EXPECT_EQ(heightGrid[cellIndex(195, 196)], -3.0f);      // outside the lifted band
    EXPECT_EQ(kindGrid[cellIndex(197, 197)], Tree);
    EXPECT_EQ(kindGrid[cellIndex(198, 198)], Empty);
    EXPECT_EQ(kindGrid[cellIndex(256, 246)], Empty);
    EXPECT_EQ(kindGrid[cellIndex(257, 246)], Tree);
    EXPECT_EQ(heightGrid[cellIndex(198, 198)], 2.0f);
    EXPECT_EQ(heightGrid[cellIndex(230, 203)], 7.0f);       // low-z wall
    EXPECT_EQ(heightGrid[cellIndex(230, 204)], 2.0f);
    EXPECT_EQ(heightGrid[cellIndex(252, 230)], 7.0f);       // high-x wall
    EXPECT_EQ(heightGrid[cellIndex(230, 241)], 7.0f);       // high-z wall
    EXPECT_EQ(heightGrid[cellIndex(203, 221)], 2.0f);       // gate, cz = 222
    EXPECT_EQ(heightGrid[cellIndex(203, 219)], 7.0f);
    EXPECT_EQ(heightGrid[cellIndex(160, 223)], 2.0f);       // road's far end
    EXPECT_EQ(heightGrid[cellIndex(159, 223)], -3.0f);
    EXPECT_EQ(heightGrid[cellIndex(244, 222)], 3.0f);       // step
    EXPECT_EQ(heightGrid[cellIndex(248, 222)], 2.0f);
    int pillars = 0;
    for (int x = 199; x < 255; ++x)
        if (heightGrid[cellIndex(x, 212)] == 15.0f && heightGrid[cellIndex(x, 231)] == 15.0f)
            ++pillars;
    EXPECT_EQ(pillars, 2 * 8);  // eight two-cell pillars in each row, over the wall too

    // A village reaching past the grid is clipped, not written outside it.
    buildVillage(470, 480, 55, 45, 5.0f, 0);
    paintVillage(470, 480, 55, 45, 5.0f, 0);
    EXPECT_EQ(heightGrid[cellIndex(499, 499)], 2.0f);
    EXPECT_EQ(heightGrid[cellIndex(471, 499)], 5.0f);
    EXPECT_EQ(redGrid[cellIndex(469, 479)], 0.7f);
    EXPECT_EQ(redGrid[cellIndex(499, 499)], 0.6f);

    paintVillage(100, 60, 55, 45, 4.0f, 1);
    EXPECT_EQ(homeCentreX, 127.0f);
    EXPECT_EQ(homeCentreZ, 82.0f);
    EXPECT_EQ(blueGrid[cellIndex(98, 58)], 0.8f);
    EXPECT_EQ(redGrid[cellIndex(105, 65)], 0.6f);
    EXPECT_EQ(redGrid[cellIndex(104, 65)], 0.5f);
}
