// Loading BMP and TGA files into texture slots, checked in the headless GL
// context by drawing the textures and by reading back GL's texture state.
#include "assets/image_files.h"
#include "asset_files.h"
#include "platform/notice.h"
#include "support/gl_context.h"

using namespace assetfiles;

namespace {

class TextureLoading : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glGenTextures(2, table);
        clearRecordedNotices();
    }
    void TearDown() override
    {
        glDeleteTextures(2, table);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
    }

    // Draws slot 0 over the whole viewport in white, so the picture shows as
    // stored.
    void drawFullScreen()
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, table[0]);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(-1, -1);
        glTexCoord2f(1, 0);
        glVertex2f(1, -1);
        glTexCoord2f(1, 1);
        glVertex2f(1, 1);
        glTexCoord2f(0, 1);
        glVertex2f(-1, 1);
        glEnd();
        glDisable(GL_TEXTURE_2D);
    }

    // Samples the centres of a 2 x 2 texture drawn over 800 x 600; texel (0, 0)
    // is the first stored row's first pixel.
    std::array<uint8_t, 4> texel(int x, int y) { return readPixel(200 + 400 * x, 150 + 300 * y); }

    GLint levelParameter(int level, GLenum name)
    {
        GLint value = -1;
        glBindTexture(GL_TEXTURE_2D, table[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
        return value;
    }

    GLuint table[2] = {};
    ScratchDir dir;
};

void expectColour(const std::array<uint8_t, 4>& got, int r, int g, int b)
{
    EXPECT_NEAR(got[0], r, 3);
    EXPECT_NEAR(got[1], g, 3);
    EXPECT_NEAR(got[2], b, 3);
}

}

TEST_F(TextureLoading, BmpDrawsBlueFirstSamplesInFileRowOrder)
{
    // Bottom row first: blue, green; then red, yellow.
    std::vector<Bgr> pixels = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 255, 255}};
    writeFile(dir.file("four.bmp"), bmpFile(2, 2, pixels, 16));
    loadBmpTexture(dir.file("four.bmp").c_str(), table, 0);
    EXPECT_TRUE(recordedNotices().empty());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    drawFullScreen();
    expectColour(texel(0, 0), 0, 0, 255);
    expectColour(texel(1, 0), 0, 255, 0);
    expectColour(texel(0, 1), 255, 0, 0);
    expectColour(texel(1, 1), 255, 255, 0);

    // The mipmap chain is built, but only the linear filter is used.
    EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), 1);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);
}

TEST_F(TextureLoading, TwentyFourBitTgaDrawsBlueFirstAndUnpaddedRows)
{
    // Rows of 6 bytes: read with padding, the second row would start at the
    // wrong byte.
    std::string data = {'\xff', 0, 0, 0, '\xff', 0, 0, 0, '\xff', 0, '\xff', '\xff'};
    writeFile(dir.file("four.tga"), tgaFile(2, 2, 24, data));
    loadTgaTexture(dir.file("four.tga").c_str(), table, 0);
    EXPECT_TRUE(recordedNotices().empty());
    drawFullScreen();
    expectColour(texel(0, 0), 0, 0, 255);
    expectColour(texel(1, 0), 0, 255, 0);
    expectColour(texel(0, 1), 255, 0, 0);
    expectColour(texel(1, 1), 255, 255, 0);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

TEST_F(TextureLoading, TgaDepthsGiveLuminanceColourAndAlphaTextures)
{
    writeFile(dir.file("grey.tga"), tgaFile(2, 2, 8, {'\x10', '\x20', '\x30', '\x40'}));
    loadTgaTexture(dir.file("grey.tga").c_str(), table, 0);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_LUMINANCE8);
    // Read back unpadded, as the file stores the rows.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> grey(4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, grey.data());
    EXPECT_EQ(grey, std::vector<uint8_t>({0x10, 0x20, 0x30, 0x40}));

    // Blue, green, red, alpha in the file: alpha is kept.
    writeFile(dir.file("alpha.tga"), tgaFile(1, 1, 32, {'\x30', '\x20', '\x10', '\x80'}));
    loadTgaTexture(dir.file("alpha.tga").c_str(), table, 0);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    std::array<uint8_t, 4> rgba{};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    EXPECT_EQ(rgba, (std::array<uint8_t, 4>{0x10, 0x20, 0x30, 0x80}));

    // The origin bit is ignored: a top-down file uploads in file order.
    writeFile(dir.file("topdown.tga"), tgaFile(1, 2, 8, {'\x01', '\x02'}, 0, 0x20));
    loadTgaTexture(dir.file("topdown.tga").c_str(), table, 0);
    std::vector<uint8_t> rows(2);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, rows.data());
    EXPECT_EQ(rows, std::vector<uint8_t>({1, 2}));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(recordedNotices().empty());
}

TEST_F(TextureLoading, FailuresShowTheFileNameAndKeepTheSlotsImage)
{
    writeFile(dir.file("good.bmp"), bmpFile(4, 1, {}, 0));
    loadBmpTexture(dir.file("good.bmp").c_str(), table, 0);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 4);

    std::vector<Bgr> pixels(4, Bgr{1, 2, 3});
    writeFile(dir.file("deep.bmp"), bmpFile(2, 2, pixels, 16, 32));
    writeFile(dir.file("palette.bmp"), bmpFile(2, 2, pixels, 16, 8));
    writeFile(dir.file("short.tga"), tgaFile(2, 2, 24, "abc"));
    const std::string missing = dir.file("Images/Goblin.bmp");
    loadBmpTexture(dir.file("deep.bmp").c_str(), table, 0);
    loadBmpTexture(dir.file("palette.bmp").c_str(), table, 0);
    loadBmpTexture(missing.c_str(), table, 0);
    loadTgaTexture(dir.file("short.tga").c_str(), table, 0);
    const auto& notices = recordedNotices();
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(notices[0].text, dir.file("deep.bmp"));
    EXPECT_EQ(notices[1].text, dir.file("palette.bmp"));
    EXPECT_EQ(notices[2].text, missing);
    EXPECT_EQ(notices[3].text, dir.file("short.tga"));
    for (const Notice& notice : notices)
        EXPECT_EQ(notice.caption, "BMPOrvel");
    // The failed loads left the slot's image alone.
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 4);

    // Loading the slot again replaces its image under the same name.
    GLuint name = table[0];
    writeFile(dir.file("wider.bmp"), bmpFile(8, 1, {}, 0));
    loadBmpTexture(dir.file("wider.bmp").c_str(), table, 0);
    EXPECT_EQ(table[0], name);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 8);

    // GL would refuse a top-down file's negative height: it fails before the
    // upload, with its notice, and the slot keeps its image.
    clearRecordedNotices();
    writeFile(dir.file("topdown.bmp"), bmpFile(2, -2, pixels, 16));
    loadBmpTexture(dir.file("topdown.bmp").c_str(), table, 0);
    ASSERT_EQ(recordedNotices().size(), 1u);
    EXPECT_EQ(recordedNotices()[0].text, dir.file("topdown.bmp"));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 8);
    while (glGetError() != GL_NO_ERROR) {
    }
}
