// A frame step that is not a number or is infinite must leave no such value
// in any character: after the update every field is finite again, and the
// world goes on normally from there. (A fire thrown to infinity once counted
// the cells around it toward infinity: that fault shows as this test never
// ending.)
#include "app/camera.h"
#include "app/sky.h"
#include "characters/character_geometry.h"
#include "small_world.h"

#include <cmath>
#include <string>

namespace {

const float BadSteps[] = {NAN, INFINITY, -INFINITY};

const uint32_t EveryKind[] = {Orc,         DormantZombie, Zombie,       Fire,     Dragon,
                              BirdFlock,   Villager,      Goblin,       BurningTree, BurningShrub,
                              PowerOrb,    KeyPickup,     ZombieKing};

// The situations that take a character down each path of the update.
struct Situation {
    const char* name;
    void (*apply)(Character&);
};

const Situation Situations[] = {
    {"standing", [](Character&) {}},
    {"walking", [](Character& c) { c.state = Walk; }},
    {"walking back", [](Character& c) { c.state = WalkBack; }},
    {"attacking", [](Character& c) { c.state = Attack; }},
    {"jumping", [](Character& c) { c.set(Jump); }},
    {"in the air", [](Character& c) { c.y = 9.0f; c.fallSpeed = 1.0f; c.state = Walk; }},
    {"burning", [](Character& c) { c.set(Burning); c.state = Walk; }},
    {"knocked back", [](Character& c) { c.set(KnockedBack); c.fallSpeed = -6.0f; }},
    {"dying in the air", [](Character& c) { c.health = -5.0f; c.y = 9.0f; }},
};

void expectFinite(const Character& c, const std::string& where)
{
    const struct {
        const char* name;
        float value;
    } fields[] = {{"x", c.x},           {"y", c.y},           {"z", c.z},
                  {"pitch", c.pitch},   {"heading", c.heading}, {"tilt", c.tilt},
                  {"scaleY", c.scaleY}, {"scaleX", c.scaleX}, {"scaleZ", c.scaleZ},
                  {"phase", c.phase},   {"destX", c.destX},   {"destZ", c.destZ},
                  {"viewX", c.viewX},   {"viewZ", c.viewZ},   {"health", c.health},
                  {"aimPitch", c.aimPitch}, {"phaseRate", c.phaseRate}, {"strength", c.strength},
                  {"fallSpeed", c.fallSpeed}, {"cameraDistanceSq", c.cameraDistanceSq}};
    for (const auto& field : fields)
        EXPECT_TRUE(std::isfinite(field.value)) << where << ": " << field.name << " is " << field.value;
}

std::string describe(uint32_t kind, const Situation& situation, float dt)
{
    return "kind " + std::to_string(kind) + " " + situation.name + " after a step of " + std::to_string(dt);
}

} // namespace

TEST_F(SmallWorld, NoFieldStaysNotANumberOrInfiniteAfterAnUpdateForAnyKind)
{
    flattenWorld(2.0f);
    for (uint32_t kind : EveryKind)
        for (const Situation& situation : Situations)
            for (float dt : BadSteps) {
                Characters.clear();
                placePlayer();
                Character* c = place(kind, 100.0f, 2.0f, 100.0f);
                place(Orc, 101.0f, 2.0f, 100.0f);   // someone to strike and push
                c->health = 10.0f;
                situation.apply(*c);
                const std::string where = describe(kind, situation, dt);
                c->update(dt);
                expectFinite(*c, where);
                // Normal steps after it keep everyone finite, including fires
                // the broken step left behind.
                for (int i = 0; i < 3; ++i)
                    for (size_t k = 0; k < Characters.main.size() + Characters.second.size(); ++k) {
                        const bool inMain = k < Characters.main.size();
                        Character* each = inMain ? Characters.main[k] : Characters.second[k - Characters.main.size()];
                        each->update(1.0f / 30.0f);
                    }
                for (const Character* each : Characters.main)
                    expectFinite(*each, where + ", then three normal steps");
                for (const Character* each : Characters.second)
                    expectFinite(*each, where + ", then three normal steps");
                if (HasFailure())
                    return;
            }
}

TEST_F(SmallWorld, ABrokenStepLeavesAWalkerOnTheGroundWhereItWasAndItWalksOn)
{
    flattenWorld(2.0f);
    placePlayer();
    for (float dt : BadSteps) {
        Character* walker = place(Villager, 100.0f, 2.0f, 120.0f);
        walker->state = Walk;
        walker->heading = 0.5f;
        walker->health = 42.0f;
        walker->update(dt);
        EXPECT_EQ(walker->y, 2.0f) << "the height is the ground's, step " << dt;
        EXPECT_EQ(walker->x, 100.0f) << "the broken step moved it, step " << dt;
        EXPECT_EQ(walker->z, 120.0f);
        EXPECT_EQ(walker->heading, 0.5f);
        EXPECT_EQ(walker->health, 42.0f) << "the broken step hurt it, step " << dt;
        EXPECT_EQ(walker->fallSpeed, 0.0f);

        for (int i = 0; i < 10; ++i)
            walker->update(0.1f);
        EXPECT_EQ(walker->y, 2.0f);
        EXPECT_NEAR(horizontalDistance(walker->x, walker->z, 100.0f, 120.0f), 7.0f, 0.01f)
            << "it no longer walks at its speed, step " << dt;
    }
}

TEST_F(SmallWorld, AFireThrownFarOutsideTheWorldByAHugeStepSetsNothingAlightAndEnds)
{
    flattenWorld(2.0f);
    placePlayer();
    Character* fire = place(Fire, 100.0f, 2.0f, 100.0f);
    fire->health = 10.0f;
    fire->pitch = 0.0f;   // still flying
    fire->heading = 3.14f;
    fire->update(1.0e12f);
    EXPECT_TRUE(std::isfinite(fire->x));
    EXPECT_EQ(count(BurningTree) + count(BurningShrub), 0);
}

// Thinking drifts flocks out of view, decides and turns with the step too.
TEST_F(SmallWorld, ABrokenStepLeavesNothingNotANumberWhenCharactersThink)
{
    flattenWorld(2.0f);
    placePlayer();
    CameraEye = {100.0f, 100.0f};
    CameraForward = {1.0f, 0.0f};
    ViewDistance = 100;
    for (float dt : BadSteps) {
        Character* flock = place(BirdFlock, 100.0f, 20.0f, 300.0f);   // out of view
        Character* villager = place(Villager, 120.0f, 2.0f, 100.0f);
        Character* orc = place(Orc, 125.0f, 2.0f, 100.0f);
        villager->health = orc->health = 10.0f;
        const std::string where = "after thinking with a step of " + std::to_string(dt);
        for (Character* c : {flock, villager, orc}) {
            c->think(dt);
            expectFinite(*c, where);
            c->think(1.0f / 30.0f);
            expectFinite(*c, where + " and a normal one");
        }
        EXPECT_EQ(flock->z, 300.0f + 12.0f / 30.0f) << where;
    }
}
