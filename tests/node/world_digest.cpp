// Prints a digest of everything the world generator fills, per seed: every
// grid, the home centre, the characters it places and where the random
// sequence stands afterwards. Built natively and for node; the world identity
// test compares the two printouts line by line.
//
//   world_digest [--flip] SEED...
//
// --flip changes the lowest bit of the height at the world's centre before
// the digests are taken, so the test can show that a single bit is noticed.
#include "characters/character_list.h"
#include "world/terrain_grid.h"
#include "world/world_generator.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// FNV-1a, 64 bits, over the bytes as they lie in memory.
struct Digest {
    uint64_t value = 14695981039346656037ull;
    void add(const void* data, size_t size)
    {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            value ^= bytes[i];
            value *= 1099511628211ull;
        }
    }
    template <typename T> void add(const T& v) { add(&v, sizeof v); }
};

struct Grid {
    const char* name;
    void* cells;
    size_t cellSize;
};

const Grid Grids[] = {
    {"height", heightGrid, sizeof(float)},
    {"red", redGrid, sizeof(float)},
    {"green", greenGrid, sizeof(float)},
    {"blue", blueGrid, sizeof(float)},
    {"plantSize", plantSizeGrid, sizeof(float)},
    {"wavePhase", wavePhaseGrid, sizeof(float)},
    {"kind", kindGrid, sizeof(int32_t)},
    {"normal", normalGrid, sizeof(Normal)},
    {"layout", layoutGrid, sizeof(int32_t)},
    {"scratch", scratchGrid, sizeof(float)},
};
constexpr size_t Cells = size_t(WorldSize) * WorldSize;

// Every field of a character but its model; the target as its place in the
// collection.
void addCharacter(Digest& d, const Character& c, const std::vector<Character*>& all)
{
    d.add(c.kind);
    const float fields[] = {c.x, c.y, c.z, c.pitch, c.heading, c.tilt, c.scaleY, c.scaleX, c.scaleZ,
                            c.phase, c.destX, c.destZ, c.viewX, c.viewZ, c.health, c.aimPitch,
                            c.phaseRate, c.strength, c.fallSpeed, c.cameraDistanceSq};
    d.add(fields);
    d.add(c.state);
    d.add(c.flags);
    int64_t target = -1;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] == c.target)
            target = int64_t(i);
    d.add(target);
    d.add(c.model != nullptr);
}

void addList(Digest& d, const std::vector<Character*>& list, const std::vector<Character*>& all)
{
    d.add(uint64_t(list.size()));
    for (const Character* c : list)
        addCharacter(d, *c, all);
}

void printSeed(unsigned seed, bool flip)
{
    generateWorld(seed);
    if (flip)
        reinterpret_cast<unsigned char*>(&heightGrid[cellIndex(WorldSize / 2, WorldSize / 2)])[0] ^= 1u;
    for (const Grid& grid : Grids) {
        Digest d;
        d.add(grid.cells, Cells * grid.cellSize);
        std::printf("seed %u %s %016" PRIx64 "\n", seed, grid.name, d.value);
    }
    Digest home;
    home.add(homeCentreX);
    home.add(homeCentreZ);
    std::printf("seed %u homeCentre %016" PRIx64 "\n", seed, home.value);

    std::vector<Character*> all(Characters.main);
    all.insert(all.end(), Characters.second.begin(), Characters.second.end());
    Digest characters;
    addList(characters, Characters.main, all);
    addList(characters, Characters.second, all);
    std::printf("seed %u characters %zu %016" PRIx64 "\n", seed, all.size(), characters.value);
    std::printf("seed %u nextRandom %d\n", seed, nextRandom());
}

} // namespace

int main(int argc, char** argv)
{
    const bool flip = argc > 1 && std::strcmp(argv[1], "--flip") == 0;
    std::vector<unsigned> seeds;
    for (int i = flip ? 2 : 1; i < argc; ++i) {
        char* end = nullptr;
        const unsigned long seed = std::strtoul(argv[i], &end, 10);
        if (*argv[i] == '\0' || *end != '\0') {
            std::fprintf(stderr, "world_digest: not a seed: %s\n", argv[i]);
            return 2;
        }
        seeds.push_back(unsigned(seed));
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "usage: world_digest [--flip] SEED...\n");
        return 2;
    }
    for (unsigned seed : seeds)
        printSeed(seed, flip);
    return 0;
}
