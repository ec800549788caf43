// The loading screen in the headless context: one frame, the picture
// stretched over the whole window, and a white window without the picture.
#include "app/frame_loop.h"
#include "app/loading_screen.h"
#include "assets/image_files.h"
#include "platform/headless/headless.h"
#include "platform/notice.h"
#include "support/gl_context.h"

#include <GL/gl.h>

#include <filesystem>
#include <string>

namespace {

void putLittleEndian(std::string& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(char((value >> (8 * i)) & 0xff));
}

struct Bgr {
    uint8_t b, g, r;
};

// A 24-bit 8 x 8 BMP in quarters: the first stored rows (the bottom of the
// picture) red then blue, the last ones green then yellow.
std::string quarteredBmp()
{
    constexpr int Side = 8;
    const Bgr red{0, 0, 255}, blue{255, 0, 0}, green{0, 255, 0}, yellow{0, 255, 255};
    std::string bytes = "BM";
    putLittleEndian(bytes, 54 + Side * Side * 3, 4);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, 54, 4);
    putLittleEndian(bytes, 40, 4);
    putLittleEndian(bytes, Side, 4);
    putLittleEndian(bytes, Side, 4);
    putLittleEndian(bytes, 1, 2);
    putLittleEndian(bytes, 24, 2);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, Side * Side * 3, 4);
    putLittleEndian(bytes, 2835, 4);
    putLittleEndian(bytes, 2835, 4);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, 0, 4);
    for (int row = 0; row < Side; ++row)
        for (int column = 0; column < Side; ++column) {
            const bool top = row >= Side / 2;
            const bool right = column >= Side / 2;
            const Bgr c = top ? (right ? yellow : green) : (right ? blue : red);
            bytes.push_back(char(c.b));
            bytes.push_back(char(c.g));
            bytes.push_back(char(c.r));
        }
    return bytes;
}

// Runs the loading screen with the given directory as the working
// directory, at the given window size, from GL's start-up state.
class LoadingScreenTest : public ::testing::Test {
protected:
    void show(const ScratchDir& dir, int width, int height)
    {
        requireGlContext(width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.3f, 0.2f, 0.0f); // whatever was left: the screen resets it
        glViewport(0, 0, 1, 1);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glGenTextures(TextureCount, TextureTable);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glEnable(GL_FOG);
        WindowSize[0] = width;
        WindowSize[1] = height;
        GamePhase = 0;
        clearRecordedNotices();
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        frames = headlessFrameCount();
        drawLoadingScreen();
        frames = headlessFrameCount() - frames;
        std::filesystem::current_path(previous);
    }
    void TearDown() override
    {
        glDeleteTextures(TextureCount, TextureTable);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glDisable(GL_TEXTURE_2D);
        requireGlContext();
    }

    int frames = 0;
};

void expectPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    const auto p = readPixel(x, y);
    EXPECT_NEAR(p[0], r, 2) << "at " << x << "," << y;
    EXPECT_NEAR(p[1], g, 2) << "at " << x << "," << y;
    EXPECT_NEAR(p[2], b, 2) << "at " << x << "," << y;
}

} // namespace

TEST_F(LoadingScreenTest, ThePictureIsStretchedOverTheWholeWindowInOneFrame)
{
    ScratchDir dir;
    writeFile(dir.file("Images/LoadScreen.bmp"), quarteredBmp());
    show(dir, 400, 100);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(GamePhase, 2);
    EXPECT_TRUE(recordedNotices().empty());

    // The middle of each quarter of the window shows that quarter of the
    // picture, its first stored rows at the bottom.
    expectPixel(100, 25, 255, 0, 0);
    expectPixel(300, 25, 0, 0, 255);
    expectPixel(100, 75, 0, 255, 0);
    expectPixel(300, 75, 255, 255, 0);
    // The corners are covered: none is left at the clear colour.
    for (auto [x, y] : {std::pair{0, 0}, {399, 0}, {0, 99}, {399, 99}}) {
        const auto p = readPixel(x, y);
        EXPECT_GT(p[0] + p[1] + p[2], 200) << "corner " << x << "," << y;
    }

    // The scene's state comes back for the frames that follow.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(LoadingScreenTest, WithoutThePictureTheWindowIsWhiteAndTheLossReported)
{
    ScratchDir empty;
    show(empty, 200, 150);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(GamePhase, 2);
    EXPECT_FALSE(recordedNotices().empty());
    expectPixel(100, 75, 255, 255, 255);
    expectPixel(0, 0, 255, 255, 255);
    expectPixel(199, 149, 255, 255, 255);
}
