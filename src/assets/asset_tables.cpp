#include "assets/asset_tables.h"

#include "assets/animation.h"
#include "assets/image_files.h"
#include "assets/mub_model.h"

static_assert(sizeof(AnimationLibrary::table) / sizeof(Animation*) == AnimationSlotCount,
              "the animation table has one entry per slot");

const char* const AnimationFiles[AnimationSlotCount] = {
    "Data/Animations/MaleWalk.anim",
    "Data/Animations/MaleWalkAfraid.anim",
    "Data/Animations/MaleAttack.anim",
    "Data/Animations/MaleIdle.anim",
    "Data/Animations/MaleDie.anim",
    "Data/Animations/MaleSwim.anim",
    "Data/Animations/MaleSwimAttack.anim",
    "Data/Animations/MaleFall.anim",
    "Data/Animations/FemaleWalk.anim",
    "Data/Animations/FemaleWalkAfraid.anim",
    "Data/Animations/FemaleAttack.anim",
    "Data/Animations/FemaleIdle.anim",
    "Data/Animations/FemaleDie.anim",
    "Data/Animations/FemaleSwim.anim",
    "Data/Animations/FemaleSwimAttack.anim",
    "Data/Animations/FemaleFall.anim",
    "Data/Animations/OrcWalk.anim",
    "Data/Animations/OrcAttack.anim",
    "Data/Animations/OrcIdle.anim",
    "Data/Animations/OrcDie.anim",
    "Data/Animations/OrcSwim.anim",
    "Data/Animations/OrcFall.anim",
    "Data/Animations/GoblinWalk.anim",
    "Data/Animations/GoblinAttack.anim",
    "Data/Animations/GoblinIdle.anim",
    "Data/Animations/GoblinDie.anim",
    "Data/Animations/GoblinSwim.anim",
    "Data/Animations/GoblinFall.anim",
};

const TextureFile WorldTgaTextures[WorldTgaTextureCount] = {
    {"Images/tree.tga", TextureSlot::Tree},
    {"Images/TreeBase.tga", TextureSlot::TreeBase},
    {"Images/Birds.tga", TextureSlot::Birds},
    {"Images/Grass.tga", TextureSlot::Grass},
    {"Images/Fire.tga", TextureSlot::Fire},
    {"Images/Flowers.tga", TextureSlot::Flowers},
    {"Images/Plant.tga", TextureSlot::Plant},
};

const TextureFile WorldBmpTextures[WorldBmpTextureCount] = {
    {"Images/Pyramid.bmp", TextureSlot::Pyramid},
    {"Images/Bark.bmp", TextureSlot::Bark},
    {"Images/COL.bmp", TextureSlot::Col},
    {"Images/PessentMale2.bmp", TextureSlot::PessentMale2},
    {"Images/PessentMale.bmp", TextureSlot::PessentMale},
    {"Images/PessentFemale.bmp", TextureSlot::PessentFemale},
    {"Images/ZombieMale.bmp", TextureSlot::ZombieMale},
    {"Images/ZombieKing.bmp", TextureSlot::ZombieKing},
    {"Images/Orc.bmp", TextureSlot::Orc},
    {"Images/Goblin.bmp", TextureSlot::Goblin},
    {"Images/Cottage.bmp", TextureSlot::Cottage},
};

const char* const CottageModelFile = "Data/Objects/Cottage.mub";

GLuint TreeTrunkList, TreeTrunkCoarseList, TreeCrownList, TreeCrownCoarseList;
GLuint ShrubTrunkList, ShrubTrunkCoarseList, ShrubCrownList, ShrubCrownCoarseList;
GLuint SphereList, SentryList;

MubModel* cottageModel = nullptr;

void bindTexture(TextureSlot slot) { glBindTexture(GL_TEXTURE_2D, TextureTable[int(slot)]); }

void AnimationLibrary::loadTable()
{
    for (int slot = 0; slot < AnimationSlotCount; ++slot)
        table[slot] = load(AnimationFiles[slot]);
}

void loadWorldTextures()
{
    for (const TextureFile& file : WorldTgaTextures)
        loadTgaTexture(file.path, TextureTable, int(file.slot));
    for (const TextureFile& file : WorldBmpTextures)
        loadBmpTexture(file.path, TextureTable, int(file.slot));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
}

void loadWorldModels()
{
    AnimationLibrary::instance().loadTable();
    cottageModel = ModelCache::get(CottageModelFile, true, false);
}
