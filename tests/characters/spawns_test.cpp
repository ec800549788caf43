#include "small_world.h"
#include "world/world_generator.h"
#include "world/world_spawns.h"

#include <vector>

namespace {

struct ExpectedRow {
    int count;
    uint32_t kind;
    int xLow, xHigh, zLow, zHigh;
    uint32_t state;
    float strength;
};

// With the home centre at (402, 397), as the generator leaves it.
const ExpectedRow InhabitantTable[] = {
    {5, Villager, 392, 412, 387, 407, Walk, 0.02f},
    {15, Goblin, 125, 180, 375, 420, Idle, 0.6f},
    {15, Orc, 375, 430, 125, 170, Idle, 0.8f},
    {30, Zombie, 125, 180, 125, 170, Idle, 0.8f},
    {1, ZombieKing, 150, 150, 150, 150, Idle, 8.8f},
    {30, Villager, 0, 500, 0, 500, Walk, 0.0f},
    {200, Goblin, 0, 500, 0, 500, Walk, 1.0f},
    {20, BirdFlock, 0, 500, 0, 500, Walk, 0.0f},
    {2, Dragon, 0, 500, 0, 500, Walk, 0.0f},
    {25, Orc, 0, 500, 0, 500, Walk, 0.4f},
    {6, Orc, 0, 500, 0, 250, Walk, 15.0f},
};

bool whole(float v) { return v == float(int(v)); }

// Checks the 349 inhabitants from the given index on, in table order.
void expectInhabitantsFrom(size_t first)
{
    ASSERT_EQ(Characters.main.size(), first + 349);
    size_t i = first;
    for (const ExpectedRow& row : InhabitantTable) {
        for (int n = 0; n < row.count; ++n, ++i) {
            const Character* c = Characters.main[i];
            SCOPED_TRACE(::testing::Message() << "inhabitant " << i - first);
            ASSERT_EQ(c->kind, row.kind);
            EXPECT_TRUE(whole(c->x) && whole(c->z));
            EXPECT_GE(c->x, float(row.xLow));
            EXPECT_LE(c->x, float(row.xHigh));
            EXPECT_GE(c->z, float(row.zLow));
            EXPECT_LE(c->z, float(row.zHigh));
            EXPECT_EQ(c->state, row.state);
            EXPECT_FLOAT_EQ(c->strength, row.strength);
        }
    }
    // Row-specific fields.
    const Character* homeVillager = Characters.main[first];
    EXPECT_EQ(homeVillager->destX, 30.0f);
    EXPECT_EQ(homeVillager->destZ, homeVillager->z);
    const Character* flock = Characters.main[first + 5 + 15 + 15 + 30 + 1 + 30 + 200];
    EXPECT_EQ(flock->y, 15.0f);
    const Character* giant = Characters.main.back();
    EXPECT_EQ(giant->y, 15.0f);
    EXPECT_EQ(giant->health, 500.0f);
    EXPECT_EQ(giant->phaseRate, 1.0f);
    // The collection's set-up gives the giants the size of their strength.
    EXPECT_FLOAT_EQ(giant->scaleY, 2.5f);
    const Character* goblin = Characters.main[first + 5];
    EXPECT_EQ(goblin->scaleY, 1.0f);
}

} // namespace

TEST_F(SmallWorld, SpawnsGiveEachCharacterItsFieldsInOrder)
{
    spawnPlayer();
    spawnCottageVillager(40, 60);
    spawnKey(420, 397);
    ASSERT_EQ(Characters.main.size(), 3u);
    const Character* player = Characters.main[0];
    EXPECT_EQ(player->kind, uint32_t(Villager));
    EXPECT_EQ(player->x, 385.0f);
    EXPECT_EQ(player->z, 395.0f);
    EXPECT_EQ(player->flags, uint32_t(Male));
    EXPECT_FLOAT_EQ(player->strength, 0.02f);
    EXPECT_EQ(player->health, 40.0f);
    const Character* cottager = Characters.main[1];
    EXPECT_EQ(cottager->kind, uint32_t(Villager));
    EXPECT_EQ(cottager->x, 40.0f);
    EXPECT_EQ(cottager->z, 65.0f);
    EXPECT_EQ(cottager->state, uint32_t(Stand));
    EXPECT_FLOAT_EQ(cottager->strength, 0.02f);
    const Character* key = Characters.main[2];
    EXPECT_EQ(key->kind, uint32_t(KeyPickup));
    EXPECT_EQ(key->x, 420.0f);
    EXPECT_EQ(key->z, 397.0f);
    EXPECT_EQ(key->health, 300.0f);
    EXPECT_EQ(key->strength, 4.0f);

    spawnInhabitants();
    expectInhabitantsFrom(3);
}

TEST_F(SmallWorld, AGeneratedWorldStartsWithThePlayerCottagersKeysAndInhabitants)
{
    generateWorld(7);
    ASSERT_GT(Characters.main.size(), 354u);
    const Character* player = Characters.main[0];
    EXPECT_EQ(player->kind, uint32_t(Villager));
    EXPECT_EQ(player->x, 385.0f);
    EXPECT_EQ(player->z, 395.0f);
    EXPECT_TRUE(player->has(Male));

    size_t i = 1;
    float lastRow = -1.0f, lastColumn = -1.0f;
    for (; i < Characters.main.size() && Characters.main[i]->kind == Villager; ++i) {
        const Character* c = Characters.main[i];
        EXPECT_EQ(c->state, uint32_t(Stand));
        // Row-major order of their cottages.
        EXPECT_TRUE(c->z > lastRow || (c->z == lastRow && c->x > lastColumn));
        lastRow = c->z;
        lastColumn = c->x;
    }
    const float keys[4][2] = {{420, 397}, {170, 397}, {420, 147}, {170, 147}};
    for (const auto& k : keys) {
        ASSERT_LT(i, Characters.main.size());
        const Character* c = Characters.main[i++];
        EXPECT_EQ(c->kind, uint32_t(KeyPickup));
        EXPECT_EQ(c->x, k[0]);
        EXPECT_EQ(c->z, k[1]);
    }
    expectInhabitantsFrom(i);
    EXPECT_TRUE(Characters.second.empty());

    // The same seed makes the same collection.
    std::vector<float> positions;
    for (const Character* c : Characters.main)
        positions.push_back(c->x * 1000.0f + c->z);
    generateWorld(7);
    ASSERT_EQ(Characters.main.size(), positions.size());
    for (size_t n = 0; n < positions.size(); ++n)
        EXPECT_EQ(Characters.main[n]->x * 1000.0f + Characters.main[n]->z, positions[n]);
}
