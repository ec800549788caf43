// The characters a new world starts with, as the world generator places them.
#include "characters/character_list.h"
#include "world/terrain_grid.h"
#include "world/world_spawns.h"

namespace {

Character* make(uint32_t kind)
{
    Character* c = new Character;
    c->setKind(kind, false);
    return c;
}

// One row of the inhabitants' table: how many of a kind, where, and the
// fields that differ from the constructor's.
struct InhabitantRow {
    int count;
    uint32_t kind;
    bool nearHome;      // ranges are offsets from the home village's centre
    int xLow, xHigh;
    int zLow, zHigh;
    void (*fields)(Character&);
};

void homeVillager(Character& c)
{
    c.scaleY = 3;
    c.destX = 30;
    c.destZ = c.z;
    c.strength = 0.02f;
}
void guardGoblin(Character& c)
{
    c.state = Idle;
    c.scaleY = 3;
    c.strength = 0.6f;
}
void guardOrc(Character& c)
{
    c.state = Idle;
    c.scaleY = 3;
    c.strength = 0.8f;
}
void guardZombie(Character& c)
{
    c.state = Idle;
    c.scaleY = 3;
    c.strength = 0.8f;
}
void zombieKing(Character& c)
{
    c.state = Idle;
    c.scaleY = 3;
    c.strength = 8.8f;
}
void nothingMore(Character&) {}
void wildGoblin(Character& c)
{
    c.scaleY = 3;
    c.strength = 1.0f;
}
void flyer(Character& c) { c.y = 15; }
void wildOrc(Character& c) { c.strength = 0.4f; }
void giantOrc(Character& c)
{
    c.y = 15;
    c.strength = 15;
    c.scaleY = 30;
    c.scaleX = 20;
    c.scaleZ = 20;
    c.health = 500;
    c.phaseRate = 1;
}

const InhabitantRow Inhabitants[] = {
    {5, Villager, true, -10, 10, -10, 10, homeVillager},
    {15, Goblin, false, 125, 180, 375, 420, guardGoblin},
    {15, Orc, false, 375, 430, 125, 170, guardOrc},
    {30, Zombie, false, 125, 180, 125, 170, guardZombie},
    {1, ZombieKing, false, 150, 150, 150, 150, zombieKing},
    {30, Villager, false, 0, 500, 0, 500, nothingMore},
    {200, Goblin, false, 0, 500, 0, 500, wildGoblin},
    {20, BirdFlock, false, 0, 500, 0, 500, flyer},
    {2, Dragon, false, 0, 500, 0, 500, flyer},
    {25, Orc, false, 0, 500, 0, 500, wildOrc},
    {6, Orc, false, 0, 500, 0, 250, giantOrc},
};

} // namespace

void removeAllCharacters() { Characters.clear(); }

void spawnPlayer()
{
    Character* c = make(Villager);
    c->x = 385.0f;
    c->z = 395.0f;
    c->flags = Male;
    c->strength = 0.02f;
    c->health = 40.0f;
    Characters.add(c);
}

void spawnCottageVillager(int x, int z)
{
    Character* c = make(Villager);
    c->x = float(x);
    c->z = float(z + 5);
    c->state = Stand;
    c->strength = 0.02f;
    Characters.add(c);
}

void spawnKey(int x, int z)
{
    Character* c = make(KeyPickup);
    c->x = float(x);
    c->z = float(z);
    c->health = 300.0f;
    c->strength = 4.0f;
    Characters.add(c);
}

void spawnInhabitants()
{
    for (const InhabitantRow& row : Inhabitants) {
        int xLow = row.xLow, xHigh = row.xHigh, zLow = row.zLow, zHigh = row.zHigh;
        if (row.nearHome) {
            xLow = int(homeCentreX + float(row.xLow));
            xHigh = int(homeCentreX + float(row.xHigh));
            zLow = int(homeCentreZ + float(row.zLow));
            zHigh = int(homeCentreZ + float(row.zHigh));
        }
        for (int n = 0; n < row.count; ++n) {
            Character* c = make(row.kind);
            c->x = float(randomBetween(xHigh, xLow));
            c->z = float(randomBetween(zHigh, zLow));
            row.fields(*c);
            Characters.add(c);
        }
    }
}
