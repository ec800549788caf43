// Bones and animation files: the readers on good and damaged files, and the
// caches that load each file once.
#include "assets/animation.h"
#include "asset_files.h"
#include "platform/notice.h"
#include "support/gl_context.h"

#include <sstream>

using namespace assetfiles;

namespace {

Skeleton readBones(const std::string& bytes)
{
    std::istringstream in(bytes);
    Skeleton skeleton;
    skeleton.read(in);
    return skeleton;
}

Animation readAnimation(const std::string& bytes)
{
    std::istringstream in(bytes);
    Animation animation;
    animation.read(in);
    return animation;
}

std::string threeParts()
{
    return bonesFile({meshBytes("head", triangle(0.1f)), meshBytes("arm", {}),
                      meshBytes("leg", triangle(0.3f))});
}

}

TEST(BonesReader, ReadsPartsInFileOrder)
{
    Skeleton skeleton = readBones(threeParts());
    ASSERT_EQ(skeleton.parts.size(), 3u);
    EXPECT_EQ(skeleton.parts[0]->positions[0][2], 0.1f);
    EXPECT_TRUE(skeleton.parts[1]->positions.empty());
    EXPECT_EQ(skeleton.parts[2]->positions[0][2], 0.3f);
    EXPECT_EQ(skeleton.parts[2]->texCoords.size(), 3u);
    EXPECT_EQ(skeleton.parts[0]->displayList, 0u);   // reading touches no GL
}

TEST(BonesReader, ShortFilesAndHugeCountsKeepOnlyWhatTheFileHolds)
{
    const std::string bytes = threeParts();
    // Ends inside the last part: the first two are whole, the third keeps the
    // vertices it has whole (none here, its normals are cut).
    Skeleton cut = readBones(bytes.substr(0, bytes.size() - 30));
    ASSERT_EQ(cut.parts.size(), 3u);
    EXPECT_EQ(cut.parts[0]->positions.size(), 3u);
    EXPECT_TRUE(cut.parts[2]->positions.empty());

    // Ends right after the second part: no third part is made.
    std::string twoParts = bonesFile({meshBytes("head", triangle(0.1f)), meshBytes("arm", {})}, 3);
    EXPECT_EQ(readBones(twoParts).parts.size(), 2u);

    Skeleton huge = readBones(bonesFile({meshBytes("only", triangle())}, 4000000000LL));
    EXPECT_EQ(huge.parts.size(), 1u);
    EXPECT_LT(huge.parts.capacity(), 100u);

    EXPECT_TRUE(readBones(bonesFile({}, 0)).parts.empty());
    EXPECT_TRUE(readBones("\x02\x00").parts.empty());
    // A part whose name line is too long fails the stream; nothing after it
    // is read.
    Skeleton badName = readBones(bonesFile({meshBytes(std::string(300, 'x'), triangle()),
                                            meshBytes("next", triangle())}));
    ASSERT_EQ(badName.parts.size(), 1u);
    EXPECT_TRUE(badName.parts[0]->positions.empty());
}

TEST(AnimationReader, ReadsFramesTimesAndMatrices)
{
    Animation animation = readAnimation(animationFile({
        {0.5, {translation(1, 2, 3), filled(7)}},
        {1.25, {filled(-1)}},
        {2.0, {}},
    }));
    ASSERT_EQ(animation.frames.size(), 3u);
    EXPECT_EQ(animation.frames[0].time, 0.5);
    EXPECT_EQ(animation.frames[1].time, 1.25);
    ASSERT_EQ(animation.frames[0].matrices.size(), 2u);
    EXPECT_EQ(animation.frames[0].matrices[0][13], 2.0f);
    EXPECT_EQ(animation.frames[0].matrices[1], filled(7));
    EXPECT_EQ(animation.frames[1].matrices, std::vector<Matrix4>({filled(-1)}));
    EXPECT_TRUE(animation.frames[2].matrices.empty());
}

TEST(AnimationReader, ShortFilesAndHugeCountsKeepOnlyWhatTheFileHolds)
{
    const std::string bytes = animationFile({{0.5, {filled(1), filled(2)}}, {1.0, {filled(3)}}});
    // Cut inside frame 1's only matrix: frame 1 exists with no matrix.
    Animation cut = readAnimation(bytes.substr(0, bytes.size() - 10));
    ASSERT_EQ(cut.frames.size(), 2u);
    EXPECT_EQ(cut.frames[0].matrices.size(), 2u);
    EXPECT_EQ(cut.frames[1].time, 1.0);
    EXPECT_TRUE(cut.frames[1].matrices.empty());
    // Cut inside frame 1's time: only frame 0.
    EXPECT_EQ(readAnimation(bytes.substr(0, 4 + 12 + 128 + 3)).frames.size(), 1u);

    Animation manyFrames = readAnimation(animationFile({{0.0, {filled(1)}}}, 4000000000LL));
    EXPECT_EQ(manyFrames.frames.size(), 1u);
    EXPECT_LT(manyFrames.frames.capacity(), 100u);

    std::string manyMatrices = animationFile({{0.0, {filled(1)}}});
    std::memcpy(&manyMatrices[12], "\x00\x28\x6b\xee", 4);   // M = 4e9
    Animation huge = readAnimation(manyMatrices);
    ASSERT_EQ(huge.frames.size(), 1u);
    EXPECT_EQ(huge.frames[0].matrices.size(), 1u);
    EXPECT_LT(huge.frames[0].matrices.capacity(), 100u);

    EXPECT_TRUE(readAnimation("").frames.empty());
}

TEST(AnimationLibrary, LoadsEachFileOnceByExactName)
{
    ScratchDir dir;
    const std::string path = dir.file("Walk.anim");
    writeFile(path, animationFile({{0.0, {filled(1)}}, {1.0, {filled(2)}}}));
    clearRecordedNotices();
    AnimationLibrary& library = AnimationLibrary::instance();
    EXPECT_EQ(&library, &AnimationLibrary::instance());

    Animation* walk = library.load(path.c_str());
    ASSERT_NE(walk, nullptr);
    EXPECT_EQ(walk->fileName, path);
    EXPECT_EQ(walk->frames.size(), 2u);
    // A changed file is not read again.
    writeFile(path, animationFile({{0.0, {filled(9)}}}));
    EXPECT_EQ(library.load(path.c_str()), walk);
    EXPECT_EQ(walk->frames.size(), 2u);

    writeFile(dir.file("walk.anim"), animationFile({{0.0, {filled(9)}}}));
    Animation* lower = library.load(dir.file("walk.anim").c_str());
    EXPECT_NE(lower, walk);
    EXPECT_EQ(lower->frames.size(), 1u);
    EXPECT_TRUE(recordedNotices().empty());
}

TEST(AnimationLibrary, AMissingFileShowsItsWholeNameOnce)
{
    ScratchDir dir;
    const std::string path = dir.file(std::string(200, 'a') + "/" + std::string(240, 'b') + ".anim");
    clearRecordedNotices();
    Animation* missing = AnimationLibrary::instance().load(path.c_str());
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->frames.empty());
    EXPECT_EQ(missing->fileName, path);
    ASSERT_EQ(recordedNotices().size(), 1u);
    EXPECT_EQ(recordedNotices()[0].text, "FileMissing!");
    EXPECT_EQ(recordedNotices()[0].caption, "Failed to load animation " + path);
    EXPECT_EQ(AnimationLibrary::instance().load(path.c_str()), missing);
    EXPECT_EQ(recordedNotices().size(), 1u);
    clearRecordedNotices();
}

class SkeletonLoading : public GlTest {
protected:
    ScratchDir dir;
};

TEST_F(SkeletonLoading, CachedByExactNameWithEveryPartCompiled)
{
    writeFile(dir.file("Male.mub"), threeParts());
    writeFile(dir.file("male.mub"), bonesFile({meshBytes("one", triangle())}));
    clearRecordedNotices();
    Skeleton* male = SkeletonCache::get(dir.file("Male.mub").c_str());
    ASSERT_NE(male, nullptr);
    EXPECT_EQ(male->fileName, dir.file("Male.mub"));
    ASSERT_EQ(male->parts.size(), 3u);
    for (auto& part : male->parts)
        EXPECT_TRUE(glIsList(part->displayList));
    EXPECT_NE(male->parts[0]->displayList, male->parts[1]->displayList);
    EXPECT_EQ(SkeletonCache::get(dir.file("Male.mub").c_str()), male);

    Skeleton* lower = SkeletonCache::get(dir.file("male.mub").c_str());
    EXPECT_NE(lower, male);
    EXPECT_EQ(lower->parts.size(), 1u);

    Skeleton* missing = SkeletonCache::get(dir.file("none.mub").c_str());
    EXPECT_TRUE(missing->parts.empty());
    EXPECT_EQ(SkeletonCache::get(dir.file("none.mub").c_str()), missing);
    EXPECT_TRUE(recordedNotices().empty());
}
