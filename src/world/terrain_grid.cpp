#include "world/terrain_grid.h"

#include <algorithm>
#include <cstdlib>

TerrainGrid heightGrid;
TerrainGrid redGrid;
TerrainGrid greenGrid;
TerrainGrid blueGrid;
TerrainGrid plantSizeGrid;
TerrainGrid wavePhaseGrid;
KindGrid kindGrid;
Normal normalGrid[WorldSize * WorldSize];
TerrainGrid scratchGrid;
float homeCentreX = 375.0f;
float homeCentreZ = 375.0f;

namespace {

// GNU C's rand() with its default 128-byte state: an additive feedback
// generator over 31 words, the front word three ahead of the rear. It is
// written out here, step for step as GNU C does it, so that every C library
// (the browser build's included) grows the same world from the same seed.
struct AdditiveGenerator {
    static constexpr int Degree = 31;
    static constexpr int Separation = 3;
    int32_t state[Degree] = {};
    int front = Separation;
    int rear = 0;

    // The words from the seed by Park and Miller's minimal standard, with
    // GNU C's types: a seed past 2^31 starts as a negative 32-bit word. Then
    // ten rounds of draws are discarded.
    void seed(unsigned value)
    {
        if (value == 0)
            value = 1;
        int32_t word = int32_t(value);
        state[0] = word;
        for (int i = 1; i < Degree; ++i) {
            const int64_t hi = word / 127773;
            const int64_t lo = word % 127773;
            word = int32_t(16807 * lo - 2836 * hi);
            if (word < 0)
                word += 2147483647;
            state[i] = word;
        }
        front = Separation;
        rear = 0;
        for (int i = 0; i < Degree * 10; ++i)
            next();
    }

    int32_t next()
    {
        const uint32_t sum = uint32_t(state[front]) + uint32_t(state[rear]);
        state[front] = int32_t(sum);
        if (++front >= Degree) {
            front = 0;
            ++rear;
        } else if (++rear >= Degree) {
            rear = 0;
        }
        return int32_t(sum >> 1);
    }
};

AdditiveGenerator RandomState;
bool RandomSeeded = false;

} // namespace

void seedRandom(unsigned seed)
{
    RandomState.seed(seed);
    RandomSeeded = true;
}

int nextRandom()
{
    if (!RandomSeeded)
        seedRandom(1);
    return RandomState.next();
}

int randomBetween(int high, int low)
{
    const int n = high - low + 1;
    if (n == 0)
        return 0;
    return low + nextRandom() % n;
}

void fillGrid(float* grid, int width, int height, float value)
{
    std::fill(grid, grid + width * height, value);
}

void fillGrid(int32_t* grid, int width, int height, int32_t value)
{
    std::fill(grid, grid + width * height, value);
}

void addNoise(float* grid, int width, int height, float amplitude)
{
    const int modulus = int(amplitude * 100.0f);
    // Below 0.01 the modulus would be zero: add nothing rather than divide by it.
    if (modulus < 1)
        return;
    for (int i = 0; i < width * height; ++i)
        grid[i] += float(nextRandom() % modulus) * 0.001f;
}

namespace {

// One step in a random direction: 0 +x, 1 -x, 2 +z, 3 -z. Looked up rather
// than branched on, since the direction is random and a branch on it is
// mispredicted three times in four.
void stepWalker(int& x, int& z)
{
    static const int StepX[4] = {1, -1, 0, 0};
    static const int StepZ[4] = {0, 0, 1, -1};
    const int direction = nextRandom() % 4;
    x += StepX[direction];
    z += StepZ[direction];
}

void wrapWalker(int& x, int& z, int width, int height)
{
    if (x < 0)
        x = width - 1;
    else if (x > width - 1)
        x = 0;
    if (z < 0)
        z = height - 1;
    else if (z > height - 1)
        z = 0;
}

// The leash radius of a brush, 0 for none.
int leashFor(int brush)
{
    if (brush == 2)
        return 200;
    if (brush == 1)
        return 30;
    return 0;
}

int32_t kindForWalk(int kind)
{
    if (kind != 2)
        return kind;
    static const int32_t vegetation[3] = {Grass, Plant, Flowers};
    return vegetation[nextRandom() % 3];
}

} // namespace

// A walk's step counter below 1 also starts the next walk, so a step count of
// 0 gives one-cell walks instead of a walker that never stops.
void randomWalks(float* grid, int width, int height, float value, int steps, int walks, int mode)
{
    if (width < 1 || height < 1)
        return;
    int walksLeft = walks;
    int stepsLeft = 0;
    int x = 0;
    int z = 0;
    do {
        if (stepsLeft <= 0) {
            x = nextRandom() % width;
            z = nextRandom() % height;
            --walksLeft;
            stepsLeft = steps;
        }
        --stepsLeft;
        float& cell = grid[z * width + x];
        if (mode == 0)
            cell += value;
        else if (mode == 1)
            cell = value;
        stepWalker(x, z);
        wrapWalker(x, z, width, height);
    } while (walksLeft > 0);
}

void paintWalks(int32_t* kinds, float* markers, int width, int height, int kind, int steps, int walks,
                int brush)
{
    // Starts are drawn below width - 1 and height - 1: a one-cell-wide grid
    // has no start at all.
    if (width < 2 || height < 2)
        return;
    const int leash = leashFor(brush);
    int walksLeft = walks;
    int stepsLeft = 0;
    int x = 0, z = 0, startX = 0, startZ = 0;
    int32_t paint = kind;
    do {
        if (stepsLeft <= 0) {
            startX = x = nextRandom() % (width - 1);
            startZ = z = nextRandom() % (height - 1);
            paint = kindForWalk(kind);
            --walksLeft;
            stepsLeft = steps;
        }
        --stepsLeft;
        kinds[z * width + x] = paint;
        if (brush == 1 || brush == 2) {
            if (z + 1 < height)
                kinds[(z + 1) * width + x] = paint;
            if (z - 1 >= 0)
                kinds[(z - 1) * width + x] = paint;
            if (x + 1 < width)
                kinds[z * width + x + 1] = paint;
            if (x - 1 >= 0)
                kinds[z * width + x - 1] = paint;
        }
        if (markers)
            markers[z * width + x] = 2.0f;
        stepWalker(x, z);
        if (leash > 0) {
            // Squared integers: the same test as the root of the sum against
            // the radius, without the root.
            const int dx = x - startX;
            const int dz = z - startZ;
            if (dx * dx + dz * dz > leash * leash) {
                x = startX;
                z = startZ;
            }
        }
        wrapWalker(x, z, width, height);
    } while (walksLeft > 0);
}

void replaceKindBelow(int32_t* kinds, const float* values, int width, int height, int fromKind,
                      int toKind, float threshold)
{
    for (int i = 0; i < width * height; ++i)
        if (values[i] < threshold && kinds[i] == fromKind)
            kinds[i] = toKind;
}

void wrapCell(int& x, int& z)
{
    x %= WrapPeriod;
    if (x < 0)
        x += WrapPeriod;
    z %= WrapPeriod;
    if (z < 0)
        z += WrapPeriod;
}

namespace {

// The fraction of v above its truncation iv, cut to a multiple of 0.0001; in
// the first cell it is v itself.
float cellFraction(float v, int iv)
{
    if (iv == 0)
        return v;
    const long tenThousandths = long(double(v) * 10000.0) - long(iv) * 10000;
    return float(tenThousandths) / 10000.0f;
}

float heightOfCell(int x, int z) { return heightGrid[cellIndex(x, z)]; }

} // namespace

float heightAt(float x, float z)
{
    const int truncX = int(x);
    const int truncZ = int(z);
    int ix = truncX, iz = truncZ;
    int ix1 = truncX + 1, iz1 = truncZ + 1;
    wrapCell(ix, iz);
    wrapCell(ix1, iz1);
    const float fx = cellFraction(x, truncX);
    const float fz = cellFraction(z, truncZ);
    const float h00 = heightOfCell(ix, iz);
    const float h10 = heightOfCell(ix1, iz);
    const float h01 = heightOfCell(ix, iz1);
    const float h11 = heightOfCell(ix1, iz1);
    return (h00 * (1.0f - fx) + h10 * fx) * (1.0f - fz) + (h01 * (1.0f - fx) + h11 * fx) * fz;
}

// Samples are clamped onto the grid so that a point on or past the edge
// reads the edge cells instead of memory outside the grid.
HeightSpan heightRange(float row, float column)
{
    static const float offsets[3] = {-0.5f, 0.0f, 0.5f};
    HeightSpan span{-1e30f, 1e30f};
    for (float dr : offsets)
        for (float dc : offsets) {
            if (dr == 0.0f && dc == 0.0f)
                continue;
            const int r = std::clamp(int(row + dr), 0, WorldSize - 1);
            const int c = std::clamp(int(column + dc), 0, WorldSize - 1);
            const float sample = float(int(heightGrid[r * WorldSize + c]));
            span.high = std::max(span.high, sample);
            span.low = std::min(span.low, sample);
        }
    return span;
}

void computeNormals()
{
    std::fill(normalGrid, normalGrid + WorldSize * WorldSize, Normal{0.0f, 0.3f, 0.0f});
}
