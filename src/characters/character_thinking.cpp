// Character::think: the per-frame step of every character but the player.
// A character out of view is frozen (only bird flocks drift); one in view is
// updated and then its kind picks state, destination, target and the heading
// it wants, which it turns toward at a limited rate.
#include "characters/character.h"

#include "characters/character_geometry.h"
#include "characters/character_list.h"
#include "game_state.h"
#include "world/geometry.h"
#include "world/terrain_grid.h"

#include <cmath>

namespace {

// The copies of a position that the world wrap makes visible, in the order
// they are tried.
constexpr float WrapOffsets[5][2] = {
    {0.0f, 0.0f},
    {float(WrapPeriod), 0.0f},
    {-float(WrapPeriod), 0.0f},
    {0.0f, float(WrapPeriod)},
    {0.0f, -float(WrapPeriod)},
};

constexpr float BirdDriftSpeed = 12.0f;

// True on average about once per 1/k seconds of frames: a draw 0..int(dt*k)
// that comes up 1.
bool chance(float dt, float k) { return randomBetween(int(dt * k), 0) == 1; }

void pickNewDestination(Character& c)
{
    c.destX = float(randomBetween(500, 0));
    c.destZ = float(randomBetween(500, 0));
}

void headForDestination(Character& c) { c.heading = angleTo(c.x, c.z, c.destX, c.destZ); }

float distanceToDestination(const Character& c) { return horizontalDistance(c.x, c.z, c.destX, c.destZ); }

void chase(Character& c, Character* prey)
{
    c.destX = prey->x;
    c.destZ = prey->z;
    c.target = prey;
}

void face(Character& c, const Character* other) { c.heading = angleTo(c.x, c.z, other->x, other->z); }

Character* nearestOfKind(const Character& c, uint32_t kind, float& distance)
{
    return Characters.findNearestOfKind(c.x, c.y, c.z, kind, distance);
}

// What a villager fears: the nearest orc, or the nearest zombie once the orc
// is farther than 10.
Character* nearestThreat(const Character& c, float& distance)
{
    Character* threat = nearestOfKind(c, Orc, distance);
    if (distance > 10.0f)
        threat = nearestOfKind(c, Zombie, distance);
    return threat;
}

// The decisions. A dying orc, dragon, villager or goblin decides nothing
// (and think turns only the living).

void decideOrc(Character& c, float dt)
{
    if (c.health < 0.0f)
        return;
    if (distanceToDestination(c) < 0.5f)
        pickNewDestination(c);

    float leaderDistance;
    Character* leader = nearestOfKind(c, Orc, leaderDistance);
    if (leaderDistance < 30.0f && leader->strength > c.strength) {
        c.destX = leader->x;
        c.destZ = leader->z;
        c.set(Following);
        c.state = Walk;
        if (leaderDistance < 5.0f && leader->state == Idle)
            c.state = Idle;
    } else {
        c.clear(Following);
        if ((c.state == Walk && chance(dt, 1000.0f)) || (c.state == Attack && chance(dt, 100000.0f)))
            c.set(Jump);
        else
            c.clear(Jump);
        c.state = Idle;
    }

    float villagerDistance, goblinDistance;
    Character* villager = nearestOfKind(c, Villager, villagerDistance);
    Character* goblin = nearestOfKind(c, Goblin, goblinDistance);
    Character* prey = goblinDistance < villagerDistance ? goblin : villager;
    const float preyDistance = goblinDistance < villagerDistance ? goblinDistance : villagerDistance;
    if (preyDistance < 14.0f) {
        c.state = Walk;
        chase(c, prey);
        if (prey->health <= 0.0f)
            c.state = Idle;
        else if (c.inReach())
            c.state = Attack;
    }
    headForDestination(c);
}

void decideZombie(Character& c)
{
    float distance;
    switch (c.state) {
    case Walk: {
        Character* villager = nearestOfKind(c, Villager, distance);
        c.target = villager;
        if (distance < 12.0f) {
            c.destX = villager->x;
            c.destZ = villager->z;
            if (c.inReach())
                c.state = Attack;
        } else {
            c.state = Idle;
        }
        headForDestination(c);
        break;
    }
    case Attack: {
        Character* villager = nearestOfKind(c, Villager, distance);
        if (distance < 15.0f) {
            c.target = villager;
            face(c, villager);
            if (!c.inReach())
                c.state = Walk;
        } else {
            c.state = Walk;
            headForDestination(c);
        }
        break;
    }
    case Idle: {
        c.target = nearestOfKind(c, Villager, distance);
        if (distance < 8.0f)
            c.state = Attack;
        headForDestination(c);
        break;
    }
    default:
        headForDestination(c);
        break;
    }
}

void decideDragon(Character& c)
{
    if (c.health < 0.0f)
        return;
    if (c.state == Idle)
        c.state = Walk;

    float distance;
    if (c.state == Walk) {
        if (distanceToDestination(c) < 0.5f)
            pickNewDestination(c);
        Character* prey = nearestOfKind(c, GoblinEnemyKind, distance);
        if (distance < 30.0f) {
            c.destX = prey->x;
            c.destZ = prey->z;
            if (distance < 12.0f) {
                c.target = prey;
                c.state = Attack;
            }
        }
        headForDestination(c);
    } else if (c.state == Attack) {
        // Walk and Attack alternate while the dragon circles its prey.
        Character* prey = nearestOfKind(c, GoblinEnemyKind, distance);
        if (distance < 30.0f) {
            face(c, prey);
            c.target = prey;
            if (distance >= 1.0f)
                c.state = Walk;
        } else {
            c.state = Walk;
        }
    }
}

void villagerRetreatsHome(Character& c)
{
    c.state = Walk;
    c.destX = homeCentreX + float(randomBetween(14, 0)) - 7.0f;
    c.destZ = homeCentreZ + float(randomBetween(14, 0)) - 7.0f;
}

void villagerFollowsBetter(Character& c, float dt)
{
    float leaderDistance;
    Character* leader = nearestOfKind(c, Villager, leaderDistance);
    if (leaderDistance < 30.0f && leader->strength > c.strength && leader->state != Attack) {
        c.destX = leader->x;
        c.destZ = leader->z;
        c.set(Following);
        c.state = (leaderDistance < 2.0f && !c.has(Swimming)) ? Idle : Walk;
    } else {
        c.clear(Following);
        if (chance(dt, 1000.0f))
            c.state = Walk;
    }
}

void villagerWalks(Character& c, float dt)
{
    if (distanceToDestination(c) < 4.0f) {
        pickNewDestination(c);
        if (c.health < 5.0f && horizontalDistance(c.x, c.z, homeCentreX, homeCentreZ) < 10.0f)
            c.state = Idle;
    }
    float distance;
    Character* threat = nearestThreat(c, distance);
    if (distance < 12.0f) {
        c.destX = threat->x;
        c.destZ = threat->z;
        if (chance(dt, 100000.0f))
            c.state = Idle;
        c.target = threat;
        if (c.inReach())
            c.state = Attack;
    }
    headForDestination(c);
}

void decideVillager(Character& c, float dt)
{
    if (c.health < 0.0f)
        return;
    if (c.health < 5.0f && c.state != Idle)
        villagerRetreatsHome(c);
    c.clear(Jump);
    if (c.state != Attack && c.state != Stand)
        villagerFollowsBetter(c, dt);

    float distance;
    switch (c.state) {
    case Idle: {
        nearestThreat(c, distance);
        if (distance < 15.0f)
            c.state = Walk;
        if (c.has(Swimming)) {
            c.set(Jump);
            c.state = Walk;
        }
        break;
    }
    case Attack: {
        Character* threat = nearestThreat(c, distance);
        if (distance < 15.0f) {
            face(c, threat);
            c.target = threat;
            if (!c.inReach())
                c.state = Walk;
        } else {
            c.state = Walk;
        }
        break;
    }
    case Walk:
        villagerWalks(c, dt);
        break;
    default:
        break;
    }
}

void decideGoblin(Character& c)
{
    if (c.health < 0.0f)
        return;
    float distance;
    if (c.state == Walk || c.state == Idle) {
        if (distanceToDestination(c) < 0.5f)
            pickNewDestination(c);
        Character* prey = nearestOfKind(c, GoblinEnemyKind, distance);
        if (distance < 10.0f) {
            chase(c, prey);
            c.state = Walk;
            if (c.inReach())
                c.state = Attack;
        }
        headForDestination(c);
    } else if (c.state == Attack) {
        Character* prey = nearestOfKind(c, GoblinEnemyKind, distance);
        if (distance < 30.0f) {
            face(c, prey);
            c.target = prey;
            if (!c.inReach())
                c.state = Walk;
        } else {
            c.state = Walk;
        }
    }
}

// The other kinds have all their behaviour in their update.
void decide(Character& c, float dt)
{
    switch (c.kind) {
    case Orc:
        decideOrc(c, dt);
        break;
    case Zombie:
    case ZombieKing:
        decideZombie(c);
        break;
    case Dragon:
        decideDragon(c);
        break;
    case Villager:
        decideVillager(c, dt);
        break;
    case Goblin:
        decideGoblin(c);
        break;
    default:
        break;
    }
}

// Finds the wrapped copy of the position within view distance of the camera
// and leaves it in viewX, viewZ (the last copy tried when none is).
bool findViewPosition(Character& c)
{
    const float limitSq = float(ViewDistance) * float(ViewDistance);
    for (const auto& offset : WrapOffsets) {
        c.viewX = c.x + offset[0];
        c.viewZ = c.z + offset[1];
        if (horizontalDistanceSq(c.viewX, c.viewZ, CameraEye.x, CameraEye.z) < limitSq)
            return true;
    }
    return false;
}

bool behindCamera(const Character& c)
{
    return (c.viewX - CameraEye.x) * CameraForward.x + (c.viewZ - CameraEye.z) * CameraForward.z < 0.0f;
}

}  // namespace

bool Character::think(float dt)
{
    // A step that is no finite number drifts, decides and turns nothing
    // here (a drifting flock out of view would keep such a position for
    // good); the update deals with it on its own.
    const float step = std::isfinite(dt) ? dt : 0.0f;
    if (!findViewPosition(*this)) {
        clear(Active);
        if (kind == BirdFlock) {
            z += BirdDriftSpeed * step;
            if (z > 500.0f)
                z = 0.0f;
        }
        return true;
    }

    // Behind the camera it is not drawn nor found by the queries, but it
    // still lives.
    set(Active);
    if (behindCamera(*this))
        clear(Active);

    const float turnRate = has(Swimming) ? 2.0f : 4.0f;
    const float startHeading = heading;
    if (has(Burning))
        state = Walk;

    const bool keep = update(dt);

    // Burning runs straight on in panic; a knocked-back body flies as pushed.
    if (has(Burning) || has(KnockedBack))
        return keep;

    if (kind != Fire)
        target = nullptr;
    decide(*this, step);

    if (health > 0.0f)
        heading = turnToward(startHeading, heading, turnRate * step);
    return keep;
}
