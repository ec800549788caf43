// The grid operators and queries at their edges.
#include "world/terrain_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

TEST(RandomBetween, InclusiveEndsAndEmptyRange)
{
    seedRandom(3);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int v = randomBetween(5, 0);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 5);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 6u);

    seen.clear();
    for (int i = 0; i < 2000; ++i)
        seen.insert(randomBetween(60, 30));
    EXPECT_EQ(*seen.begin(), 30);
    EXPECT_EQ(*seen.rbegin(), 60);

    // n = 0: the answer is 0 and the generator is not advanced.
    seedRandom(11);
    const int first = nextRandom();
    seedRandom(11);
    EXPECT_EQ(randomBetween(0, 1), 0);
    EXPECT_EQ(nextRandom(), first);
}

TEST(Random, DrawsTheCLibrarysSequenceForTheSeed)
{
    // 0 draws as 1 does; seeds past 2^31 take GNU C's 64-bit arithmetic.
    for (unsigned seed : {0u, 1u, 7u, 123456u, 2147483648u, 3000000017u, 4294967295u}) {
        std::srand(seed);
        seedRandom(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(nextRandom(), std::rand()) << "seed " << seed << ", draw " << i;
    }
    // Seeding again restarts the sequence.
    seedRandom(42);
    const int first = nextRandom();
    nextRandom();
    seedRandom(42);
    EXPECT_EQ(nextRandom(), first);
}

TEST(GridOperators, FillNoiseAndReplace)
{
    std::vector<float> grid(40 * 30, 7.0f);
    fillGrid(grid.data(), 40, 30, 0.0f);
    for (float v : grid)
        ASSERT_EQ(v, 0.0f);

    seedRandom(5);
    addNoise(grid.data(), 40, 30, 20.0f);
    float low = 10.0f, high = -10.0f;
    for (float v : grid) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_GE(low, 0.0f);
    EXPECT_LE(high, 1.999f + 1e-6f);
    EXPECT_GT(high, 1.5f);

    // Below 0.01 the modulus would be zero; the grid stays as it is.
    std::vector<float> before = grid;
    addNoise(grid.data(), 40, 30, 0.005f);
    EXPECT_EQ(grid, before);

    std::vector<int32_t> kinds = {Tree, Tree, Shrub, Tree, Tree};
    const float heights[] = {-0.6f, -0.5f, -0.9f, 0.3f, -3.0f};
    replaceKindBelow(kinds.data(), heights, 5, 1, Tree, Empty, -0.5f);
    EXPECT_EQ(kinds, (std::vector<int32_t>{Empty, Tree, Shrub, Tree, Empty}));
}

TEST(GridOperators, RandomWalkApplicationCounts)
{
    std::vector<float> grid(50 * 40, 0.0f);
    auto total = [&] {
        double sum = 0.0;
        for (float v : grid)
            sum += v;
        return sum;
    };

    seedRandom(1);
    randomWalks(grid.data(), 50, 40, 1.0f, 100, 1, 0);
    EXPECT_EQ(total(), 1.0);

    fillGrid(grid.data(), 50, 40, 0.0f);
    randomWalks(grid.data(), 50, 40, 1.0f, 5, 2, 0);
    EXPECT_EQ(total(), 6.0);

    fillGrid(grid.data(), 50, 40, 0.0f);
    randomWalks(grid.data(), 50, 40, 1.0f, 300, 4, 0);
    EXPECT_EQ(total(), 3.0 * 300 + 1);

    // A step count of 0 gives one-cell walks rather than a walker that never
    // stops.
    fillGrid(grid.data(), 50, 40, 0.0f);
    randomWalks(grid.data(), 50, 40, 1.0f, 0, 3, 0);
    EXPECT_EQ(total(), 3.0);
    randomWalks(grid.data(), 0, 0, 1.0f, 10, 3, 0);  // no grid: nothing to draw a start from
    EXPECT_EQ(total(), 3.0);

    // Mode 1 sets, any other mode leaves the grid alone.
    fillGrid(grid.data(), 50, 40, 0.0f);
    randomWalks(grid.data(), 50, 40, -8.0f, 400, 3, 1);
    for (float v : grid)
        ASSERT_TRUE(v == 0.0f || v == -8.0f);
    EXPECT_LT(total(), -8.0 * 10);
    std::vector<float> before = grid;
    randomWalks(grid.data(), 50, 40, 3.0f, 400, 3, 2);
    EXPECT_EQ(grid, before);
}

TEST(GridOperators, PaintWalksLeashBrushAndKinds)
{
    // Brush 1: every painted cell lies within 30 (+1 for the brush) of the
    // first walk's start. The start is predicted from the generator: two
    // draws, x then z. The second walk paints a single cell (and its brush)
    // from the draws after the first walk's steps.
    const int width = 200, height = 200, steps = 20000;
    unsigned seed = 0;
    int startX = 0, startZ = 0, secondX = 0, secondZ = 0;
    for (seed = 1;; ++seed) {
        seedRandom(seed);
        startX = nextRandom() % (width - 1);
        startZ = nextRandom() % (height - 1);
        if (startX > 40 && startX < 160 && startZ > 40 && startZ < 160)
            break;
    }
    for (int i = 0; i < steps; ++i)
        nextRandom();
    secondX = nextRandom() % (width - 1);
    secondZ = nextRandom() % (height - 1);

    std::vector<int32_t> kinds(width * height, Empty);
    std::vector<float> markers(width * height, 0.0f);
    seedRandom(seed);
    paintWalks(kinds.data(), markers.data(), width, height, 4, steps, 2, 1);
    int painted = 0;
    double farthest = 0.0;
    for (int z = 0; z < height; ++z)
        for (int x = 0; x < width; ++x) {
            const int i = z * width + x;
            if (markers[i] != 0.0f) {
                EXPECT_EQ(markers[i], 2.0f);
                EXPECT_EQ(kinds[i], 4) << "a marker without paint at " << x << "," << z;
            }
            if (kinds[i] == Empty)
                continue;
            ASSERT_EQ(kinds[i], 4);
            ++painted;
            if (std::abs(x - secondX) + std::abs(z - secondZ) <= 1)
                continue;
            farthest = std::max(farthest, std::hypot(double(x - startX), double(z - startZ)));
        }
    EXPECT_LE(farthest, 31.0);
    EXPECT_GT(farthest, 20.0);
    EXPECT_GT(painted, 500);

    // Brush neighbours outside the grid are never written: the grid sits in
    // the middle of a guarded buffer, and the walks cover every edge cell.
    const int small = 6, guard = 64;
    std::vector<int32_t> buffer(guard + small * small + guard, -7);
    int32_t* inner = buffer.data() + guard;
    std::fill(inner, inner + small * small, Empty);
    seedRandom(17);
    paintWalks(inner, nullptr, small, small, 1, 5000, 3, 2);
    for (int i = 0; i < guard; ++i) {
        ASSERT_EQ(buffer[i], -7) << "written before the grid";
        ASSERT_EQ(buffer[guard + small * small + i], -7) << "written after the grid";
    }
    for (int i = 0; i < small * small; ++i)
        EXPECT_EQ(inner[i], Tree);

    // Degenerate calls end and stay inside: no start column to draw on a grid
    // one cell wide, and a step count of 0 gives one-cell walks.
    std::vector<int32_t> strip(5, Empty);
    paintWalks(strip.data(), nullptr, 1, 5, 1, 10, 3, 1);
    EXPECT_EQ(strip, std::vector<int32_t>(5, Empty));
    std::vector<int32_t> dots(50 * 50, Empty);
    seedRandom(29);
    paintWalks(dots.data(), nullptr, 50, 50, 3, 0, 4, 0);
    EXPECT_LE(std::count(dots.begin(), dots.end(), int32_t(Shrub)), 4);
    EXPECT_GE(std::count(dots.begin(), dots.end(), int32_t(Shrub)), 1);

    // Kind 2 draws grass, plant or flowers for each walk; every one appears.
    std::vector<int32_t> vegetation(100 * 100, Empty);
    seedRandom(23);
    paintWalks(vegetation.data(), nullptr, 100, 100, 2, 30, 60, 0);
    std::set<int32_t> kindsSeen(vegetation.begin(), vegetation.end());
    EXPECT_EQ(kindsSeen, (std::set<int32_t>{Empty, Grass, Plant, Flowers}));
}

TEST(GridQueries, WrapCell)
{
    const int cases[][4] = {{-1, 498, 0, 0}, {499, 0, 0, 0}, {998, 0, 0, 0}, {997, 498, 0, 0},
                            {-499, 0, 0, 0}, {-500, 498, 0, 0}, {0, 0, 0, 0}, {498, 498, 0, 0}};
    for (const auto& c : cases) {
        int x = c[0], z = c[0];
        wrapCell(x, z);
        EXPECT_EQ(x, c[1]) << c[0];
        EXPECT_EQ(z, c[1]) << c[0];
    }
    int x = 1200, z = -3;
    wrapCell(x, z);
    EXPECT_EQ(x, 1200 - 998);
    EXPECT_EQ(z, 496);
}

TEST(GridQueries, HeightAtCornersInterpolationAndSeam)
{
    fillGrid(heightGrid, WorldSize, WorldSize, 0.0f);
    heightGrid[cellIndex(3, 4)] = 2.0f;
    heightGrid[cellIndex(4, 4)] = 6.0f;
    heightGrid[cellIndex(3, 5)] = 10.0f;
    heightGrid[cellIndex(4, 5)] = -2.0f;
    EXPECT_EQ(heightAt(3.0f, 4.0f), 2.0f);
    EXPECT_EQ(heightAt(4.0f, 5.0f), -2.0f);
    EXPECT_FLOAT_EQ(heightAt(3.5f, 4.0f), 4.0f);
    EXPECT_FLOAT_EQ(heightAt(3.0f, 4.5f), 6.0f);
    EXPECT_NEAR(heightAt(3.5f, 4.5f), (2.0f + 6.0f + 10.0f - 2.0f) / 4.0f, 1e-5f);
    EXPECT_NEAR(heightAt(3.25f, 4.0f), 3.0f, 1e-3f);

    // Column 499 is column 0: weight 0 on the far side.
    heightGrid[cellIndex(0, 7)] = 9.0f;
    heightGrid[cellIndex(498, 7)] = 1.0f;
    EXPECT_EQ(heightAt(499.0f, 7.0f), 9.0f);
    EXPECT_NEAR(heightAt(498.5f, 7.0f), 5.0f, 1e-3f);
    heightGrid[cellIndex(0, 0)] = -4.0f;
    EXPECT_EQ(heightAt(499.0f, 499.0f), -4.0f);
    EXPECT_EQ(heightAt(0.0f, 0.0f), -4.0f);
}

TEST(GridQueries, HeightRangeAndNormals)
{
    fillGrid(heightGrid, WorldSize, WorldSize, 0.0f);
    heightGrid[cellIndex(0, 0)] = 5.7f;
    heightGrid[cellIndex(1, 0)] = 9.0f;
    heightGrid[cellIndex(0, 1)] = 9.0f;
    heightGrid[cellIndex(1, 1)] = 9.0f;
    HeightSpan span = heightRange(0.0f, 0.0f);
    EXPECT_EQ(span.high, 5.0f);
    EXPECT_EQ(span.low, 5.0f);

    // Integer arguments: rows row-1..row and columns column-1..column.
    heightGrid[cellIndex(19, 9)] = 3.9f;
    heightGrid[cellIndex(20, 9)] = -1.5f;
    heightGrid[cellIndex(19, 10)] = 2.2f;
    heightGrid[cellIndex(20, 10)] = 1.0f;
    heightGrid[cellIndex(21, 10)] = 50.0f;
    heightGrid[cellIndex(20, 11)] = 50.0f;
    span = heightRange(10.0f, 20.0f);
    EXPECT_EQ(span.high, 3.0f);
    EXPECT_EQ(span.low, -1.0f);

    // At the last row and column the samples stay on the grid.
    heightGrid[cellIndex(499, 499)] = 4.0f;
    heightGrid[cellIndex(498, 498)] = 1.0f;
    span = heightRange(499.0f, 499.0f);
    EXPECT_EQ(span.high, 4.0f);
    EXPECT_EQ(span.low, 0.0f);
    // Past the edge the samples are clamped onto the last row.
    span = heightRange(500.0f, 499.0f);
    EXPECT_EQ(span.high, 4.0f);
    EXPECT_EQ(span.low, 0.0f);

    computeNormals();
    for (const Normal& n : normalGrid) {
        ASSERT_EQ(n.x, 0.0f);
        ASSERT_EQ(n.y, 0.3f);
        ASSERT_EQ(n.z, 0.0f);
    }
}
