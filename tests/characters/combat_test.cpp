#include "assets/animation.h"
#include "small_world.h"

namespace {

// An attacker without a model lands every blow.
Character* bareAttacker(uint32_t kind, float strength)
{
    Character* c = new Character;
    c->kind = kind;
    c->strength = strength;
    c->x = 200.0f;
    c->z = 200.0f;
    return c;
}

} // namespace

TEST_F(SmallWorld, DamageAboveStrengthCountsInFullAndBelowItAQuarter)
{
    placePlayer();
    Character* victim = place(Villager, 100, 0, 100);
    victim->strength = 2.0f;
    victim->health = 10.0f;
    Character* attacker = place(Goblin, 100.5f, 0, 100);
    delete attacker->model;
    attacker->model = nullptr;

    victim->takeHit(1.0f, attacker, false);
    EXPECT_FLOAT_EQ(victim->health, 9.75f);
    victim->takeHit(3.0f, attacker, false);
    EXPECT_FLOAT_EQ(victim->health, 8.75f);
    // The victim turns on the attacker; the attacker gains from a worthy foe.
    EXPECT_EQ(victim->state, uint32_t(Attack));
    EXPECT_EQ(victim->target, attacker);
    EXPECT_FLOAT_EQ(attacker->strength, 0.02f);

    // No gain from a victim less than half as strong.
    victim->strength = 0.0f;
    attacker->strength = 0.5f;
    victim->takeHit(0.1f, attacker, false);
    EXPECT_FLOAT_EQ(attacker->strength, 0.5f);
}

TEST_F(SmallWorld, OneBlowPerSwing)
{
    placePlayer();
    Character* victim = place(Villager, 100, 0, 100);
    victim->health = 10.0f;
    Character* orc = place(Orc, 100.5f, 0, 100);
    ASSERT_NE(orc->model, nullptr);

    orc->model->currentFrame = 3;
    victim->takeHit(2.0f, orc, false);
    EXPECT_EQ(victim->health, 10.0f);
    EXPECT_TRUE(victim->has(BlowPending));
    orc->model->currentFrame = 7;
    victim->takeHit(2.0f, orc, false);
    EXPECT_EQ(victim->health, 10.0f);

    orc->model->currentFrame = 11;
    victim->takeHit(2.0f, orc, false);
    EXPECT_FLOAT_EQ(victim->health, 8.0f);
    EXPECT_FALSE(victim->has(BlowPending));
    orc->model->currentFrame = 13;
    victim->takeHit(2.0f, orc, false);
    EXPECT_FLOAT_EQ(victim->health, 8.0f);

    // Dormant zombies and power orbs cannot be hit; nor can the dying.
    Character* dormant = place(DormantZombie, 50, 0, 50);
    Character* orb = place(PowerOrb, 60, 0, 60);
    Character* bare = bareAttacker(Goblin, 1.0f);
    dormant->health = 20.0f;
    orb->health = 40.0f;
    dormant->takeHit(5.0f, bare, false);
    orb->takeHit(5.0f, bare, false);
    victim->health = -0.5f;
    victim->takeHit(5.0f, bare, false);
    EXPECT_EQ(dormant->health, 20.0f);
    EXPECT_EQ(orb->health, 40.0f);
    EXPECT_EQ(victim->health, -0.5f);
    delete bare;
}

TEST_F(SmallWorld, WhomTheVictimTurnsOn)
{
    Character* player = placePlayer();
    Character* goblin = place(Goblin, 100, 0, 100);
    Character* bare = bareAttacker(Villager, 0.0f);

    goblin->takeHit(0.1f, bare, false);
    EXPECT_EQ(GoblinEnemyKind, uint32_t(Villager));
    EXPECT_EQ(goblin->target, nullptr);
    EXPECT_EQ(goblin->state, uint32_t(Idle));

    player->state = Walk;
    player->takeHit(0.1f, bare, false);
    EXPECT_EQ(player->state, uint32_t(Walk));
    EXPECT_EQ(player->target, nullptr);

    // A fire's victim turns on whoever made the fire.
    Character* dragon = place(Dragon, 150, 0, 150);
    Character fire;
    fire.setKind(Fire, false);
    fire.target = dragon;
    Character* villager = place(Villager, 110, 0, 110);
    villager->takeHit(0.1f, &fire, false);
    EXPECT_EQ(villager->target, dragon);
    EXPECT_EQ(villager->state, uint32_t(Idle));

    // A knock-back throws the victim up and back.
    villager->takeHit(0.1f, bare, true);
    EXPECT_EQ(villager->fallSpeed, -6.0f);
    EXPECT_EQ(villager->state, uint32_t(Idle));
    EXPECT_FLOAT_EQ(villager->y, 0.2f);
    EXPECT_TRUE(villager->has(KnockedBack));
    delete bare;
}

TEST_F(SmallWorld, AKilledOrcLeavesOneOrbThatRefillsPowerOnce)
{
    Character* player = placePlayer(100.0f, 100.0f);
    Character* orc = place(Orc, 150, 2.0f, 150);
    orc->heading = 1.25f;
    orc->health = 0.5f;
    Character* bare = bareAttacker(Villager, 0.0f);
    orc->takeHit(5.0f, bare, false);
    EXPECT_EQ(orc->health, -1.0f);
    orc->takeHit(5.0f, bare, false);
    ASSERT_EQ(count(PowerOrb), 1);
    Character* orb = Characters.main.back();
    ASSERT_EQ(orb->kind, uint32_t(PowerOrb));
    EXPECT_EQ(orb->x, 150.0f);
    EXPECT_EQ(orb->y, 2.5f);
    EXPECT_EQ(orb->z, 150.0f);
    EXPECT_EQ(orb->heading, 1.25f);
    EXPECT_EQ(orb->health, 40.0f);
    EXPECT_EQ(orb->scaleY, 3.0f);

    // A killed villager, a burning tree and a fire leave none.
    Character* villager = place(Villager, 300, 0, 300);
    villager->health = 0.1f;
    villager->takeHit(5.0f, bare, false);
    Character* tree = place(BurningTree, 310, 0, 310);
    tree->health = 0.1f;
    tree->takeHit(5.0f, bare, false);
    EXPECT_EQ(count(PowerOrb), 1);

    // Picked up at 190 the power becomes 225; at 200 it stays.
    PlayerPower = 190.0f;
    orb->x = player->x + 1.0f;
    orb->z = player->z + 1.0f;
    EXPECT_TRUE(orb->update(0.01f));
    EXPECT_FLOAT_EQ(PlayerPower, 225.0f);
    EXPECT_EQ(orb->health, -200.0f);
    EXPECT_FALSE(orb->update(0.01f));

    Character* second = place(PowerOrb, player->x - 1.5f, 0, player->z);
    second->health = 40.0f;
    PlayerPower = 200.0f;
    second->update(0.01f);
    EXPECT_EQ(PlayerPower, 200.0f);
    EXPECT_EQ(second->health, -200.0f);

    // An orb far from the player fades and turns.
    Character* far = place(PowerOrb, 400, -3.0f, 400);
    far->health = 40.0f;
    far->update(0.5f);
    EXPECT_FLOAT_EQ(far->health, 38.0f);
    EXPECT_FLOAT_EQ(far->y, 1.0f);
    EXPECT_FLOAT_EQ(far->heading, 5.0f);
    delete bare;
}

TEST_F(SmallWorld, AKeyTouchedByThePlayerCountsOnce)
{
    Character* player = placePlayer(100.0f, 100.0f);
    Character* key = place(KeyPickup, 101.0f, 7.0f, 101.0f);
    key->health = 300.0f;
    EXPECT_TRUE(key->update(0.01f));
    EXPECT_EQ(KeysFound, 1);
    EXPECT_EQ(key->y, 1.0f);
    EXPECT_FALSE(key->update(0.01f));
    EXPECT_EQ(KeysFound, 1);
    (void)player;
}

TEST_F(SmallWorld, ADeadVillagerRisesAsAZombieAtNightAndLiesDownByDay)
{
    placePlayer();
    Character* villager = place(Villager, 100, 0, 100);
    villager->set(Male);
    villager->setKind(Villager, false);
    AnimatedModel* model = villager->model;
    villager->health = 0.5f;
    Character* bare = bareAttacker(Orc, 1.0f);
    villager->takeHit(5.0f, bare, false);
    ASSERT_EQ(villager->health, -1.0f);
    delete bare;

    // Dying: it loses one health per unit of time.
    TimeOfDay = 6.0f;
    EXPECT_TRUE(villager->update(1.0f));
    EXPECT_EQ(villager->state, uint32_t(Dying));
    EXPECT_FLOAT_EQ(villager->health, -2.0f);
    for (int i = 0; i < 40 && villager->kind == Villager; ++i)
        EXPECT_TRUE(villager->update(1.0f));
    ASSERT_EQ(villager->kind, uint32_t(DormantZombie));
    EXPECT_EQ(villager->health, 20.0f);
    EXPECT_EQ(villager->state, uint32_t(Rise));
    EXPECT_EQ(villager->model, model);
    EXPECT_TRUE(villager->has(Male));

    // By day it stays in the ground.
    EXPECT_TRUE(villager->update(0.1f));
    EXPECT_EQ(villager->kind, uint32_t(DormantZombie));

    // At night it climbs out and walks.
    TimeOfDay = 13.0f;
    villager->y = -0.1f;
    EXPECT_TRUE(villager->update(0.1f));
    EXPECT_EQ(villager->kind, uint32_t(Zombie));
    for (int i = 0; i < 100 && villager->state == Rise; ++i)
        villager->update(0.1f);
    EXPECT_EQ(villager->state, uint32_t(Walk));
    EXPECT_GT(villager->y, 0.0f);

    // By day it lies down again.
    TimeOfDay = 11.0f;
    villager->update(0.01f);
    EXPECT_EQ(villager->kind, uint32_t(DormantZombie));
    EXPECT_EQ(villager->state, uint32_t(Rise));
    EXPECT_EQ(villager->y, 0.0f);

    // The zombie king never lies down.
    Character* king = place(ZombieKing, 200, 0, 200);
    king->update(0.01f);
    EXPECT_EQ(king->kind, uint32_t(ZombieKing));
}

TEST_F(SmallWorld, WhatAfterDeathKeeps)
{
    Character* player = placePlayer();
    // The player dying in any form but a villager is not deleted but revived
    // by the tick: the update asks for removal.
    player->setKind(Orc, false);
    player->health = -31.0f;
    EXPECT_FALSE(player->update(0.01f));

    const uint32_t gone[] = {DormantZombie, BurningTree, BurningShrub, PowerOrb, KeyPickup, Fire};
    for (uint32_t kind : gone) {
        Character c;
        c.setKind(kind, false);
        c.health = -31.0f;
        EXPECT_FALSE(c.update(0.01f)) << kind;
    }
    const uint32_t kept[] = {Orc, Zombie, Goblin, Dragon, ZombieKing, BirdFlock};
    for (uint32_t kind : kept) {
        Character c;
        c.setKind(kind, false);
        c.health = -31.0f;
        c.set(KnockedBack);
        EXPECT_TRUE(c.update(0.01f)) << kind;
        EXPECT_FALSE(c.has(KnockedBack));
    }
}

TEST_F(SmallWorld, AFireHitByABlowGoesOut)
{
    placePlayer();
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = fire->z = 100.0f;
    fire->health = 40.0f;
    Characters.add(fire);
    Character* bare = bareAttacker(Villager, 0.0f);
    fire->takeHit(0.01f, bare, false);
    EXPECT_EQ(fire->health, -100.0f);
    EXPECT_FALSE(fire->update(0.01f));
    delete bare;
}

TEST_F(SmallWorld, StrikesLandOnlyInReach)
{
    Character* player = placePlayer(100.0f, 100.0f);
    Character* villager = place(Villager, 200, 0, 200);
    delete villager->model;
    villager->model = nullptr;
    villager->strength = 1.0f;
    Character* goblin = place(Goblin, 200.8f, 0, 200);
    goblin->health = 10.0f;
    villager->target = goblin;
    villager->strike();
    // 2 x 1 + 0.8 = 2.8, less the goblin's strength 0.
    EXPECT_FLOAT_EQ(goblin->health, 7.2f);
    goblin->x = 201.0f;
    villager->strike();
    EXPECT_FLOAT_EQ(goblin->health, 7.2f);
    EXPECT_EQ(villager->target, nullptr);

    // An orc player in attack with nobody in reach does not hurt itself.
    player->setKind(Orc, false);
    delete player->model;
    player->model = nullptr;
    player->state = Attack;
    player->health = 40.0f;
    player->update(0.01f);
    EXPECT_EQ(player->health, 40.0f);
    EXPECT_EQ(player->target, nullptr);

    // An orc in attack hits the nearest non-orc in reach: 24 x 0.5 + 0.2.
    Character* orc = place(Orc, 300, 0, 300);
    delete orc->model;
    orc->model = nullptr;
    orc->strength = 0.5f;
    orc->state = Attack;
    Character* prey = place(Villager, 300.5f, 0, 300);
    prey->health = 50.0f;
    orc->update(0.01f);
    EXPECT_FLOAT_EQ(prey->health, 50.0f - 12.2f);
    EXPECT_EQ(prey->target, orc);
}
