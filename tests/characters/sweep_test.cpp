#include "assets/animation.h"
#include "small_world.h"
#include "world/world_generator.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::unordered_set<const Character*> everyone()
{
    std::unordered_set<const Character*> all(Characters.main.begin(), Characters.main.end());
    all.insert(Characters.second.begin(), Characters.second.end());
    return all;
}

// Steps every character as the tick's sweep does, deleting the finished.
void sweep(float dt)
{
    for (size_t i = 0; i < Characters.main.size();) {
        if (Characters.main[i]->update(dt) || i == 0)
            ++i;
        else
            Characters.removeMain(i);
    }
    for (size_t i = 0; i < Characters.second.size();) {
        if (Characters.second[i]->update(dt))
            ++i;
        else
            Characters.removeSecond(i);
    }
}

} // namespace

// A whole world at war and on fire for a while: characters die, fires burn
// out, trees burn down and are removed, and through it all no target is
// left pointing at a character that is gone and no position leaves the world.
TEST_F(SmallWorld, AWorldAtWarLeavesNoTargetDanglingAndNoPositionOutside)
{
    generateWorld(11);
    TimeOfDay = 13.0f;
    for (Character* c : Characters.main) {
        c->set(Active);
        if (c->kind != Fire)
            c->state = Attack;
    }
    // Crowd the home villagers around the player and set some alight.
    Character* player = Characters.main[0];
    for (size_t i = 1; i < 40 && i < Characters.main.size(); ++i) {
        Character* c = Characters.main[i];
        c->x = player->x + float(i % 7) * 0.3f;
        c->z = player->z + float(i / 7) * 0.3f;
        if (i % 5 == 0)
            c->set(Burning);
    }
    size_t removed = 0, mostFires = 0;
    for (int tick = 0; tick < 80; ++tick) {
        size_t before = Characters.main.size() + Characters.second.size();
        // Every few ticks a long step, as when the player lies dead.
        sweep(tick % 30 == 29 ? 5.0f : 0.05f);
        size_t after = Characters.main.size() + Characters.second.size();
        removed += before > after ? before - after : 0;
        mostFires = std::max(mostFires, Characters.second.size());
        const auto all = everyone();
        for (const Character* c : all) {
            ASSERT_TRUE(c->target == nullptr || all.count(c->target)) << "tick " << tick;
            // Within reach of the next update's wrap.
            ASSERT_GT(c->x, -600.0f);
            ASSERT_LT(c->x, 1100.0f);
        }
    }
    EXPECT_EQ(Characters.main[0], player);
    EXPECT_GT(mostFires, 0u);
    EXPECT_GT(removed, 0u);
}

// A villager hacking at a burning shrub keeps it as its target while it
// topples; once the sweep removes the shrub the villager must not strike
// at the freed record.
TEST_F(SmallWorld, AStrikerOutlivesItsRemovedTarget)
{
    placePlayer();
    Character* villager = place(Villager, 100.0f, 0, 100.0f);
    villager->state = Attack;
    villager->strength = 5.0f;
    delete villager->model;
    villager->model = nullptr;
    Character* shrub = place(BurningShrub, 100.5f, -0.5f, 100.0f);
    shrub->health = 1.0f;
    shrub->scaleY = 3.0f;
    int ticks = 0;
    while (count(BurningShrub) == 1 && ticks < 100) {
        sweep(0.5f);
        ++ticks;
    }
    EXPECT_EQ(count(BurningShrub), 0);
    EXPECT_EQ(villager->target, nullptr);
    sweep(0.5f);
    sweep(0.5f);
    EXPECT_EQ(villager->state, uint32_t(Attack));
}
