#include "characters/character.h"

#include "assets/animation.h"
#include "assets/asset_tables.h"
#include "characters/character_geometry.h"
#include "world/terrain_grid.h"

namespace {

// How a kind's set-up treats the three scales.
enum class ScaleRule {
    Fixed,          // the row's scale
    ByStrength,     // 1 + 0.1 x strength on every axis (orcs grow with experience)
    Unchanged,      // burning vegetation keeps the size of the plant it was
};

struct KindSetup {
    ScaleRule scaleRule;
    float scaleY, scaleX, scaleZ;
    const char* maleBones;      // null: no skeleton, the model is left as it is
    const char* femaleBones;    // null: the male bones for either sex
    AnimationSlot maleAnimation;
    AnimationSlot femaleAnimation;
    bool addsMale;
    float radius;               // body radius for reach and pushing apart
    bool radiusScalesWithHeight;
    float walkSpeed;            // units per second while walking
};

// Kinds, flying objects and pickups without a skeleton; also the values that
// name no kind.
constexpr KindSetup Unskinned{ScaleRule::Fixed, 8, 7, 7, nullptr, nullptr, MaleWalk, MaleWalk,
                              false, 0.3f, false, 0.0f};

constexpr KindSetup Human(float speed)
{
    return {ScaleRule::Fixed, 1, 1, 1, "Data/Bones/MaleBones.mub", "Data/Bones/FemaleBones.mub",
            MaleWalk, FemaleWalk, false, 0.3f, false, speed};
}

constexpr int KindCount = 16;

constexpr KindSetup KindSetups[KindCount] = {
    /* Orc */ {ScaleRule::ByStrength, 1, 1, 1, "Data/Bones/OrcBones.mub", nullptr, OrcWalk, OrcWalk,
               false, 0.4f, true, 5.6f},
    /* DormantZombie */ Unskinned,
    /* Zombie */ Human(6.0f),
    /* Fire */ {ScaleRule::Fixed, 8, 7, 7, nullptr, nullptr, MaleWalk, MaleWalk, false, -100.0f, false,
                0.0f},
    /* 4 */ Unskinned,
    /* Dragon */ {ScaleRule::Fixed, 8, 7, 7, nullptr, nullptr, MaleWalk, MaleWalk, false, 0.3f, false,
                  30.0f},
    /* 6 */ Unskinned,
    /* BirdFlock */ Unskinned,
    /* Villager */ Human(7.0f),
    /* Goblin */ {ScaleRule::Fixed, 1, 1, 1, "Data/Bones/GoblinBones.mub", nullptr, GoblinWalk,
                  GoblinWalk, false, 0.4f, false, 3.0f},
    /* BurningTree */ {ScaleRule::Unchanged, 1, 1, 1, nullptr, nullptr, MaleWalk, MaleWalk, false,
                       0.3f, false, 0.0f},
    /* BurningShrub */ {ScaleRule::Unchanged, 1, 1, 1, nullptr, nullptr, MaleWalk, MaleWalk, false,
                        0.3f, false, 0.0f},
    /* 12 */ Unskinned,
    /* PowerOrb */ {ScaleRule::Fixed, 3, 3, 3, nullptr, nullptr, MaleWalk, MaleWalk, false, 0.3f, false,
                    0.0f},
    /* KeyPickup */ Unskinned,
    /* ZombieKing */ {ScaleRule::Fixed, 1, 1, 1, "Data/Bones/ZombieKingBones.mub", nullptr, MaleWalk,
                      MaleWalk, true, 0.3f, false, 8.0f},
};

const KindSetup& setupOf(uint32_t kind) { return kind < KindCount ? KindSetups[kind] : Unskinned; }

} // namespace

Character::Character()
    : kind(BirdFlock), x(0), y(0), z(0), pitch(0), heading(0), tilt(0), scaleY(1), scaleX(1),
      scaleZ(1), phase(0), destX(0), destZ(0), viewX(0), viewZ(0), health(0), state(Walk),
      aimPitch(0), phaseRate(3), strength(0), fallSpeed(0), cameraDistanceSq(0), model(nullptr),
      target(nullptr), flags(0)
{
    // The order of the set-up and of the random draws is part of what makes
    // a seeded world come out the same every time.
    setupKind(false);
    scaleY = scaleX = scaleZ = 1.0f;
    x = 60.0f;
    y = 0.0f;
    z = 60.0f;
    heading = tilt = pitch = strength = fallSpeed = 0.0f;
    destX = float(randomBetween(500, 0));
    destZ = float(randomBetween(500, 0));
    phase = float(randomBetween(100, 0) * 0.1);
    health = 35.0f;
    state = Walk;
    flags = 0;
    if (randomBetween(1, 0) == 1)
        set(Male);
    if (randomBetween(1, 0) == 1)
        set(AltSkin);
    target = nullptr;
    set(Active);
    phaseRate = 3.0f;
    // Drawing can read these before thinking or the drawing pass first
    // writes them (a burning tree made earlier in the same frame).
    viewX = x;
    viewZ = z;
    cameraDistanceSq = 0.0f;
    aimPitch = 0.0f;
}

Character::~Character() { delete model; }

void Character::setKind(uint32_t newKind, bool loadNow)
{
    tilt = 0.0f;
    pitch = 0.0f;
    kind = newKind;
    setupKind(loadNow);
}

void Character::setupKind(bool loadNow)
{
    clear(Jump);
    clear(KnockedBack);
    tilt = 0.0f;
    pitch = 0.0f;

    const KindSetup& setup = setupOf(kind);
    if (setup.scaleRule == ScaleRule::Fixed) {
        scaleY = setup.scaleY;
        scaleX = setup.scaleX;
        scaleZ = setup.scaleZ;
    }
    if (setup.maleBones) {
        if (setup.addsMale)
            set(Male);
        bool female = !has(Male) && setup.femaleBones;
        if (!model)
            model = new AnimatedModel;
        model->attachSkeleton(female ? setup.femaleBones : setup.maleBones);
        AnimationSlot slot = female ? setup.femaleAnimation : setup.maleAnimation;
        model->play(AnimationLibrary::instance().get(slot), PlayLoop, 10);
    }
    if (setup.scaleRule == ScaleRule::ByStrength)
        scaleY = scaleX = scaleZ = 1.0f + 0.1f * strength;

    if (loadNow && model) {
        // Show the start pose at once instead of fading into it.
        model->fadeWeight = 1.0f;
        model->computePose();
        model->fadeFrom = nullptr;
    }
}

float Character::radius() const
{
    const KindSetup& setup = setupOf(kind);
    return setup.radiusScalesWithHeight ? setup.radius * scaleY : setup.radius;
}

float Character::walkSpeed() const { return setupOf(kind).walkSpeed; }

float Character::reach(const Character& other) const { return radius() + other.radius() + 0.2f; }

bool Character::inReach() const
{
    if (!target)
        return false;
    return horizontalDistance(x, z, target->x, target->z) < reach(*target);
}
