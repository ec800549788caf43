// The world build's asset step, with every content file missing and with the
// generated content of the run directory.
//
// The caches remember every path for the life of the process, so the test
// with missing files must run before anything loads an animation; it comes
// first in this file and checks that nothing was loaded before it.

#include "support/gl_context.h"

#include "app/world_build.h"
#include "assets/animation.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "assets/mub_model.h"
#include "platform/notice.h"
#include "world/scenery.h"
#include "world/world_generator.h"

#include <GL/gl.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const ExpectedImageOrder[] = {
    "Images/tree.tga",          "Images/TreeBase.tga",      "Images/Birds.tga",
    "Images/Grass.tga",         "Images/Fire.tga",          "Images/Flowers.tga",
    "Images/Plant.tga",         "Images/Pyramid.bmp",       "Images/Bark.bmp",
    "Images/COL.bmp",           "Images/PessentMale2.bmp",  "Images/PessentMale.bmp",
    "Images/PessentFemale.bmp", "Images/ZombieMale.bmp",    "Images/ZombieKing.bmp",
    "Images/Orc.bmp",           "Images/Goblin.bmp",        "Images/Cottage.bmp",
};

const char* const AnimationStems[] = {
    "MaleWalk",   "MaleWalkAfraid",   "MaleAttack",   "MaleIdle",   "MaleDie",
    "MaleSwim",   "MaleSwimAttack",   "MaleFall",     "FemaleWalk", "FemaleWalkAfraid",
    "FemaleAttack", "FemaleIdle",     "FemaleDie",    "FemaleSwim", "FemaleSwimAttack",
    "FemaleFall", "OrcWalk",          "OrcAttack",    "OrcIdle",    "OrcDie",
    "OrcSwim",    "OrcFall",          "GoblinWalk",   "GoblinAttack", "GoblinIdle",
    "GoblinDie",  "GoblinSwim",       "GoblinFall",
};

std::vector<GLuint> sceneryListNames()
{
    return {TreeTrunkList,  TreeTrunkCoarseList,  TreeCrownList,  TreeCrownCoarseList,
            ShrubTrunkList, ShrubTrunkCoarseList, ShrubCrownList, ShrubCrownCoarseList,
            SphereList,     SentryList};
}

// Runs the world build's asset step with an empty working directory.
void buildAssetsWithoutContent()
{
    ScratchDir empty;
    char here[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(empty.path().c_str()), 0);
    buildWorldAssets();
    generateWorld(7);
    drawScenery(385.0f, 395.0f);
    ASSERT_EQ(chdir(here), 0);
}

TEST(WorldAssetsTest, EveryFileMissingIsReportedInTableOrderAndTheWorldStillBuilds)
{
    requireGlContext();
    ASSERT_TRUE(AnimationLibrary::instance().loaded.empty())
        << "an animation was loaded earlier in this process; this test needs fresh caches";
    if (TextureTable[0] == 0)
        glGenTextures(TextureCount, TextureTable);
    clearRecordedNotices();

    buildAssetsWithoutContent();

    const std::vector<Notice>& notices = recordedNotices();
    ASSERT_EQ(notices.size(), 18u + 28u);
    for (size_t i = 0; i < 18; ++i) {
        EXPECT_EQ(notices[i].caption, "BMPOrvel") << "notice " << i;
        EXPECT_EQ(notices[i].text, ExpectedImageOrder[i]) << "notice " << i;
    }
    for (size_t slot = 0; slot < 28; ++slot) {
        const Notice& notice = notices[18 + slot];
        EXPECT_EQ(notice.text, "FileMissing!");
        EXPECT_EQ(notice.caption, std::string("Failed to load animation Data/Animations/") +
                                      AnimationStems[slot] + ".anim");
    }

    // Every slot holds its own (empty) animation, under its own path.
    AnimationLibrary& library = AnimationLibrary::instance();
    std::set<const Animation*> distinct;
    for (int slot = 0; slot < AnimationSlotCount; ++slot) {
        const Animation* animation = library.get(AnimationSlot(slot));
        ASSERT_NE(animation, nullptr) << "slot " << slot;
        EXPECT_TRUE(animation->frames.empty());
        EXPECT_EQ(animation->fileName,
                  std::string("Data/Animations/") + AnimationStems[slot] + ".anim");
        EXPECT_STREQ(AnimationFiles[slot], animation->fileName.c_str());
        distinct.insert(animation);
    }
    EXPECT_EQ(distinct.size(), 28u);
    // A later request for a table path gets the slot's animation, silently.
    EXPECT_EQ(library.load("Data/Animations/OrcIdle.anim"), library.get(OrcIdle));
    EXPECT_EQ(recordedNotices().size(), 18u + 28u);

    ASSERT_NE(cottageModel, nullptr);
    EXPECT_TRUE(cottageModel->positions.empty());
    EXPECT_EQ(cottageModel->fileName, "Data/Objects/Cottage.mub");
    EXPECT_EQ(ModelCache::get("Data/Objects/Cottage.mub", true, false), cottageModel);

    // The asset step leaves modulated texturing on.
    GLint envMode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(envMode, GL_MODULATE);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST(WorldAssetsTest, SceneryListNamesAreConsecutiveDistinctAndNotReusedByModels)
{
    requireGlContext();
    clearRecordedNotices();
    buildWorldAssets();

    const std::vector<GLuint> names = sceneryListNames();
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], names[0] + GLuint(i)) << "list " << i;
        EXPECT_TRUE(glIsList(names[i])) << "list " << i;
    }
    EXPECT_NE(names[0], 0u);

    MubModel later;
    later.compile();
    EXPECT_NE(later.displayList, 0u);
    EXPECT_EQ(std::count(names.begin(), names.end(), later.displayList), 0);

    // A second build (another world in the same process) takes new names.
    const GLuint first = names[0];
    buildWorldAssets();
    EXPECT_NE(TreeTrunkList, first);
    EXPECT_EQ(std::count(names.begin(), names.end(), TreeTrunkList), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(WorldAssetsTest, ContentPresentRaisesNoNotice)
{
    requireGlContext();
    if (TextureTable[0] == 0)
        glGenTextures(TextureCount, TextureTable);
    const bool freshCaches = AnimationLibrary::instance().loaded.empty();
    clearRecordedNotices();
    buildWorldAssets();
    for (const Notice& notice : recordedNotices())
        ADD_FAILURE() << "notice: " << notice.caption << ": " << notice.text;
    EXPECT_TRUE(recordedNotices().empty());
    ASSERT_NE(cottageModel, nullptr);

    // Every slot but the loading screen's now holds a picture.
    for (int slot = 0; slot < TextureCount; ++slot) {
        if (slot == int(TextureSlot::LoadScreen))
            continue;
        bindTexture(TextureSlot(slot));
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_GT(width, 0) << "slot " << slot;
    }
    // What was not yet cached in this process came from the files.
    if (freshCaches) {
        EXPECT_FALSE(cottageModel->positions.empty());
        for (int slot = 0; slot < AnimationSlotCount; ++slot)
            EXPECT_FALSE(AnimationLibrary::instance().get(AnimationSlot(slot))->frames.empty())
                << "slot " << slot;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
