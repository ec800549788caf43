#include "characters/character.h"

#include "assets/animation.h"

Character::Character()
    : kind(BirdFlock), x(60), y(0), z(60), pitch(0), heading(0), tilt(0), scaleY(1), scaleX(1),
      scaleZ(1), phase(0), destX(0), destZ(0), viewX(60), viewZ(60), health(35), state(Walk),
      aimPitch(0), phaseRate(3), strength(0), fallSpeed(0), cameraDistanceSq(0), model(nullptr),
      target(nullptr), flags(Active)
{
}

Character::~Character() { delete model; }

void Character::setKind(uint32_t newKind, bool loadNow)
{
    kind = newKind;
    setupKind(loadNow);
}

void Character::setupKind(bool) {}
float Character::radius() const { return 0.3f; }
float Character::reach(const Character& other) const { return radius() + other.radius() + 0.2f; }
bool Character::inReach() const { return false; }
