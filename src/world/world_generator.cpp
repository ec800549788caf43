#include "world/world_generator.h"

#include "world/terrain_grid.h"
#include "world/world_spawns.h"

#include <algorithm>
#include <cstdlib>

KindGrid layoutGrid;

namespace {

constexpr int VillageWidth = 55;
constexpr int VillageDepth = 45;

struct VillagePlan {
    int x, z;
    float wallHeight;
    int mode;
};

// The home village first (mode 1); its corner is taken from the home centre
// when the village is built and again when it is painted.
const VillagePlan villagePlans[4] = {
    {375, 375, 4.0f, 1},
    {125, 375, 20.0f, 0},
    {375, 125, 20.0f, 0},
    {125, 125, 10.0f, 0},
};

// Runs fn(x, z) over columns [x0, x1) and rows [z0, z1), clipped to the grid.
template <typename Fn>
void forCells(int x0, int x1, int z0, int z1, Fn fn)
{
    x0 = std::max(x0, 0);
    z0 = std::max(z0, 0);
    x1 = std::min(x1, WorldSize);
    z1 = std::min(z1, WorldSize);
    for (int z = z0; z < z1; ++z)
        for (int x = x0; x < x1; ++x)
            fn(x, z);
}

void setHeights(int x0, int x1, int z0, int z1, float value)
{
    forCells(x0, x1, z0, z1, [value](int x, int z) { heightGrid[cellIndex(x, z)] = value; });
}

// The generator relies on zeroed grids (bare land keeps a black colour), so a
// second world in the same process starts from the state of the first.
void resetWorld()
{
    constexpr int cells = WorldSize * WorldSize;
    std::fill(heightGrid, heightGrid + cells, 0.0f);
    std::fill(redGrid, redGrid + cells, 0.0f);
    std::fill(greenGrid, greenGrid + cells, 0.0f);
    std::fill(blueGrid, blueGrid + cells, 0.0f);
    std::fill(plantSizeGrid, plantSizeGrid + cells, 0.0f);
    std::fill(wavePhaseGrid, wavePhaseGrid + cells, 0.0f);
    std::fill(kindGrid, kindGrid + cells, int32_t(Empty));
    std::fill(layoutGrid, layoutGrid + cells, 0);
    std::fill(normalGrid, normalGrid + cells, Normal{0.0f, 0.0f, 0.0f});
    homeCentreX = 375.0f;
    homeCentreZ = 375.0f;
    removeAllCharacters();
}

void scatterGroundVegetation()
{
    fillGrid(plantSizeGrid, WorldSize, WorldSize, 0.0f);
    paintWalks(kindGrid, plantSizeGrid, WorldSize, WorldSize, 2, 120, 500, 0);
    smoothGrid(plantSizeGrid, WorldSize, WorldSize, 3);
}

void raiseHills()
{
    fillGrid(heightGrid, WorldSize, WorldSize, 0.0f);
    randomWalks(heightGrid, WorldSize, WorldSize, 20.0f, 2000, 60, 0);
    smoothGrid(heightGrid, WorldSize, WorldSize, 800);
    addNoise(heightGrid, WorldSize, WorldSize, 20.0f);
}

void cutRiversAndLakes()
{
    randomWalks(heightGrid, WorldSize, WorldSize, -8.0f, 15000, 15, 1);
    randomWalks(heightGrid, WorldSize, WorldSize, -4.0f, 4000, 20, 1);
    smoothGrid(heightGrid, WorldSize, WorldSize, 9);
}

void addBumps() { randomWalks(heightGrid, WorldSize, WorldSize, 1.0f, 100, 200, 0); }

void setWavePhases()
{
    fillGrid(wavePhaseGrid, WorldSize, WorldSize, 0.0f);
    addNoise(wavePhaseGrid, WorldSize, WorldSize, 8.0f);
}

void placePlayer()
{
    homeCentreX = 375.0f;
    homeCentreZ = 375.0f;
    spawnPlayer();
}

void layOutLand()
{
    fillGrid(layoutGrid, WorldSize, WorldSize, 0);
    paintWalks(layoutGrid, nullptr, WorldSize, WorldSize, 1, 50000, 15, 2);
    paintWalks(layoutGrid, nullptr, WorldSize, WorldSize, 2, 20000, 7, 2);
    paintWalks(layoutGrid, nullptr, WorldSize, WorldSize, 3, 50000, 6, 2);
    paintWalks(layoutGrid, nullptr, WorldSize, WorldSize, 4, 10000, 10, 1);
}

void buildCottage(int x, int z)
{
    forCells(x - 10, x + 10, z - 10, z + 10, [](int cx, int cz) { kindGrid[cellIndex(cx, cz)] = Empty; });
    setHeights(x - 6, x + 6, z - 6, z + 6, heightGrid[cellIndex(x, z)]);
    kindGrid[cellIndex(x, z)] = Cottage;
    spawnCottageVillager(x, z);
}

void placeObject(int x, int z)
{
    for (int dz = -1; dz <= 1; ++dz)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dz != 0)
                kindGrid[cellIndex(x + dx, z + dz)] = Empty;

    const int cell = cellIndex(x, z);
    switch (layoutGrid[cell]) {
    case 2:
        kindGrid[cell] = Shrub;
        plantSizeGrid[cell] = float(randomBetween(30, 20)) * 0.1f;
        break;
    case 3:
        kindGrid[cell] = Shrub;
        plantSizeGrid[cell] = float(randomBetween(70, 40)) * 0.1f;
        break;
    case 1:
        kindGrid[cell] = Tree;
        break;
    case 4:
        if (randomBetween(5, 0) == 1 && heightGrid[cell] >= waterLevel + 1.0f)
            buildCottage(x, z);
        break;
    default:
        break;
    }
}

void placeObjects()
{
    for (int z = 1; z <= WorldSize - 2; ++z)
        for (int x = 1; x <= WorldSize - 2; ++x)
            if (randomBetween(35, 0) == 1)
                placeObject(x, z);
}

void buildVillages()
{
    for (const VillagePlan& v : villagePlans) {
        const bool home = v.mode == 1;
        buildVillage(home ? int(homeCentreX) : v.x, home ? int(homeCentreZ) : v.z, VillageWidth,
                     VillageDepth, v.wallHeight, v.mode);
    }
}

void drownVegetation()
{
    replaceKindBelow(kindGrid, heightGrid, WorldSize, WorldSize, Shrub, Empty, waterLevel);
    replaceKindBelow(kindGrid, heightGrid, WorldSize, WorldSize, Tree, Empty, waterLevel);
}

void colourCell(int cell)
{
    switch (layoutGrid[cell]) {
    case 0:
    case 4: {
        const int r = randomBetween(10, 0);
        redGrid[cell] = float(r) * 0.01f;
        blueGrid[cell] = 0.1f - float(r) * 0.01f;
        const int g = randomBetween(75, 0);
        greenGrid[cell] = float(g) * 0.01f + 0.25f;
        break;
    }
    case 1: {
        const int g = randomBetween(30, 0);
        greenGrid[cell] = float(g) * 0.01f;
        blueGrid[cell] = 0.15f - float(g) * 0.01f + 0.1f;
        const int r = randomBetween(10, 0);
        redGrid[cell] = float(r) * 0.01f;
        break;
    }
    case 2:
    case 3: {
        const int r = randomBetween(30, 0);
        const int g = randomBetween(10, 0);
        blueGrid[cell] = 0.0f;
        greenGrid[cell] = float(g) * 0.01f + 0.1f;
        redGrid[cell] = float(r) * 0.01f + 0.3f;
        break;
    }
    default:
        break;
    }
}

void colourByLayout()
{
    for (int cell = 0; cell < WorldSize * WorldSize; ++cell)
        colourCell(cell);
    smoothGrid(greenGrid, WorldSize, WorldSize, 1);
    smoothGrid(blueGrid, WorldSize, WorldSize, 2);
    smoothGrid(redGrid, WorldSize, WorldSize, 2);
}

bool isGroundVegetation(int32_t kind) { return kind == Grass || kind == Plant || kind == Flowers; }

void colourShores()
{
    for (int cell = 0; cell < WorldSize * WorldSize; ++cell) {
        if (!(heightGrid[cell] < waterLevel + 0.95f))
            continue;
        redGrid[cell] = 0.8f;
        greenGrid[cell] = 0.5f;
        blueGrid[cell] = 0.0f;
        if (kindGrid[cell] == Grass || kindGrid[cell] == Flowers)
            kindGrid[cell] = Plant;
    }
}

void colourRock()
{
    for (int z = 0; z < WorldSize; ++z)
        for (int x = 0; x < WorldSize; ++x) {
            const HeightSpan span = heightRange(float(z), float(x));
            if (!(span.high - span.low > 1.0f))
                continue;
            const int cell = cellIndex(x, z);
            const float v = float(randomBetween(60, 30)) * 0.01f;
            redGrid[cell] = greenGrid[cell] = blueGrid[cell] = v;
            if (isGroundVegetation(kindGrid[cell])) {
                kindGrid[cell] = Empty;
                plantSizeGrid[cell] = 0.0f;
            }
        }
}

void paintVillages()
{
    for (const VillagePlan& v : villagePlans) {
        const bool home = v.mode == 1;
        paintVillage(home ? int(homeCentreX) : v.x, home ? int(homeCentreZ) : v.z, VillageWidth,
                     VillageDepth, v.wallHeight, v.mode);
    }
}

} // namespace

void generateWorld(unsigned seed)
{
    resetWorld();
    seedRandom(seed);
    scatterGroundVegetation();
    raiseHills();
    cutRiversAndLakes();
    addBumps();
    setWavePhases();
    placePlayer();
    layOutLand();
    placeObjects();
    smoothGrid(heightGrid, WorldSize, WorldSize, 2);
    buildVillages();
    drownVegetation();
    colourByLayout();
    colourShores();
    colourRock();
    paintVillages();
    computeNormals();
    spawnInhabitants();
}

void buildVillage(int x, int z, int width, int depth, float wallHeight, int)
{
    const int x2 = x + width;
    const int z2 = z + depth;
    const int cz = z + depth / 2;

    forCells(x - 4, x2 + 4, z - 4, z2 + 4, [](int cx, int cz2) {
        float& h = heightGrid[cellIndex(cx, cz2)];
        if (h < 0.0f)
            h = 0.0f;
    });
    forCells(x - 2, x2 + 2, z - 2, z2 + 2, [](int cx, int cz2) {
        heightGrid[cellIndex(cx, cz2)] = 2.0f;
        kindGrid[cellIndex(cx, cz2)] = Empty;
    });

    setHeights(x, x2, z, z + 4, wallHeight);
    setHeights(x, x + 4, z, z2 - 4, wallHeight);
    setHeights(x2 - 4, x2, z, z2 - 4, wallHeight);
    setHeights(x, x2, z2 - 4, z2, wallHeight);

    setHeights(x - 40, x + 4, cz - 2, cz + 2, 2.0f);
    setHeights(x2 - 12, x2 - 8, cz - 2, cz + 2, 3.0f);

    spawnKey(x2 - 10, cz);

    for (int c = x; c < x2; c += 7)
        setHeights(c - 1, c + 1, z + 12, z + 14, 15.0f);
    for (int c = x; c < x2; c += 7)
        setHeights(c - 1, c + 1, z2 - 14, z2 - 12, 15.0f);
}

void paintVillage(int x, int z, int width, int depth, float, int mode)
{
    const int x2 = x + width;
    const int z2 = z + depth;
    float outer[3] = {0.7f, 0.75f, 0.75f};
    if (mode == 1) {
        homeCentreZ = float(z + depth / 2);
        homeCentreX = float(x + width / 2);
        outer[0] = 0.5f;
        outer[1] = 0.5f;
        outer[2] = 0.8f;
    }
    forCells(x - 2, x2 + 2, z - 2, z2 + 2, [&outer](int cx, int cz) {
        const int cell = cellIndex(cx, cz);
        redGrid[cell] = outer[0];
        greenGrid[cell] = outer[1];
        blueGrid[cell] = outer[2];
    });
    forCells(x + 5, x2 - 5, z + 5, z2 - 5, [](int cx, int cz) {
        const int cell = cellIndex(cx, cz);
        redGrid[cell] = 0.6f;
        greenGrid[cell] = 0.4f;
        blueGrid[cell] = 0.6f;
    });
}
