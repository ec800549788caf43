// The tables that name every picture, animation, skeleton and model the game
// loads, the scenery display lists, and the world build's asset step. Owned
// by the asset tables; the slots are what drawing binds and plays.
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

// "Data/Animations/<stem>.anim" per slot, in slot order.
extern const char* const AnimationFiles[AnimationSlotCount];

// One picture of the world build and the slot it fills.
struct TextureFile {
    const char* path;
    TextureSlot slot;
};

// The world build loads these in this order: every TGA, then every BMP. The
// loading screen's own picture (slot 4) is not among them.
constexpr int WorldTgaTextureCount = 7;
constexpr int WorldBmpTextureCount = 11;
extern const TextureFile WorldTgaTextures[WorldTgaTextureCount];
extern const TextureFile WorldBmpTextures[WorldBmpTextureCount];

extern const char* const CottageModelFile;   // "Data/Objects/Cottage.mub"

// The ten scenery display lists, named by one glGenLists(10) in this order
// and compiled in the same order.
constexpr int SceneryListCount = 10;
extern GLuint TreeTrunkList, TreeTrunkCoarseList, TreeCrownList, TreeCrownCoarseList;
extern GLuint ShrubTrunkList, ShrubTrunkCoarseList, ShrubCrownList, ShrubCrownCoarseList;
extern GLuint SphereList, SentryList;

extern MubModel* cottageModel;

// Binds a slot of the texture table to GL_TEXTURE_2D.
void bindTexture(TextureSlot slot);

// The asset step of the world build comes in two halves, with the scenery
// lists compiled between them (by the world, from its shapes). First every
// texture but the loading screen's and the texture environment; then the
// animation table and the cottage model. Missing files are reported by their
// loaders; neither fails.
void loadWorldTextures();
void loadWorldModels();
