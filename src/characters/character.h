// Character: the one record of every moving or short-lived thing (the player,
// villagers, monsters, birds, fires, burning trees, pickups). Owned by the
// CharacterList; a character owns its AnimatedModel.
#pragma once

#include <cstdint>

struct AnimatedModel;

enum CharacterKind : uint32_t {
    Orc = 0,
    DormantZombie = 1,
    Zombie = 2,
    Fire = 3,
    Dragon = 5,
    BirdFlock = 7,
    Villager = 8,
    Goblin = 9,
    BurningTree = 10,
    BurningShrub = 11,
    PowerOrb = 13,
    KeyPickup = 14,
    ZombieKing = 15,
};

enum CharacterState : uint32_t {
    Walk = 0,
    WalkBack = 1,
    Rise = 2,
    Dying = 3,
    Stand = 4,
    Attack = 5,
    Idle = 6,
};

enum CharacterFlags : uint32_t {
    Active = 0x1,
    Swimming = 0x2,
    Jump = 0x4,
    Male = 0x8,
    AltSkin = 0x40,
    Falling = 0x100,
    Following = 0x200,
    Burning = 0x800,
    BlowPending = 0x1000,
    KnockedBack = 0x2000,
};

struct Character {
    uint32_t kind;
    float x, y, z;
    float pitch;
    float heading;
    float tilt;
    float scaleY, scaleX, scaleZ;
    float phase;
    float destX, destZ;
    float viewX, viewZ;
    float health;
    uint32_t state;
    float aimPitch;
    float phaseRate;
    float strength;
    float fallSpeed;
    float cameraDistanceSq;
    AnimatedModel* model;
    Character* target;
    uint32_t flags;

    Character();
    ~Character();
    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    bool has(uint32_t flag) const { return (flags & flag) != 0; }
    void set(uint32_t flag) { flags |= flag; }
    void clear(uint32_t flag) { flags &= ~flag; }

    void setKind(uint32_t newKind, bool loadNow);
    void setupKind(bool loadNow);
    float radius() const;
    // Walking speed of the kind, before the halving in water.
    float walkSpeed() const;
    float reach(const Character& other) const;
    // False without a target.
    bool inReach() const;

    bool update(float dt);
    bool think(float dt);
    void strike();
    void takeHit(float damage, Character* attacker, bool knockBack);
    bool afterDeath();
    void draw();
};
