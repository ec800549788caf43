#include "app/frame_loop.h"
#include "app/frame_timer.h"
#include "platform/headless/headless.h"
#include "support/gl_context.h"

#include <GL/gl.h>

#include <array>
#include <cmath>

namespace {

std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

std::array<GLfloat, 16> matrix(GLenum which)
{
    std::array<GLfloat, 16> m{};
    glGetFloatv(which, m.data());
    return m;
}

bool isIdentity(const std::array<GLfloat, 16>& m)
{
    for (int i = 0; i < 16; ++i)
        if (m[i] != ((i % 5 == 0) ? 1.0f : 0.0f))
            return false;
    return true;
}

class FrameLoop : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        setHeadlessStep(0.05);
        initGlState();
    }
};

} // namespace

TEST_F(FrameLoop, StartUpStateIsSetOnce)
{
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[1], 1.0f);
    EXPECT_EQ(clear[0] + clear[2] + clear[3], 0.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat fogEnd = 0;
    glGetFloatv(GL_FOG_END, &fogEnd);
    EXPECT_EQ(fogEnd, 95.0f);
    GLint fogMode = 0;
    glGetIntegerv(GL_FOG_MODE, &fogMode);
    EXPECT_EQ(fogMode, GL_LINEAR);
    GLfloat ambient[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.4f);
    GLint material = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &material);
    EXPECT_EQ(material, GL_AMBIENT_AND_DIFFUSE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FrameLoop, ReshapeBeforeRunningOnlyRecordsTheSize)
{
    GamePhase = 0;
    reshapeWindow(640, 480);
    EXPECT_EQ(WindowSize[0], 640);
    EXPECT_EQ(WindowSize[1], 480);
    EXPECT_EQ(viewport()[2], 800) << "the viewport is left alone";
    EXPECT_TRUE(isIdentity(matrix(GL_PROJECTION_MATRIX)));
}

TEST_F(FrameLoop, ReshapeWhileRunningSetsThePerspective)
{
    GamePhase = 3;
    reshapeWindow(400, 0);
    EXPECT_EQ(WindowSize[1], 0) << "the size is stored as reported";
    const auto v = viewport();
    EXPECT_EQ(v[2], 400);
    EXPECT_EQ(v[3], 1) << "a height of 0 counts as 1";
    const auto p = matrix(GL_PROJECTION_MATRIX);
    // gluPerspective: p[5] = cot(fovy / 2), p[0] = p[5] / aspect.
    const float f = 1.0f / std::tan(35.0f * 3.14159265f / 360.0f);
    EXPECT_NEAR(p[5], f, 1e-4);
    EXPECT_NEAR(p[0], f / 400.0f, 1e-6);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GamePhase = 0;
}

TEST_F(FrameLoop, PhaseMachineShowsLoadingOnceThenBuildsAndRuns)
{
    GamePhase = 0;
    reshapeWindow(800, 600);
    const int framesAtStart = headlessFrameCount();

    displayFrame();
    EXPECT_EQ(GamePhase, 2);
    EXPECT_EQ(headlessFrameCount(), framesAtStart + 1) << "the loading screen is one frame";
    EXPECT_TRUE(isIdentity(matrix(GL_PROJECTION_MATRIX))) << "no projection before the world runs";

    displayFrame();
    EXPECT_EQ(GamePhase, 3);
    EXPECT_EQ(headlessFrameCount(), framesAtStart + 2) << "the build call also runs the first frame";
    EXPECT_EQ(FrameDelta, 0.0f) << "the first running frame has no time step";
    EXPECT_FALSE(isIdentity(matrix(GL_PROJECTION_MATRIX))) << "the perspective is set after the build";
    EXPECT_EQ(viewport()[2], 800);

    const float sinceConstruction = GameTimer.delta();
    displayFrame();
    EXPECT_EQ(GamePhase, 3);
    EXPECT_EQ(headlessFrameCount(), framesAtStart + 3);
    EXPECT_NEAR(FrameDelta, sinceConstruction, 1e-6) << "the second frame sees the build's time";
    EXPECT_GT(FrameDelta, 0.0f);
    EXPECT_NEAR(TimeOfDay, FrameDelta * 0.2f, 1e-6);
}
