// Content too large for the memory left: the allocation of a picture's
// pixels, a mesh's vertices, a body's parts or an animation's frames fails
// (through this binary's replaced operator new), and that one file fails as
// designed: a picture or animation shows its notice, a mesh or body loads
// empty without one, and loading goes on with the next file.
#include "app/world_build.h"
#include "assets/animation.h"
#include "assets/asset_files.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "failing_allocator.h"
#include "platform/notice.h"
#include "support/gl_context.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace assetfiles;

namespace {

constexpr size_t Limit = 256 * 1024;

// A stream that cannot seek or tell its length, so the readers take their
// length-unknown paths.
struct UnseekableBytes : std::streambuf {
    explicit UnseekableBytes(const std::string& bytes)
    {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }
};

std::string bigBmp() { return bmpFile(512, 512, {}, 0); }                    // 768 KiB of pixels
std::string bigTga() { return tgaFile(512, 512, 32, std::string(1 << 20, '\x7f')); }
std::string smallBmp() { return bmpFile(4, 4, {}, 0); }

std::vector<Vertex> vertices(size_t count)
{
    std::vector<Vertex> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = {{float(i), 0, 0}, {0, 1, 0}, {0, 0}};
    return out;
}

// 30,000 vertices: 360 KB of positions alone.
std::string bigMesh() { return meshBytes("big", vertices(30000)); }
std::string smallMesh() { return meshBytes("small", triangle()); }

std::string animationOf(size_t frames, size_t matrices)
{
    const Frame frame{0.0, std::vector<Matrix>(matrices, translation(1, 2, 3))};
    return animationFile(std::vector<Frame>(frames, frame));
}

class OutOfMemory : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glGenTextures(3, table);
        clearRecordedNotices();
    }
    void TearDown() override { glDeleteTextures(3, table); }

    std::string write(const std::string& name, const std::string& bytes)
    {
        const std::string path = scratch.file(name);
        writeFile(path, bytes);
        return path;
    }

    GLint widthOf(int slot)
    {
        GLint width = -1;
        glBindTexture(GL_TEXTURE_2D, table[slot]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        return width;
    }

    ScratchDir scratch;
    GLuint table[3] = {};
};

TEST_F(OutOfMemory, PicturesTooLargeForTheMemoryLeftFailWithTheirNoticeAndLoadingGoesOn)
{
    const std::string bmp = write("Big.bmp", bigBmp());
    const std::string tga = write("Big.tga", bigTga());
    const std::string small = write("Small.bmp", smallBmp());
    const std::string bmpBytes = bigBmp(), tgaBytes = bigTga();
    UnseekableBytes bmpPipe(bmpBytes), tgaPipe(tgaBytes);
    std::istream bmpIn(&bmpPipe), tgaIn(&tgaPipe);
    {
        MemoryShortAbove shortage(Limit);
        EXPECT_THROW(::operator delete(::operator new(Limit + 1)), std::bad_alloc)
            << "the test's allocator does not fail";

        BmpImage bmpImage;
        EXPECT_FALSE(readBmp(bmp.c_str(), bmpImage));
        EXPECT_TRUE(bmpImage.pixels.empty());
        TgaImage tgaImage;
        EXPECT_FALSE(readTga(tga.c_str(), tgaImage));
        EXPECT_TRUE(tgaImage.pixels.empty());
        // Streams that cannot tell their length are read in growing slices.
        EXPECT_FALSE(readBmp(bmpIn, bmpImage));
        EXPECT_FALSE(readTga(tgaIn, tgaImage));

        loadBmpTexture(bmp.c_str(), table, 0);
        loadTgaTexture(tga.c_str(), table, 1);
        loadBmpTexture(small.c_str(), table, 2);
    }
    const std::vector<Notice>& notices = recordedNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].text, bmp);
    EXPECT_EQ(notices[0].caption, "BMPOrvel");
    EXPECT_EQ(notices[1].text, tga);
    EXPECT_EQ(notices[1].caption, "BMPOrvel");
    EXPECT_EQ(widthOf(0), 0) << "nothing was uploaded for the failed picture";
    EXPECT_EQ(widthOf(1), 0);
    EXPECT_EQ(widthOf(2), 4) << "the next picture loads";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // With the memory back the same files load: they were never damaged.
    loadBmpTexture(bmp.c_str(), table, 0);
    loadTgaTexture(tga.c_str(), table, 1);
    EXPECT_EQ(widthOf(0), 512);
    EXPECT_EQ(widthOf(1), 512);
    EXPECT_EQ(recordedNotices().size(), 2u);
}

TEST_F(OutOfMemory, MeshesAndBodiesTooLargeForTheMemoryLeftLoadEmptyWithoutANotice)
{
    const std::string mesh = write("Big.mub", bigMesh());
    const std::string small = write("Small.mub", smallMesh());
    const std::string bones = write("BigBones.mub", bonesFile({smallMesh(), bigMesh(), smallMesh()}));
    // 60,000 empty parts: the part list alone is larger than the limit.
    const std::string emptyPart = "\n" + std::string(4, '\0');
    const std::string manyParts = write("ManyBones.mub", bonesFile(std::vector<std::string>(60000, emptyPart)));
    const std::string fewParts = write("FewBones.mub", bonesFile({smallMesh(), smallMesh()}));
    std::istringstream bigStream(bigMesh()), smallStream(smallMesh());

    MemoryShortAbove shortage(Limit);
    MubModel* big = ModelCache::get(mesh.c_str(), true, false);
    EXPECT_TRUE(big->positions.empty());
    EXPECT_TRUE(big->normals.empty());
    EXPECT_TRUE(big->texCoords.empty());
    EXPECT_NE(big->displayList, 0u) << "an empty model still has its list, which draws nothing";
    EXPECT_EQ(ModelCache::get(mesh.c_str(), true, false), big);
    EXPECT_EQ(ModelCache::get(small.c_str(), true, false)->positions.size(), 3u);

    MubModel fromStream;
    EXPECT_EQ(fromStream.read(bigStream), ContentFailure::OutOfMemory);
    EXPECT_TRUE(fromStream.positions.empty());
    EXPECT_EQ(fromStream.read(smallStream), ContentFailure::None);

    EXPECT_TRUE(SkeletonCache::get(bones.c_str())->parts.empty()) << "a body keeps the parts before the large one";
    EXPECT_TRUE(SkeletonCache::get(manyParts.c_str())->parts.empty());
    EXPECT_EQ(SkeletonCache::get(fewParts.c_str())->parts.size(), 2u);

    EXPECT_TRUE(recordedNotices().empty());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(OutOfMemory, AnimationsTooLargeForTheMemoryLeftShowTheirNoticeOnceAndHaveNoFrames)
{
    // Two frames of 5,000 matrices: 320 KB per frame. And 30,000 empty
    // frames, whose list alone is larger than the limit.
    const std::string manyMatrices = write("Big.anim", animationOf(2, 5000));
    const std::string manyFrames = write("Long.anim", animationOf(30000, 0));
    const std::string small = write("Small.anim", animationOf(2, 15));
    std::istringstream stream(animationOf(2, 5000));

    AnimationLibrary& library = AnimationLibrary::instance();
    MemoryShortAbove shortage(Limit);
    Animation* big = library.load(manyMatrices.c_str());
    Animation* longOne = library.load(manyFrames.c_str());
    EXPECT_TRUE(big->frames.empty());
    EXPECT_TRUE(longOne->frames.empty());
    EXPECT_EQ(library.load(manyMatrices.c_str()), big) << "a later request gets the same animation";
    EXPECT_EQ(library.load(small.c_str())->frames.size(), 2u) << "the next animation loads";

    const std::vector<Notice>& notices = recordedNotices();
    ASSERT_EQ(notices.size(), 2u) << "one notice per failed file, and none for the one that loaded";
    EXPECT_EQ(notices[0].text, "FileMissing!");
    EXPECT_EQ(notices[0].caption, "Failed to load animation " + manyMatrices);
    EXPECT_EQ(notices[1].caption, "Failed to load animation " + manyFrames);

    Animation fromStream;
    EXPECT_EQ(fromStream.read(stream), ContentFailure::OutOfMemory);
    EXPECT_TRUE(fromStream.frames.empty());
}

off_t fileSize(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

TEST_F(OutOfMemory, TheWorldsAssetsLoadWithOnlyThePicturesTooLargeFailing)
{
    // The real content with 150 KiB the most any one allocation may take:
    // the 256 x 256 skins and the large tree pictures do not fit, everything
    // else does, and the asset step goes on past every failure.
    constexpr size_t WorldLimit = 150 * 1024;
    if (TextureTable[0] == 0)
        glGenTextures(TextureCount, TextureTable);
    std::vector<std::string> expected;
    for (const TextureFile& file : WorldTgaTextures)
        if (fileSize(file.path) - 18 > off_t(WorldLimit))
            expected.push_back(file.path);
    for (const TextureFile& file : WorldBmpTextures)
        if (fileSize(file.path) - 54 > off_t(WorldLimit))
            expected.push_back(file.path);
    ASSERT_GE(expected.size(), 5u) << "the content no longer has pictures above the limit";
    ASSERT_LT(expected.size(), size_t(WorldTgaTextureCount + WorldBmpTextureCount));

    {
        MemoryShortAbove shortage(WorldLimit);
        buildWorldAssets();
    }
    const std::vector<Notice>& notices = recordedNotices();
    ASSERT_EQ(notices.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(notices[i].text, expected[i]);
        EXPECT_EQ(notices[i].caption, "BMPOrvel");
    }
    for (int slot = 0; slot < AnimationSlotCount; ++slot)
        EXPECT_GE(AnimationLibrary::instance().get(AnimationSlot(slot))->frames.size(), 2u) << "slot " << slot;
    ASSERT_NE(cottageModel, nullptr);
    EXPECT_FALSE(cottageModel->positions.empty());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
