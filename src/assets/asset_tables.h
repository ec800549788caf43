// The tables that name every picture, animation, skeleton and model the game
// loads, the scenery display lists, and the world build's asset step.
#pragma once

#include <GL/gl.h>

struct MubModel;

enum class TextureSlot : int {
    Pyramid = 0,
    Tree = 1,
    Birds = 2,
    Col = 3,
    LoadScreen = 4,
    Grass = 5,
    Bark = 6,
    TreeBase = 7,
    Fire = 8,
    Plant = 9,
    Flowers = 10,
    PessentMale = 11,
    PessentFemale = 12,
    ZombieMale = 13,
    PessentMale2 = 14,
    Orc = 15,
    Goblin = 16,
    ZombieKing = 17,
    Cottage = 18,
};

enum AnimationSlot : int {
    MaleWalk, MaleWalkAfraid, MaleAttack, MaleIdle, MaleDie, MaleSwim, MaleSwimAttack, MaleFall,
    FemaleWalk, FemaleWalkAfraid, FemaleAttack, FemaleIdle, FemaleDie, FemaleSwim, FemaleSwimAttack,
    FemaleFall,
    OrcWalk, OrcAttack, OrcIdle, OrcDie, OrcSwim, OrcFall,
    GoblinWalk, GoblinAttack, GoblinIdle, GoblinDie, GoblinSwim, GoblinFall,
    AnimationSlotCount
};

extern const char* const AnimationFiles[AnimationSlotCount];

// The ten scenery display lists, named by one glGenLists(10).
extern GLuint TreeTrunkList, TreeTrunkCoarseList, TreeCrownList, TreeCrownCoarseList;
extern GLuint ShrubTrunkList, ShrubTrunkCoarseList, ShrubCrownList, ShrubCrownCoarseList;
extern GLuint SphereList, SentryList;

extern MubModel* cottageModel;

// Binds a slot of the texture table to GL_TEXTURE_2D.
void bindTexture(TextureSlot slot);

void buildWorldAssets();
