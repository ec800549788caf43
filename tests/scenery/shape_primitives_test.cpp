// The shape primitives and scenery pieces, read back through GL feedback:
// where their vertices land, with which texture coordinates and colours.

#include "support/gl_context.h"

#include "feedback.h"

#include "world/shape_primitives.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float Range = 8.0f;   // every piece fits, nothing is clipped

struct Expected {
    float x, y, z, s, t;
};

struct Emitted {
    WorldPoint p;
    float s, t;
    float r, g, b;
};

class ShapeTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        setWorldOrtho(Range);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glColor3f(1.0f, 1.0f, 1.0f);
    }

    // Draws in feedback mode; returns every vertex and the triangle count.
    static std::vector<Emitted> emit(const std::function<void()>& draw, int* polygons = nullptr)
    {
        const FeedbackResult fb = captureFeedback(draw);
        EXPECT_FALSE(fb.overflowed);
        std::vector<Emitted> out;
        for (const auto& polygon : fb.polygons)
            for (const FeedbackVertex& v : polygon)
                out.push_back({toWorld(v, Range), v.s, v.t, v.r, v.g, v.b});
        if (polygons)
            *polygons = int(fb.polygons.size());
        return out;
    }

    static bool near(const Emitted& e, const Expected& x)
    {
        return std::fabs(e.p.x - x.x) < 2e-3f && std::fabs(e.p.y - x.y) < 2e-3f &&
               std::fabs(e.p.z - x.z) < 2e-3f && std::fabs(e.s - x.s) < 1e-4f &&
               std::fabs(e.t - x.t) < 1e-4f;
    }

    // Every emitted vertex is one of the expected ones and every expected one
    // is emitted.
    static void expectSameVertices(const std::vector<Emitted>& got, const std::vector<Expected>& want)
    {
        for (const Expected& w : want) {
            const bool found =
                std::any_of(got.begin(), got.end(), [&](const Emitted& e) { return near(e, w); });
            EXPECT_TRUE(found) << "missing vertex " << w.x << ", " << w.y << ", " << w.z << " tex "
                               << w.s << ", " << w.t;
        }
        for (const Emitted& e : got) {
            const bool known =
                std::any_of(want.begin(), want.end(), [&](const Expected& w) { return near(e, w); });
            EXPECT_TRUE(known) << "unexpected vertex " << e.p.x << ", " << e.p.y << ", " << e.p.z
                               << " tex " << e.s << ", " << e.t;
        }
    }

    static std::vector<float> ringAngles(float step)
    {
        std::vector<float> angles;
        for (float a = 6.29f + step; a > 0.0f; a -= step)
            angles.push_back(a);
        return angles;
    }
};

TEST_F(ShapeTest, TubeAndSegmentRingsOverlapAtTheSeam)
{
    // Step 2 walks 8.29, 6.29, 4.29, 2.29, 0.29: five angles, two vertices
    // each, eight triangles of one strip.
    const std::vector<float> angles = {8.29f, 6.29f, 4.29f, 2.29f, 0.29f};
    const std::vector<float> walked = ringAngles(2.0f);
    ASSERT_EQ(walked.size(), angles.size());
    for (size_t i = 0; i < angles.size(); ++i)
        EXPECT_NEAR(walked[i], angles[i], 1e-5f);
    std::vector<Expected> tube;
    for (float a : angles) {
        const float t = a * 0.15898252f;
        tube.push_back({0.5f * std::cos(a), 1.0f, 0.5f * std::sin(a), 1.0f, t});
        tube.push_back({1.5f * std::cos(a), 0.0f, 1.5f * std::sin(a), 0.0f, t});
    }
    int triangles = 0;
    expectSameVertices(emit([] { drawTube(0.5f, 1.5f, 2.0f); }, &triangles), tube);
    EXPECT_EQ(triangles, 8);

    std::vector<Expected> segment;
    for (float a : angles) {
        const float t = a * 0.15898252f;
        segment.push_back({0.3f * std::cos(a), 2.0f, 0.6f * std::sin(a), 1.0f, t});
        segment.push_back({1.0f * std::cos(a), 0.0f, 0.8f * std::sin(a), 0.0f, t});
    }
    expectSameVertices(emit([] { drawSegment(0.3f, 0.6f, 1.0f, 0.8f, 2.0f, 2.0f); }, &triangles),
                       segment);
    EXPECT_EQ(triangles, 8);

    // Step 1: 7.29 down to 0.29, eight angles.
    emit([] { drawTube(1.0f, 1.0f, 1.0f); }, &triangles);
    EXPECT_EQ(triangles, 14);
}

TEST_F(ShapeTest, ConesFanFromTheirApex)
{
    const std::vector<float> angles = ringAngles(2.0f);
    for (bool inverted : {false, true}) {
        SCOPED_TRACE(inverted ? "inverted cone" : "cone");
        const float apexY = inverted ? 0.0f : 1.0f;
        const float rimY = inverted ? 1.0f : 0.0f;
        std::vector<Expected> want = {{0.0f, apexY, 0.0f, 0.5f, 0.5f}};
        for (float a : angles)
            want.push_back({std::cos(a), rimY, std::sin(a), 0.5f * std::cos(a) + 0.5f,
                            0.5f * std::sin(a) + 0.5f});
        int triangles = 0;
        expectSameVertices(
            emit([inverted] { inverted ? drawInvertedCone(2.0f) : drawCone(2.0f); }, &triangles), want);
        EXPECT_EQ(triangles, 4);
    }
}

TEST_F(ShapeTest, SphereLiesOnItsRadiusAndClosesItsSeam)
{
    const float r = 1.5f;
    const std::vector<Emitted> got = emit([r] { drawSphere(r, 6, 13); });
    ASSERT_FALSE(got.empty());
    bool northPole = false;
    bool southPole = false;
    for (const Emitted& e : got) {
        const float length = std::sqrt(e.p.x * e.p.x + e.p.y * e.p.y + e.p.z * e.p.z);
        EXPECT_NEAR(length, r, 2e-3f);
        // Rows of the texture follow the bands: t is 1 - i / 6.
        const float band = (1.0f - e.t) * 6.0f;
        EXPECT_NEAR(band, std::round(band), 1e-4f);
        EXPECT_GE(e.s, -1e-5f);
        EXPECT_LE(e.s, 1.0f + 1e-5f);
        northPole |= std::fabs(e.p.z - r) < 2e-3f && e.t == 1.0f;
        southPole |= std::fabs(e.p.z + r) < 2e-3f && std::fabs(e.t) < 1e-5f;
    }
    EXPECT_TRUE(northPole);
    EXPECT_TRUE(southPole);
    // On the equator (band 3's lower edge, b = pi / 2) azimuth 0 is (0, r, 0):
    // met by the first column (s 0) and the last (s 1).
    const auto atSeam = [&](float s) {
        return std::any_of(got.begin(), got.end(), [&](const Emitted& e) {
            return std::fabs(e.p.x) < 2e-3f && std::fabs(e.p.y - r) < 2e-3f && std::fabs(e.p.z) < 2e-3f &&
                   std::fabs(e.s - s) < 1e-4f;
        });
    };
    EXPECT_TRUE(atSeam(0.0f));
    EXPECT_TRUE(atSeam(1.0f));
}

TEST_F(ShapeTest, PiecesBuildFromTheirShapes)
{
    int triangles = 0;
    // The trunk: a bark tube of radius 0.2 from -0.3 to 0.3, tinted brown.
    const std::vector<Emitted> trunk = emit([] { drawTreeTrunk(2.0f); }, &triangles);
    EXPECT_EQ(triangles, 8);
    for (const Emitted& e : trunk) {
        EXPECT_NEAR(std::hypot(e.p.x, e.p.z), 0.2f, 2e-3f);
        EXPECT_NEAR(std::fabs(e.p.y), 0.3f, 2e-3f);
        EXPECT_NEAR(e.r, 0.7f, 0.01f);
        EXPECT_NEAR(e.g, 0.2f, 0.01f);
        EXPECT_NEAR(e.b, 0.0f, 0.01f);
    }

    // The tree crown: five cones (step 1: seven triangles each).
    emit([] { drawTreeCrown(1.0f); }, &triangles);
    EXPECT_EQ(triangles, 35);
    emit([] { drawTreeCrown(2.0f); }, &triangles);
    EXPECT_EQ(triangles, 20);

    // The shrub crown: two cones at the given step and a tip always at 0.4
    // (6.69 down to 0.29: seventeen rim vertices, sixteen triangles).
    emit([] { drawShrubCrown(2.0f); }, &triangles);
    EXPECT_EQ(triangles, 4 + 4 + 16);
    const std::vector<Emitted> crown = emit([] { drawShrubCrown(1.0f); }, &triangles);
    EXPECT_EQ(triangles, 7 + 7 + 16);
    float top = -100.0f;
    for (const Emitted& e : crown)
        top = std::max(top, e.p.y);
    EXPECT_NEAR(top, 0.4f + 1.0f + 1.0f + 0.8f + 1.0f, 2e-3f);

    // The shrub trunk: a short flared foot and a tapering spike 3.5 high.
    const std::vector<Emitted> shrubTrunk = emit([] { drawShrubTrunk(2.0f); }, &triangles);
    EXPECT_EQ(triangles, 16);
    top = -100.0f;
    for (const Emitted& e : shrubTrunk)
        top = std::max(top, e.p.y);
    EXPECT_NEAR(top, 3.9f, 2e-3f);

    // The sentry: two tubes at step 1, from -0.4 up to 1.5, tinted blue-white.
    const std::vector<Emitted> sentry = emit([] { drawSentryBody(); }, &triangles);
    EXPECT_EQ(triangles, 28);
    float low = 100.0f;
    top = -100.0f;
    for (const Emitted& e : sentry) {
        low = std::min(low, e.p.y);
        top = std::max(top, e.p.y);
        EXPECT_NEAR(e.b, 1.0f, 0.01f);
        EXPECT_NEAR(e.r, 0.8f, 0.01f);
    }
    EXPECT_NEAR(low, -0.4f, 2e-3f);
    EXPECT_NEAR(top, 1.5f, 2e-3f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
