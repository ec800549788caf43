// The generated content, read back through the game's own readers: every
// file of the tables, skeletons and animations that fit each other, the
// cottage, the skins' atlas, the sounds, and repeatable generation.
#include "app/world_build.h"
#include "assets/animation.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "assets/mub_model.h"
#include "body_parts.h"
#include "content_generator.h"
#include "platform/notice.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace {

// One generated tree for the whole binary, removed at exit.
const ScratchDir& generated()
{
    static ScratchDir dir;
    static const bool written = generateContent(dir.path());
    EXPECT_TRUE(written) << "the generator could not write under " << dir.path();
    return dir;
}

std::string pathOf(const std::string& relative)
{
    return generated().file(relative);
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const char* const BonesFiles[] = {"Data/Bones/MaleBones.mub", "Data/Bones/FemaleBones.mub", "Data/Bones/ZombieKingBones.mub",
                                  "Data/Bones/GoblinBones.mub", "Data/Bones/OrcBones.mub"};

const char* const SoundFiles[] = {"Orc", "OrcDie", "Wind", "Bubbles", "Zombie", "ZombieDie", "Splash", "SplashOut",
                                  "Fall", "Goblin", "Goblin2", "GoblinDie", "GoblinFight", "Intro", "FoundKey"};

// Which animation slots each skeleton plays.
struct SetOnSkeleton {
    const char* bones;
    int first, last;
};
const SetOnSkeleton Sets[] = {{"Data/Bones/MaleBones.mub", 0, 7}, {"Data/Bones/ZombieKingBones.mub", 0, 7},
                              {"Data/Bones/FemaleBones.mub", 8, 15}, {"Data/Bones/OrcBones.mub", 16, 21},
                              {"Data/Bones/GoblinBones.mub", 22, 27}};

Skeleton* skeletonOf(const char* bones)
{
    return SkeletonCache::get(pathOf(bones).c_str());
}

Animation* animationOf(int slot)
{
    return AnimationLibrary::instance().load(pathOf(AnimationFiles[slot]).c_str());
}

// Lowest and highest y of a skeleton posed by one frame.
std::pair<float, float> heightRange(const Skeleton& skeleton, const AnimationFrame& frame)
{
    float low = 1e9f, high = -1e9f;
    for (size_t i = 0; i < skeleton.parts.size(); ++i) {
        const Matrix4& m = frame.matrices[i];
        for (const auto& p : skeleton.parts[i]->positions) {
            float y = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
            low = std::min(low, y);
            high = std::max(high, y);
        }
    }
    return {low, high};
}

float matrixDistance(const Matrix4& a, const Matrix4& b)
{
    float d = 0;
    for (int i = 0; i < 16; ++i)
        d = std::max(d, std::fabs(a[i] - b[i]));
    return d;
}

float frameDistance(const AnimationFrame& a, const AnimationFrame& b, size_t parts)
{
    float d = 0;
    for (size_t i = 0; i < parts; ++i)
        d = std::max(d, matrixDistance(a.matrices[i], b.matrices[i]));
    return d;
}

bool isPowerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

}

class ContentFiles : public GlTest {};

TEST_F(ContentFiles, GameReadersLoadEveryTableFileWithoutNotice)
{
    clearRecordedNotices();
    for (const TextureFile& file : WorldTgaTextures) {
        loadTgaTexture(pathOf(file.path).c_str(), TextureTable, int(file.slot));
        GLint width = 0, height = 0, format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &format);
        EXPECT_TRUE(isPowerOfTwo(width) && isPowerOfTwo(height)) << file.path;
        EXPECT_GT(format, 0) << file.path << " lost its alpha";
    }
    std::vector<const char*> bmps;
    for (const TextureFile& file : WorldBmpTextures)
        bmps.push_back(file.path);
    bmps.push_back("Images/LoadScreen.bmp");
    for (const char* path : bmps) {
        loadBmpTexture(pathOf(path).c_str(), TextureTable, int(TextureSlot::LoadScreen));
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_GT(width, 0) << path;
    }
    for (int slot = 0; slot < AnimationSlotCount; ++slot)
        EXPECT_GE(animationOf(slot)->frames.size(), 2u) << AnimationFiles[slot];
    for (const char* bones : BonesFiles) {
        size_t parts = skeletonOf(bones)->parts.size();
        EXPECT_TRUE(parts >= 12 && parts <= 16) << bones << " has " << parts << " parts";
    }
    EXPECT_GT(ModelCache::get(pathOf(CottageModelFile).c_str(), true, false)->positions.size(), 100u);
    EXPECT_TRUE(recordedNotices().empty()) << recordedNotices().front().text;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The build step wrote the tree where the game runs, under the table's names.
TEST_F(ContentFiles, RunDirectoryHoldsTheTreeTheWorldBuildLoads)
{
    std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(THORNWICK_RUN_DIR), 0);
    clearRecordedNotices();
    buildWorldAssets();
    loadBmpTexture("Images/LoadScreen.bmp", TextureTable, int(TextureSlot::LoadScreen));
    for (const char* bones : BonesFiles)
        EXPECT_EQ(SkeletonCache::get(bones)->parts.size(), size_t(BodyPartCount)) << bones;
    for (const char* sound : SoundFiles)
        EXPECT_TRUE(std::filesystem::exists(std::string("Sounds/") + sound + ".wav")) << sound;
    EXPECT_GT(cottageModel->positions.size(), 100u);
    EXPECT_TRUE(recordedNotices().empty()) << recordedNotices().front().text;
    ASSERT_EQ(chdir(previous.c_str()), 0);
}

TEST_F(ContentFiles, AnimationsFitEverySkeletonTheyArePlayedOn)
{
    for (const SetOnSkeleton& set : Sets) {
        Skeleton* skeleton = skeletonOf(set.bones);
        ASSERT_FALSE(skeleton->parts.empty()) << set.bones;
        for (int slot = set.first; slot <= set.last; ++slot) {
            Animation* animation = animationOf(slot);
            ASSERT_GE(animation->frames.size(), 2u) << AnimationFiles[slot];
            for (size_t f = 0; f < animation->frames.size(); ++f)
                EXPECT_GE(animation->frames[f].matrices.size(), skeleton->parts.size())
                    << AnimationFiles[slot] << " frame " << f << " on " << set.bones;
        }
    }
}

// A blow lands when the attacker's animation reaches frame 11, so the swing
// must reach its furthest forward there.
TEST_F(ContentFiles, AttacksStrikeAroundFrameEleven)
{
    for (int slot : {int(MaleAttack), int(MaleSwimAttack), int(FemaleAttack), int(FemaleSwimAttack), int(OrcAttack),
                     int(GoblinAttack)}) {
        Animation* animation = animationOf(slot);
        ASSERT_GE(animation->frames.size(), 16u) << AnimationFiles[slot];
        EXPECT_LE(animation->frames.size(), 20u) << AnimationFiles[slot];
        size_t furthest = 0;
        float bestX = 1e9f;
        for (size_t f = 0; f < animation->frames.size(); ++f) {
            float x = animation->frames[f].matrices[PartHandRight][12];   // forward is -x
            if (x < bestX) {
                bestX = x;
                furthest = f;
            }
        }
        EXPECT_GE(furthest, 9u) << AnimationFiles[slot];
        EXPECT_LE(furthest, 12u) << AnimationFiles[slot];
    }
}

TEST_F(ContentFiles, DyingEndsLyingOnTheGroundAndStartsStanding)
{
    for (const SetOnSkeleton& set : Sets) {
        Skeleton* skeleton = skeletonOf(set.bones);
        int die = set.first == 0 ? MaleDie : set.first == 8 ? FemaleDie : set.first == 16 ? OrcDie : GoblinDie;
        Animation* animation = animationOf(die);
        auto [startLow, startHigh] = heightRange(*skeleton, animation->frames.front());
        auto [endLow, endHigh] = heightRange(*skeleton, animation->frames.back());
        EXPECT_GT(startHigh, 1.8f) << set.bones;
        EXPECT_NEAR(startLow, 0.0f, 0.1f) << set.bones << " does not stand on the ground";
        EXPECT_LT(endHigh, 1.0f) << AnimationFiles[die] << " on " << set.bones << " does not end lying down";
        EXPECT_GT(endLow, -0.3f) << AnimationFiles[die] << " on " << set.bones << " sinks into the ground";
    }
}

// Looping animations flow from their last frame back to their first: that
// step is no bigger than the biggest step inside the loop.
TEST_F(ContentFiles, LoopsCloseWithoutAJump)
{
    for (int slot = 0; slot < AnimationSlotCount; ++slot) {
        if (slot == MaleDie || slot == FemaleDie || slot == OrcDie || slot == GoblinDie)
            continue;
        const auto& frames = animationOf(slot)->frames;
        float largest = 0;
        for (size_t f = 0; f + 1 < frames.size(); ++f)
            largest = std::max(largest, frameDistance(frames[f], frames[f + 1], BodyPartCount));
        EXPECT_LE(frameDistance(frames.back(), frames.front(), BodyPartCount), largest * 1.5f + 1e-4f)
            << AnimationFiles[slot];
    }
}

// At the playback speeds the characters use, a planted foot moves back as
// fast as the ground passes, so walkers do not skate.
TEST_F(ContentFiles, WalkingFeetKeepPaceWithTheGround)
{
    struct Walk {
        int slot;
        float groundPerFrame;   // world speed / (drawn scale x frames per second)
    };
    const Walk walks[] = {{MaleWalk, 7.0f / (0.6f * 30)}, {FemaleWalk, 7.0f / (0.6f * 30)},
                          {OrcWalk, 5.6f / (0.72f * 20)}, {GoblinWalk, 3.0f / (0.6f * 20)}};
    for (const Walk& walk : walks) {
        const auto& frames = animationOf(walk.slot)->frames;
        for (int foot : {int(PartFootLeft), int(PartFootRight)}) {
            float ground = 1e9f;
            for (const auto& f : frames)
                ground = std::min(ground, f.matrices[size_t(foot)][13]);
            int planted = 0;
            for (size_t i = 0; i + 1 < frames.size(); ++i) {
                const Matrix4& a = frames[i].matrices[size_t(foot)];
                const Matrix4& b = frames[i + 1].matrices[size_t(foot)];
                if (a[13] > ground + 0.01f || b[13] > ground + 0.01f)
                    continue;
                ++planted;
                EXPECT_NEAR(b[12] - a[12], walk.groundPerFrame, walk.groundPerFrame * 0.15f)
                    << AnimationFiles[walk.slot] << " frame " << i;
            }
            EXPECT_GE(planted, 1) << AnimationFiles[walk.slot] << " never plants a foot";
        }
    }
}

TEST_F(ContentFiles, CottageIsAboutSevenBySevenBySixOnItsOrigin)
{
    MubModel* cottage = ModelCache::get(pathOf(CottageModelFile).c_str(), true, false);
    ASSERT_FALSE(cottage->positions.empty());
    EXPECT_EQ(cottage->positions.size() % 3, 0u);
    std::array<float, 3> low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
    for (const auto& p : cottage->positions)
        for (int a = 0; a < 3; ++a) {
            low[size_t(a)] = std::min(low[size_t(a)], p[size_t(a)]);
            high[size_t(a)] = std::max(high[size_t(a)], p[size_t(a)]);
        }
    EXPECT_NEAR(high[0] - low[0], 7.0f, 0.9f);
    EXPECT_NEAR(high[2] - low[2], 7.0f, 0.9f);
    EXPECT_NEAR(high[1], 6.0f, 0.5f);
    EXPECT_NEAR(low[1], 0.0f, 0.05f);
    EXPECT_NEAR(low[0] + high[0], 0.0f, 0.3f);
    EXPECT_NEAR(low[2] + high[2], 0.0f, 0.3f);
    for (const auto& t : cottage->texCoords)
        EXPECT_TRUE(t[0] >= 0 && t[0] <= 1 && t[1] >= 0 && t[1] <= 1);
    for (const auto& n : cottage->normals)
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-3f);
}

// Every skin is the atlas the parts' coordinates assume: its size, every
// coordinate inside it, and the front of each head on the face.
TEST_F(ContentFiles, SkinsHaveTheAtlasThePartsMapInto)
{
    for (const char* skin : {"Images/PessentMale.bmp", "Images/PessentMale2.bmp", "Images/PessentFemale.bmp", "Images/ZombieMale.bmp",
                             "Images/ZombieKing.bmp", "Images/Orc.bmp", "Images/Goblin.bmp"}) {
        BmpImage image;
        ASSERT_TRUE(readBmp(pathOf(skin).c_str(), image)) << skin;
        EXPECT_EQ(image.width, SkinSize) << skin;
        EXPECT_EQ(image.height, SkinSize) << skin;
    }
    const SkinRegion& head = SkinAreas[AreaHead];
    float faceLeft = (float(head.x) + 0.375f * float(head.w)) / SkinSize;
    float faceRight = (float(head.x) + 0.625f * float(head.w)) / SkinSize;
    for (const char* bones : BonesFiles) {
        Skeleton* skeleton = skeletonOf(bones);
        ASSERT_EQ(skeleton->parts.size(), size_t(BodyPartCount)) << bones;
        for (const auto& part : skeleton->parts)
            for (const auto& t : part->texCoords)
                ASSERT_TRUE(t[0] >= 0 && t[0] <= 1 && t[1] >= 0 && t[1] <= 1) << bones;
        const MubModel& headPart = *skeleton->parts[PartHead];
        float front = 0, top = 0;
        for (const auto& p : headPart.positions)
            top = std::max(top, p[1]);
        for (size_t v = 0; v < headPart.positions.size(); ++v)
            if (headPart.texCoords[v][1] > 1.0f - float(head.y + head.h) / SkinSize && headPart.texCoords[v][1] < 1.0f - float(head.y) / SkinSize)
                front = std::min(front, headPart.positions[v][0]);
        int onFace = 0, frontVertices = 0;
        for (size_t v = 0; v < headPart.positions.size(); ++v) {
            const auto& p = headPart.positions[v];
            const auto& t = headPart.texCoords[v];
            bool headArea = t[1] > 1.0f - float(head.y + head.h) / SkinSize && t[0] < float(head.x + head.w) / SkinSize;
            if (!headArea || p[0] > front * 0.9f || p[1] < top * 0.3f || p[1] > top * 0.7f)
                continue;
            ++frontVertices;
            onFace += t[0] >= faceLeft && t[0] <= faceRight;
        }
        EXPECT_GT(frontVertices, 0) << bones;
        EXPECT_EQ(onFace, frontVertices) << bones << ": the front of the head is not mapped on the face";
    }
}

TEST(ContentPictures, BillboardsAndFoliageHaveSoftAlphaAndPowerOfTwoSides)
{
    for (const TextureFile& file : WorldTgaTextures) {
        std::string bytes = slurp(pathOf(file.path));
        ASSERT_GE(bytes.size(), 18u) << file.path;
        int width = uint8_t(bytes[12]) | uint8_t(bytes[13]) << 8, height = uint8_t(bytes[14]) | uint8_t(bytes[15]) << 8;
        EXPECT_EQ(bytes[2], 2) << file.path;
        EXPECT_EQ(uint8_t(bytes[16]), 32) << file.path;
        EXPECT_TRUE(isPowerOfTwo(width) && isPowerOfTwo(height)) << file.path;
        ASSERT_EQ(bytes.size(), 18u + size_t(width) * size_t(height) * 4) << file.path;
        int clear = 0, solid = 0, soft = 0;
        for (size_t i = 18 + 3; i < bytes.size(); i += 4) {
            uint8_t a = uint8_t(bytes[i]);
            clear += a == 0;
            solid += a == 255;
            soft += a > 0 && a < 255;
        }
        EXPECT_GT(clear, width * height / 20) << file.path << " has no transparent background";
        EXPECT_GT(solid, width * height / 50) << file.path;
        EXPECT_GT(soft, width / 2) << file.path << " has hard alpha edges";
    }
}

namespace {

struct WavInfo {
    int channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};

bool parseWav(const std::string& bytes, WavInfo& info)
{
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    auto u32 = [&](size_t at) { return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 | uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24; };
    auto u16 = [&](size_t at) { return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); };
    size_t at = 12;
    bool format = false;
    while (at + 8 <= bytes.size()) {
        uint32_t size = u32(at + 4);
        if (at + 8 + size > bytes.size())
            return false;
        if (bytes.compare(at, 4, "fmt ") == 0) {
            if (u16(at + 8) != 1)
                return false;
            info.channels = u16(at + 10);
            info.rate = int(u32(at + 12));
            info.bits = u16(at + 22);
            format = true;
        } else if (bytes.compare(at, 4, "data") == 0 && format) {
            info.samples.resize(size / 2);
            std::memcpy(info.samples.data(), bytes.data() + at + 8, info.samples.size() * 2);
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

}

TEST(ContentSounds, EverySoundDecodesLastsItsTimeAndStaysBelowFullScale)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
    const std::map<std::string, std::pair<float, float>> ranges = {
        {"Wind", {3.0f, 5.0f}}, {"Intro", {8.0f, 15.0f}}, {"FoundKey", {2.0f, 4.0f}}};
    const float limit = 32768.0f * std::pow(10.0f, -1.0f / 20.0f);   // -1 dBFS
    for (const char* name : SoundFiles) {
        std::string path = pathOf(std::string("Sounds/") + name + ".wav");
        Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
        EXPECT_NE(chunk, nullptr) << name << ": " << Mix_GetError();
        if (chunk)
            Mix_FreeChunk(chunk);
        WavInfo wav;
        ASSERT_TRUE(parseWav(slurp(path), wav)) << name;
        EXPECT_EQ(wav.bits, 16) << name;
        EXPECT_EQ(wav.rate, 44100) << name;
        ASSERT_TRUE(wav.channels == 1 || wav.channels == 2) << name;
        float seconds = float(wav.samples.size()) / float(wav.channels * wav.rate);
        auto range = ranges.count(name) ? ranges.at(name) : std::pair{0.3f, 2.0f};
        EXPECT_GE(seconds, range.first) << name;
        EXPECT_LE(seconds, range.second) << name;
        int peak = 0;
        for (int16_t s : wav.samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_LE(float(peak), limit) << name;
        EXPECT_GT(peak, 3000) << name << " is nearly silent";
        // No clicks: both ends start and finish at rest.
        EXPECT_LT(std::abs(int(wav.samples.front())), 200) << name;
        EXPECT_LT(std::abs(int(wav.samples.back())), 200) << name;
        size_t edge = size_t(wav.rate * wav.channels) / 500;   // 2 ms
        for (size_t i = 0; i < edge; ++i)
            EXPECT_LT(std::abs(int(wav.samples[wav.samples.size() - 1 - i])), 3000) << name;
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

TEST(ContentGeneration, RunsTwiceToTheSameBytes)
{
    ScratchDir second;
    ASSERT_TRUE(generateContent(second.path()));
    std::map<std::string, std::string> first;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(generated().path()))
        if (entry.is_regular_file())
            first[std::filesystem::relative(entry.path(), generated().path()).string()] = slurp(entry.path().string());
    size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(second.path())) {
        if (!entry.is_regular_file())
            continue;
        std::string name = std::filesystem::relative(entry.path(), second.path()).string();
        ++count;
        ASSERT_TRUE(first.count(name)) << name;
        EXPECT_TRUE(first[name] == slurp(entry.path().string())) << name << " differs between runs";
    }
    // 19 pictures, the cottage, 5 skeletons, 28 animations, 15 sounds.
    EXPECT_EQ(count, 68u);
    EXPECT_EQ(first.size(), 68u);
}
