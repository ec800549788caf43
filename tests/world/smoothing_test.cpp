// The fast smoothGrid against the plain reference, bit for bit.
#include "smoothing_reference.h"
#include "world/grid_smoothing.h"
#include "world/terrain_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Values of very different magnitudes, so that any change in the order of
// the additions changes the rounding somewhere.
std::vector<float> mixedGrid(int width, int height, unsigned seed, float low, float high)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> value(low, high);
    std::uniform_int_distribution<int> scale(-12, 6);
    std::vector<float> grid(size_t(width) * height);
    for (float& v : grid)
        v = std::ldexp(value(gen), scale(gen));
    return grid;
}

void expectSameBits(const std::vector<float>& fast, const std::vector<float>& plain, const char* what)
{
    ASSERT_EQ(fast.size(), plain.size());
    size_t differing = 0, first = fast.size();
    for (size_t i = 0; i < fast.size(); ++i)
        if (std::memcmp(&fast[i], &plain[i], sizeof(float)) != 0) {
            ++differing;
            if (first == fast.size())
                first = i;
        }
    EXPECT_EQ(differing, 0u) << what << ": first difference at element " << first << " ("
                             << (first < fast.size() ? fast[first] : 0.0f) << " vs "
                             << (first < fast.size() ? plain[first] : 0.0f) << ")";
}

const char* kernelName(SmoothingKernel kernel)
{
    switch (kernel) {
    case SmoothingKernel::Plain: return "plain";
    case SmoothingKernel::Sse: return "SSE";
    case SmoothingKernel::Avx: return "AVX";
    case SmoothingKernel::Avx512: return "AVX-512";
    }
    return "?";
}

// smoothGrid itself, then every kernel this CPU runs.
void compareWithReference(const std::vector<float>& input, int width, int height, int passes,
                          const std::string& what)
{
    std::vector<float> plain = input;
    referenceSmoothGrid(plain.data(), width, height, passes);

    std::vector<float> grid = input;
    smoothGrid(grid.data(), width, height, passes);
    expectSameBits(grid, plain, (what + ", smoothGrid").c_str());

    for (SmoothingKernel kernel : {SmoothingKernel::Plain, SmoothingKernel::Sse, SmoothingKernel::Avx,
                                   SmoothingKernel::Avx512}) {
        if (!smoothingKernelAvailable(kernel))
            continue;
        grid = input;
        smoothGridUsing(kernel, grid.data(), width, height, passes);
        expectSameBits(grid, plain, (what + ", " + kernelName(kernel)).c_str());
    }
}

} // namespace

TEST(Smoothing, MatchesReferenceBitForBitOnTheWorldGrid)
{
    compareWithReference(mixedGrid(500, 500, 1, -200.0f, 200.0f), 500, 500, 1, "one pass");
    compareWithReference(mixedGrid(500, 500, 2, -200.0f, 200.0f), 500, 500, 2, "two passes");
    compareWithReference(mixedGrid(500, 500, 3, -150.0f, 40.0f), 500, 500, 9, "nine passes, clamping");
    compareWithReference(mixedGrid(500, 500, 4, -1.0f, 1.0f), 500, 500, 37, "odd pass count");

    // Tiny values: subnormal sums must round the same way too.
    std::vector<float> tiny(500 * 500);
    std::mt19937 gen(5);
    for (float& v : tiny)
        v = std::ldexp(float(int(gen() % 2001) - 1000), -140);
    compareWithReference(tiny, 500, 500, 3, "subnormals");

    // Infinities and huge values: the first pass clamps, later passes meet
    // the NaN that +inf and -inf make together.
    std::vector<float> extreme = mixedGrid(500, 500, 6, -30.0f, 30.0f);
    for (int i = 0; i < 500 * 500; i += 997)
        extreme[size_t(i)] = (i / 997) % 3 == 0 ? -INFINITY : (i / 997) % 3 == 1 ? INFINITY : -3e38f;
    extreme[1] = INFINITY;
    extreme[2] = -INFINITY;
    compareWithReference(extreme, 500, 500, 1, "infinities, one pass");
    compareWithReference(extreme, 500, 500, 13, "infinities, thirteen passes");
}

TEST(Smoothing, MatchesReferenceOnTheGeneratorsHills)
{
    std::vector<float> hills(500 * 500, 0.0f);
    seedRandom(99);
    randomWalks(hills.data(), 500, 500, 20.0f, 2000, 60, 0);
    compareWithReference(hills, 500, 500, 800, "800 passes over random walks");
}

TEST(Smoothing, MatchesReferenceOnOddShapes)
{
    const int shapes[][2] = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 7}, {9, 13}, {17, 5}, {33, 2},
                             {64, 64}, {67, 71}, {130, 9}, {9, 130}, {501, 503}};
    for (const auto& shape : shapes) {
        const int width = shape[0], height = shape[1];
        // Pass counts below, at and across the blocks of fused passes.
        for (int passes : {1, 4, 6, 7, 8, 19}) {
            const std::string what = std::to_string(width) + "x" + std::to_string(height) + ", " +
                                     std::to_string(passes) + " passes";
            compareWithReference(mixedGrid(width, height, unsigned(width * 1000 + height), -120.0f, 60.0f),
                                 width, height, passes, what);
        }
    }
}

TEST(Smoothing, ConstantGridsTorusAndClamp)
{
    std::vector<float> grid(500 * 500, 2.0f);
    smoothGrid(grid.data(), 500, 500, 5);
    for (float v : grid)
        ASSERT_EQ(v, 2.0f);

    std::fill(grid.begin(), grid.end(), -100.0f);
    smoothGrid(grid.data(), 500, 500, 1);
    for (float v : grid)
        ASSERT_EQ(v, -20.0f);

    // A spike in the corner spreads across both seams of the torus.
    std::fill(grid.begin(), grid.end(), 0.0f);
    grid[0] = 5.0f;
    smoothGrid(grid.data(), 500, 500, 1);
    const float fifth = 0.2f * 5.0f;
    EXPECT_EQ(grid[0], fifth);
    EXPECT_EQ(grid[1], fifth);
    EXPECT_EQ(grid[499], fifth);          // column 499, row 0
    EXPECT_EQ(grid[500], fifth);          // row 1
    EXPECT_EQ(grid[499 * 500], fifth);    // row 499
    EXPECT_EQ(grid[499 * 500 + 499], 0.0f);
    float total = 0.0f;
    for (float v : grid)
        total += v;
    EXPECT_FLOAT_EQ(total, 5.0f);

    // No pass at all leaves the grid alone.
    std::vector<float> untouched = mixedGrid(20, 20, 8, -50.0f, 50.0f);
    std::vector<float> copy = untouched;
    smoothGrid(untouched.data(), 20, 20, 0);
    expectSameBits(untouched, copy, "zero passes");
}
