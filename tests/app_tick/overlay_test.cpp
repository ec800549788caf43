// The overlay bars read back as pixels from the headless context, under the
// game's perspective projection, and the bar geometry through GL feedback.
#include "app/game_tick.h"
#include "app/overlay.h"
#include "support/gl_context.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

namespace {

constexpr int Width = 800;
constexpr int Height = 600;

struct Rgb {
    int r, g, b;
};

// The extent of the pixels of one colour in the frame.
struct Span {
    int count = 0;
    int minX = Width, maxX = -1, minY = Height, maxY = -1;
};

class OverlayTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(35.0, double(float(Width) / float(Height)), double(0.01f), 2000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_FOG);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        PlayerSnapshot = {};
        PlayerSnapshot.health = 100.0f;
        PlayerSnapshot.strength = 1.0f;
        PlayerPower = 100.0f;
    }
    void TearDown() override
    {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_FOG);
    }

    void drawFrame()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawOverlay();
        pixels.assign(size_t(Width) * Height * 4, 0);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }

    Span spanOf(Rgb colour) const
    {
        Span span;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                const uint8_t* p = &pixels[(size_t(y) * Width + x) * 4];
                if (std::abs(p[0] - colour.r) > 1 || std::abs(p[1] - colour.g) > 1 ||
                    std::abs(p[2] - colour.b) > 1)
                    continue;
                ++span.count;
                span.minX = std::min(span.minX, x);
                span.maxX = std::max(span.maxX, x);
                span.minY = std::min(span.minY, y);
                span.maxY = std::max(span.maxY, y);
            }
        return span;
    }

    std::vector<uint8_t> pixels;
};

const Rgb Red = {255, 0, 0};
const Rgb Blue = {0, 0, 255};
const Rgb DarkRed = {178, 0, 0};
const Rgb Green = {0, 255, 0};

// The window position of an eye-space point under the current matrices.
void project(double x, double y, double z, double& winX, double& winY)
{
    double model[16], projection[16], winZ = 0.0;
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, model, projection, viewport, &winX, &winY, &winZ);
}

// The colours of the polygons drawOverlay sends down the pipeline.
std::vector<Rgb> polygonColours()
{
    std::vector<float> buffer(4096);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    drawOverlay();
    const int used = glRenderMode(GL_RENDER);
    std::vector<Rgb> colours;
    for (int i = 0; i < used;) {
        const int token = int(buffer[size_t(i)]);
        if (token == GL_POLYGON_TOKEN) {
            const int vertices = int(buffer[size_t(i) + 1]);
            const float* v = &buffer[size_t(i) + 2];
            colours.push_back({int(v[3] * 255 + 0.5f), int(v[4] * 255 + 0.5f), int(v[5] * 255 + 0.5f)});
            i += 2 + vertices * 7;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 2;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return colours;
}

int countColour(const std::vector<Rgb>& colours, Rgb wanted)
{
    int n = 0;
    for (const Rgb& c : colours)
        if (std::abs(c.r - wanted.r) <= 1 && c.g == wanted.g && c.b == wanted.b)
            ++n;
    return n;
}

} // namespace

TEST_F(OverlayTest, TheBarsSitWhereTheyShouldAndGrowWithTheirValues)
{
    drawFrame();
    double left = 0, bottom = 0, right = 0, top = 0;
    project(-1.5, -1.04, -4.0, left, bottom);
    project(0.5, -0.96, -4.0, right, top); // health 100: 2 units long
    const Span health = spanOf(Red);
    ASSERT_GT(health.count, 0);
    EXPECT_NEAR(health.minX, left, 1.5);
    EXPECT_NEAR(health.maxX, right, 1.5);
    EXPECT_NEAR(health.minY, bottom, 1.5);
    EXPECT_NEAR(health.maxY, top, 1.5);

    const Span power = spanOf(Blue);
    const Span strength = spanOf(Green);
    ASSERT_GT(power.count, 0);
    ASSERT_GT(strength.count, 0);
    EXPECT_NEAR(power.maxX, (left + right) / 2, 1.5); // 100 x 0.01 = 1 unit
    EXPECT_LT(power.maxY, health.minY);
    EXPECT_LT(strength.maxY, power.minY);
    project(-1.5 + 0.6, 0.0, -4.0, right, top);
    EXPECT_NEAR(strength.maxX, right, 1.5);

    // Power above 200 (the cheat's 300) is drawn longer than full power.
    PlayerPower = 200.0f;
    drawFrame();
    const int fullPower = spanOf(Blue).maxX;
    PlayerPower = 300.0f;
    drawFrame();
    EXPECT_GT(spanOf(Blue).maxX, fullPower + 50);
}

TEST_F(OverlayTest, ZeroHealthDrawsAnEmptyBarAndNegativeHealthNone)
{
    PlayerSnapshot.health = 0.0f;
    PlayerPower = 0.0f;
    drawFrame();
    EXPECT_EQ(spanOf(Red).count, 0);
    EXPECT_EQ(spanOf(Blue).count, 0);
    std::vector<Rgb> colours = polygonColours();
    EXPECT_GT(countColour(colours, Red), 0);
    EXPECT_GT(countColour(colours, Blue), 0);

    PlayerSnapshot.health = -20.0f; // would reach left of the bars if drawn
    drawFrame();
    EXPECT_EQ(spanOf(Red).count, 0);
    colours = polygonColours();
    EXPECT_EQ(countColour(colours, Red), 0);
    EXPECT_GT(countColour(colours, Green), 0);
}

TEST_F(OverlayTest, TheTargetBarShowsOnlyALivingTarget)
{
    PlayerSnapshot.targetHealth = 0.0f;
    drawFrame();
    EXPECT_EQ(spanOf(DarkRed).count, 0);
    PlayerSnapshot.targetHealth = -3.0f;
    drawFrame();
    EXPECT_EQ(spanOf(DarkRed).count, 0);

    PlayerSnapshot.targetHealth = 10.0f;
    drawFrame();
    const Span target = spanOf(DarkRed);
    ASSERT_GT(target.count, 0);
    double left = 0, bottom = 0, right = 0, top = 0;
    project(1.0, 1.05, -4.0, left, bottom);
    project(1.2, 1.13, -4.0, right, top);
    EXPECT_NEAR(target.minX, left, 1.5);
    EXPECT_NEAR(target.maxX, right, 1.5);
    EXPECT_NEAR(target.minY, bottom, 1.5);
    EXPECT_NEAR(target.maxY, top, 1.5);
}

TEST_F(OverlayTest, ColoursHoldAtNightAndUnderWaterAndTheSceneStateComesBack)
{
    // Fog that swallows everything into a dark colour, lighting with no
    // light, and a depth buffer full of nearer things.
    const float night[4] = {0.0f, 0.0f, 0.15f, 0.0f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, night);
    glFogf(GL_FOG_START, -100.0f);
    glFogf(GL_FOG_END, -50.0f);
    glClearDepth(0.0);
    PlayerSnapshot.targetHealth = 30.0f;
    drawFrame();
    glClearDepth(1.0);
    EXPECT_GT(spanOf(Red).count, 0);
    EXPECT_GT(spanOf(Blue).count, 0);
    EXPECT_GT(spanOf(Green).count, 0);
    EXPECT_GT(spanOf(DarkRed).count, 0);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
