// The per-frame step of one character: gravity, water, burning, walking,
// collision with scenery and with other characters, each kind's own step,
// and melee combat.
#include "assets/animation.h"
#include "characters/character_geometry.h"
#include "characters/character_list.h"
#include "game_state.h"
#include "world/scenery.h"
#include "world/terrain_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// How a kind's own step ends the update.
enum class StepEnd {
    Continue,   // go on with the shared steps
    Keep,       // stop here, keep the character
    Remove,     // stop here, the character is finished
};

constexpr float LandedPitch = -QuarterTurn;
constexpr float DyingLimit = -30.0f;

Character* player() { return Characters.main.empty() ? nullptr : Characters.main.front(); }

bool dying(const Character& c) { return c.health < 0.0f; }

// The ground height at any point, taken at its copy inside the world.
float groundAt(float x, float z)
{
    wrapIntoWorld(x, z);
    return heightAt(x, z);
}

Character* addFire(Character& maker, float x, float y, float z, float headingValue, float pitchValue,
             float healthValue)
{
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = x;
    fire->y = y;
    fire->z = z;
    fire->scaleY = fire->scaleX = fire->scaleZ = 0.2f;
    fire->heading = headingValue;
    fire->pitch = pitchValue;
    fire->health = healthValue;
    fire->target = &maker;
    Characters.add(fire);
    return fire;
}

StepEnd orcStep(Character& c, float dt, float g)
{
    if (dying(c))
        return StepEnd::Keep;
    if (c.y <= g) {
        c.y = g;
        c.fallSpeed = 0.0f;
        c.clear(Falling);
        c.clear(KnockedBack);
        if (c.has(Jump)) {
            c.fallSpeed = -9.0f;
            c.y = g + 0.2f;
        }
    } else {
        c.y -= dt * c.fallSpeed;
        if (c.fallSpeed < 8.0f)
            c.fallSpeed += 0.2f;
        if (c.y > g + 1.0f)
            c.set(Falling);
    }
    // Orcs wade: they stand on the bottom of shallow water and float at the
    // swimming depth in deep water.
    if (c.y <= waterLevel - 2.0f) {
        c.y = waterLevel - 2.0f;
        c.clear(Falling);
        c.set(Swimming);
    } else {
        c.clear(Swimming);
    }
    if (c.state == Attack) {
        float distance;
        c.target = Characters.findNearestNotOfKind(c.x, c.y, c.z, Orc, distance);
        if (c.target && !(distance < c.reach(*c.target)))
            c.target = player();
        c.strike();
    }
    return StepEnd::Continue;
}

StepEnd dormantZombieStep(Character& c, float, float)
{
    if (TimeOfDay > 12.0f)
        c.setKind(Zombie, false);
    return StepEnd::Continue;
}

StepEnd zombieStep(Character& c, float dt, float g)
{
    if (dying(c))
        return StepEnd::Keep;
    if (c.kind == Zombie && TimeOfDay < 12.0f) {
        c.state = Rise;
        c.setKind(DormantZombie, false);
        c.y = g;
        return StepEnd::Continue;
    }
    c.clear(Swimming);
    if (c.state == Rise) {
        c.y += 0.2f * dt;
        if (c.y > g)
            c.state = Walk;
    } else {
        if (c.y < g) {
            c.y = g;
            c.fallSpeed = 0.0f;
            if (c.has(Jump)) {
                c.fallSpeed = -5.0f;
                c.y = g + 0.2f;
            }
        }
        if (c.y > g) {
            c.y -= dt * c.fallSpeed;
            if (c.fallSpeed < 8.0f)
                c.fallSpeed += 0.2f;
        }
        if (c.y > g + 1.0f) {
            c.set(Falling);
        } else {
            c.clear(Falling);
            c.clear(KnockedBack);
        }
    }
    if (c.state == Attack) {
        float distance;
        c.target = Characters.findNearestNotOfKind(c.x, c.y, c.z, int(c.kind), distance);
        c.strike();
    }
    return StepEnd::Continue;
}

// Scorches the cell a landed fire burns on. Row 0 has no row below it inside
// the grid; with the world's period of 499 the row below is 498.
void scorchCell(int column, int row)
{
    int here = cellIndex(column, row);
    int below = cellIndex(column, row > 0 ? row - 1 : WrapPeriod - 1);
    heightGrid[here] -= 0.5f;
    greenGrid[here] = 0.0f;
    greenGrid[below] = 0.0f;
    if (redGrid[here] > 0.4f) {
        redGrid[here] *= 0.95f;
        blueGrid[here] *= 0.95f;
        redGrid[below] *= 0.95f;
        blueGrid[below] *= 0.95f;
    }
    kindGrid[here] = Empty;
}

void setAlight(int column, int row)
{
    int cell = cellIndex(column, row);
    int32_t cellKind = kindGrid[cell];
    if (cellKind != Shrub && cellKind != Tree)
        return;
    Character* burning = new Character;
    if (cellKind == Shrub) {
        burning->setKind(BurningShrub, false);
        burning->scaleY = plantSizeGrid[cell];
        burning->x = float(column) + 0.5f;
        burning->z = float(row) + 0.5f;
    } else {
        burning->setKind(BurningTree, false);
        burning->x = float(column);
        burning->z = float(row);
    }
    burning->y = heightGrid[cell] - 0.5f;
    burning->scaleX = burning->scaleZ = 2.0f;
    burning->flags = Active | Burning;
    burning->health = 10.0f;
    burning->heading = 0.0f;
    burning->pitch = 0.0f;
    Characters.add(burning);
    kindGrid[cell] = Empty;
    plantSizeGrid[cell] = 0.0f;
}

StepEnd fireStep(Character& c, float dt, float g)
{
    if (c.scaleY < 9.0f)
        c.scaleY = c.scaleX = c.scaleZ = c.scaleY + 5.0f * dt;
    if (c.y > g) {
        c.y -= 6.0f * dt * std::sin(c.pitch);
    } else {
        // The position was wrapped into 0..499 by the update, so the cell is
        // inside the grid.
        int column = int(c.x);
        int row = int(c.z);
        if (heightGrid[cellIndex(column, row)] > -10.0f) {
            c.pitch = LandedPitch;
            scorchCell(column, row);
        }
    }
    c.health -= 30.0f * dt;
    if (c.pitch == LandedPitch) {
        c.x += dt * float(randomBetween(9, 0) - 4);
        c.z += dt * float(randomBetween(9, 0) - 4);
    } else {
        c.x -= 6.0f * dt * std::cos(c.heading);
        c.z -= 6.0f * dt * std::sin(c.heading);
    }

    float distance;
    Character* near = Characters.findNearestNotOfKind(c.x, c.y, c.z, Fire, distance);
    if (near && near != c.target && distance < 3.0f && near->kind != Dragon)
        near->set(Burning);

    // Only cells inside the grid catch fire. A fire thrown far outside it by
    // a huge or infinite step has none around it, and counting toward it
    // would take for ever, or run past the range of int.
    constexpr float FarOutside = 1.0e6f;
    if (!(std::fabs(c.x) < FarOutside && std::fabs(c.z) < FarOutside))
        return StepEnd::Continue;
    for (int i = int(c.x - 3.0f); float(i) < c.x + 3.0f; ++i)
        for (int j = int(c.z - 3.0f); float(j) < c.z + 3.0f; ++j)
            if (0 < i && i < WorldSize && 0 < j && j < WorldSize)
                setAlight(i, j);
    return StepEnd::Continue;
}

StepEnd dragonStep(Character& c, float dt, float g)
{
    c.clear(KnockedBack);
    if (dying(c))
        return StepEnd::Keep;
    float floor = c.scaleY / 6.0f + g + 2.0f;
    if (floor > c.y) {
        c.y = floor;
        c.fallSpeed = 0.05f;
    } else {
        c.fallSpeed -= 0.1f * dt;
    }
    if (c.y > 50.0f && c.fallSpeed >= 0.0f)
        c.fallSpeed -= 1.0f;
    else if (c.has(Jump) && c.fallSpeed < 4.0f)
        c.fallSpeed += 0.5f * dt;
    c.y += c.fallSpeed;
    if (c.state == Attack)
        addFire(c, c.x - 2.5f * std::cos(c.heading), c.y + 0.5f, c.z - 2.5f * std::sin(c.heading),
                c.heading, 90.0f, 40.0f);
    return StepEnd::Continue;
}

StepEnd birdFlockStep(Character& c, float dt, float g)
{
    c.z += 12.0f * dt;
    float cruise = g + 20.0f;
    if (cruise > c.y)
        c.y += 2.0f * dt;
    if (cruise < c.y)
        c.y -= dt;
    if (c.z > 500.0f)
        c.z = 0.0f;
    return StepEnd::Continue;
}

StepEnd walkerStep(Character& c, float dt, float g)
{
    if (dying(c))
        return StepEnd::Keep;
    if (c.y <= g) {
        c.y = g;
        c.clear(KnockedBack);
        c.fallSpeed = 0.0f;
        if (c.has(Jump)) {
            c.fallSpeed = -8.0f;
            c.y = g + 0.2f;
        }
    } else {
        c.y -= dt * c.fallSpeed;
        if (c.fallSpeed < 8.0f)
            c.fallSpeed += 0.2f;
    }
    if (c.y < waterLevel - 1.5f) {
        c.clear(Falling);
        c.clear(KnockedBack);
        c.set(Swimming);
        if (c.y < waterLevel - 2.0f)
            c.fallSpeed = c.has(Jump) ? -1.0f : 1.0f;
        else if (c.has(Jump))
            c.y = waterLevel - 2.0f;
    } else {
        c.clear(Swimming);
        if (c.y > g + 1.0f)
            c.set(Falling);
        else
            c.clear(Falling);
    }
    if (c.state == Attack) {
        if (!c.target) {
            float distance;
            c.target = Characters.findNearestNotOfKind(c.x, c.y, c.z, int(c.kind), distance);
        }
        c.strike();
    }
    return StepEnd::Continue;
}

bool touchesPlayer(const Character& c)
{
    const Character* p = player();
    return p && horizontalDistance(c.x, c.z, p->x, p->z) < 2.0f;
}

StepEnd powerOrbStep(Character& c, float dt, float g)
{
    c.health -= 4.0f * dt;
    c.y = std::max(c.y, g + 1.0f);
    c.heading += 10.0f * dt;
    if (touchesPlayer(c)) {
        c.health = -200.0f;
        if (PlayerPower < 200.0f)
            PlayerPower += 35.0f;
    }
    return StepEnd::Continue;
}

StepEnd keyStep(Character& c, float dt, float g)
{
    c.y = g + 1.0f;
    c.heading += 10.0f * dt;
    if (touchesPlayer(c)) {
        c.health = -200.0f;
        KeysFound += 1;
    }
    return StepEnd::Continue;
}

StepEnd burningPlantStep(Character& c, float dt, float)
{
    if (!dying(c))
        return StepEnd::Continue;
    // Topple, then go.
    if (c.tilt < 3.0f) {
        c.tilt += dt;
        return StepEnd::Keep;
    }
    return StepEnd::Remove;
}

using KindStep = StepEnd (*)(Character&, float dt, float ground);

constexpr int StepKindCount = 16;
constexpr KindStep KindSteps[StepKindCount] = {
    orcStep,            // Orc
    dormantZombieStep,  // DormantZombie
    zombieStep,         // Zombie
    fireStep,           // Fire
    nullptr,            // 4
    dragonStep,         // Dragon
    nullptr,            // 6
    birdFlockStep,      // BirdFlock
    walkerStep,         // Villager
    walkerStep,         // Goblin
    burningPlantStep,   // BurningTree
    burningPlantStep,   // BurningShrub
    nullptr,            // 12
    powerOrbStep,       // PowerOrb
    keyStep,            // KeyPickup
    zombieStep,         // ZombieKing
};

bool burningPlant(const Character& c) { return c.kind == BurningTree || c.kind == BurningShrub; }

void collideWithCircles(Character& c)
{
    for (const SceneryCircle& circle : sceneryCircles) {
        if (circle.top < c.y)
            continue;
        float dx = c.x - circle.x;
        float dz = c.z - circle.z;
        float d2 = dx * dx + dz * dz;
        float r = circle.radius + 0.8f;
        if (r * r > d2) {
            float d = std::max(std::sqrt(d2), 0.001f);
            c.x = circle.x + dx / d * r;
            c.z = circle.z + dz / d * r;
        }
    }
}

// Out of a box by the side it is least deep behind.
void collideWithBoxes(Character& c, float cr)
{
    for (const SceneryBox& box : sceneryBoxes) {
        if (box.top < c.y)
            continue;
        float x0 = box.minX, x1 = box.maxX, z0 = box.minZ, z1 = box.maxZ;
        if (!(x0 - cr < c.x && c.x < x1 + cr && z0 - cr < c.z && c.z < z1 + cr))
            continue;
        float l = c.x - x0, r = x1 - c.x, n = c.z - z0, f = z1 - c.z;
        if (l < r) {
            if (n < f) {
                if (l < n)
                    c.x = x0 - cr;
                else
                    c.z = z0 - cr;
            } else {
                if (l < f)
                    c.x = x0 - cr;
                else
                    c.z = z1 + cr;
            }
        } else {
            if (n < f) {
                if (r > n)
                    c.z = z0 - cr;
                else
                    c.x = x1 + cr;
            } else {
                if (r > f)
                    c.z = z1 + cr;
                else
                    c.x = x1 + cr;
            }
        }
    }
}

void collideWithScenery(Character& c)
{
    collideWithCircles(c);
    collideWithBoxes(c, c.radius());
}

void walk(Character& c, float dt, float speed)
{
    float oldX = c.x, oldY = c.y, oldZ = c.z;
    if (c.state == Walk) {
        c.x -= speed * dt * std::cos(c.heading);
        c.z -= speed * dt * std::sin(c.heading);
    } else {
        speed = 6.0f;
        c.x += speed * dt * std::cos(c.heading);
        c.z += speed * dt * std::sin(c.heading);
    }
    float ground = groundAt(c.x, c.z);
    if (ground > c.y)
        c.y = ground;
    // The same length of step along the slope: climbing shortens the
    // horizontal progress.
    float dx = c.x - oldX, dy = c.y - oldY, dz = c.z - oldZ;
    normalise(dx, dy, dz);
    float length = speed * dt;
    c.x = oldX + dx * length;
    c.y = oldY + dy * length;
    c.z = oldZ + dz * length;
    if (c.has(Active))
        collideWithScenery(c);
}

void pushApart(Character& c)
{
    float d;
    Character* other = Characters.findNearestNotOfKind(c.x, c.y, c.z, -1, d);
    if (!other || other == &c)
        return;
    // With nothing near, the query answers with the player at the none
    // distance, 316.2, which is not the pair's distance: an orc grown past
    // that reach would push them apart by the wrong amount, far out of the
    // world.
    if (!(d < NothingNearDistance))
        return;
    float reachSum = other->radius() + c.radius();
    if (!(reachSum > 0.0f) || !(d < reachSum))
        return;
    float midX = (c.x + other->x) * 0.5f;
    float midZ = (c.z + other->z) * 0.5f;
    float offX = (c.x - midX) * reachSum / d;
    float offZ = (c.z - midZ) * reachSum / d;
    c.x = midX + offX;
    c.z = midZ + offZ;
    other->x = midX - offX;
    other->z = midZ - offZ;
}

// The update's steps in their order; the result is the update's.
bool runSteps(Character& c, float dt)
{
    if (c.model)
        c.model->advance(dt);
    if (c.health < DyingLimit)
        return c.afterDeath();

    wrapIntoWorld(c.x, c.z);
    float g = heightAt(c.x, c.z);

    if (dying(c)) {
        if (c.kind == Fire)
            return false;
        c.state = Dying;
        c.health -= dt;
        if (c.y > g) {
            if (!burningPlant(c) && c.fallSpeed > -4.5f)
                c.fallSpeed -= 6.0f * dt;
            c.y += dt * c.fallSpeed;
        }
        // A body takes the slope it lies on. Burning vegetation keeps its own
        // toppling angle, which its kind step advances.
        if (c.y <= g) {
            c.clear(Falling);
            if (!burningPlant(c))
                c.tilt = std::atan(g - groundAt(c.x + std::cos(c.heading), c.z + std::sin(c.heading)));
        }
    }

    c.phase += dt * c.phaseRate;

    KindStep step = c.kind < uint32_t(StepKindCount) ? KindSteps[c.kind] : nullptr;
    if (step) {
        StepEnd end = step(c, dt, g);
        if (end == StepEnd::Keep)
            return true;
        if (end == StepEnd::Remove)
            return false;
    }

    float speed = c.walkSpeed();
    if (c.has(Swimming))
        speed *= 0.5f;

    if (c.has(Burning)) {
        Character* fire = addFire(c, c.x, c.y + 1.0f, c.z, 0.0f, LandedPitch, 10.0f);
        c.takeHit(1.5f * dt, fire, false);
        if (c.y < waterLevel)
            c.clear(Burning);
    }

    if (c.state == Walk || c.state == WalkBack)
        walk(c, dt, speed);

    if (c.has(KnockedBack)) {
        c.x += 10.0f * dt * std::cos(c.heading);
        c.z += 10.0f * dt * std::sin(c.heading);
        if (c.has(Active))
            collideWithScenery(c);
    }

    pushApart(c);
    return true;
}

// The fields the steps write, as they stood before them.
struct Written {
    float x, z, heading, pitch, tilt, scaleY, scaleX, scaleZ, health, strength;
};

Written writtenFields(const Character& c)
{
    return {c.x, c.z, c.heading, c.pitch, c.tilt, c.scaleY, c.scaleX, c.scaleZ, c.health, c.strength};
}

float finiteOr(float value, float before, float fallback)
{
    if (std::isfinite(value))
        return value;
    return std::isfinite(before) ? before : fallback;
}

// One step that is not a number or is infinite (a clock gone wrong) would
// otherwise stay in the world for good: every later step adds to it, and a
// height of NaN is never below the ground again. What it spoilt is put back:
// the position, heading, pitch, tilt, size, health and strength to their
// values before the update (so the broken step moved, turned, hurt and grew
// nothing), or where those were not finite either, the position to 0 as the
// wrap does, the size to 1 and the rest to 0 (health 0: no health left, yet
// not dying); the height to the ground under the character, the fall speed
// and the animation phase to 0.
void keepFinite(Character& c, const Written& before)
{
    c.x = finiteOr(c.x, before.x, 0.0f);
    c.z = finiteOr(c.z, before.z, 0.0f);
    if (!std::isfinite(c.y))
        c.y = groundAt(c.x, c.z);
    if (!std::isfinite(c.fallSpeed))
        c.fallSpeed = 0.0f;
    if (!std::isfinite(c.phase))
        c.phase = 0.0f;
    c.heading = finiteOr(c.heading, before.heading, 0.0f);
    c.pitch = finiteOr(c.pitch, before.pitch, 0.0f);
    c.tilt = finiteOr(c.tilt, before.tilt, 0.0f);
    c.scaleY = finiteOr(c.scaleY, before.scaleY, 1.0f);
    c.scaleX = finiteOr(c.scaleX, before.scaleX, 1.0f);
    c.scaleZ = finiteOr(c.scaleZ, before.scaleZ, 1.0f);
    c.health = finiteOr(c.health, before.health, 0.0f);
    c.strength = finiteOr(c.strength, before.strength, 0.0f);
}

} // namespace

bool Character::update(float dt)
{
    const Written before = writtenFields(*this);
    const bool keep = runSteps(*this, dt);
    keepFinite(*this, before);
    return keep;
}

void Character::strike()
{
    // A character never strikes itself: an orc player with nobody in reach
    // would otherwise fall back on the player, which is itself.
    if (inReach() && target != this) {
        if (kind != Orc) {
            target->takeHit(2.0f * strength + 0.8f, this, false);
        } else {
            bool knockBack = randomBetween(1, 0) == 1;
            target->takeHit(24.0f * strength + 0.2f, this, knockBack);
        }
    } else {
        target = nullptr;
    }
}

void Character::takeHit(float damage, Character* attacker, bool knockBack)
{
    if (health < 0.0f || kind == DormantZombie || kind == PowerOrb)
        return;

    if (attacker->kind == Fire) {
        target = attacker->target;
    } else if (this != player()) {
        if (kind == Goblin) {
            GoblinEnemyKind = attacker->kind;
        } else {
            state = Attack;
            target = attacker;
        }
    }

    // One blow per swing: the start of the swing arms the blow, frame 11
    // lands it once.
    if (attacker->model) {
        if (attacker->model->currentFrame < 11) {
            set(BlowPending);
            return;
        }
        if (!has(BlowPending))
            return;
        clear(BlowPending);
    }

    float excess = damage - strength;
    if (excess > 0.0f)
        health -= excess;
    else
        health -= damage * 0.25f;

    if (health < 0.0f) {
        health = -1.0f;
        if (burningPlant(*this))
            return;
        if (kind == Orc || kind == Zombie || kind == Dragon || kind == Goblin) {
            Character* orb = new Character;
            orb->setKind(PowerOrb, false);
            orb->x = x;
            orb->y = y + 0.5f;
            orb->z = z;
            orb->heading = heading;
            orb->health = 40.0f;
            Characters.add(orb);
        }
    }
    if (kind == Fire)
        health = -100.0f;
    if (strength * 2.0f > attacker->strength)
        attacker->strength += 0.01f;
    if (knockBack) {
        fallSpeed = -6.0f;
        state = Idle;
        y += 0.2f;
        set(KnockedBack);
    }
}

bool Character::afterDeath()
{
    if (this == player() && kind != Villager)
        return false;
    clear(KnockedBack);
    switch (kind) {
    case Villager:
        // Buried where it fell, to rise as a zombie at night.
        health = 20.0f;
        state = Rise;
        tilt = 0.0f;
        pitch = 0.0f;
        kind = DormantZombie;
        setupKind(false);
        return true;
    case DormantZombie:
    case BurningTree:
    case BurningShrub:
    case PowerOrb:
    case KeyPickup:
    // A fire put out by a blow is finished like one that burnt out.
    case Fire:
        return false;
    default:
        return true;
    }
}
