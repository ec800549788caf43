// What Character::draw decides before it draws: the animation a skinned body
// plays for its state and the skin it wears. Pure functions of the record, so
// the choice can be checked without a GL context.
#pragma once

#include "assets/asset_tables.h"
#include "characters/character.h"

// A blendRate of this value leaves the model's cross-fade rate as it is.
constexpr float KeepBlendRate = -1.0f;

struct AnimationChoice {
    bool plays;          // false: the current animation is left alone
    AnimationSlot slot;
    int flags;           // PlayLoop or PlayOnce
    float speed;
    float blendRate;     // or KeepBlendRate
};

// The animation for a skinned kind (Orc, Zombie, Villager, ZombieKing,
// Goblin, DormantZombie) in its current state; plays is false for the rest.
AnimationChoice chooseAnimation(const Character& character);

// The texture a skinned kind is drawn with.
TextureSlot skinOf(const Character& character);
