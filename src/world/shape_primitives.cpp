#include "world/shape_primitives.h"

#include "assets/asset_tables.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// The round shapes walk their ring from 6.29 + step down to just above zero,
// so the last vertex overlaps the first and the ring closes without a seam.
constexpr float RingStart = 6.29f;
// One over 6.29: texture t runs once round the ring.
constexpr float RingTexScale = 0.15898252f;

constexpr double Pi = 3.14159265358979;

} // namespace

void drawTube(float topRadius, float bottomRadius, float step)
{
    drawSegment(topRadius, topRadius, bottomRadius, bottomRadius, 1.0f, step);
}

void drawSegment(float topRadiusX, float topRadiusZ, float bottomRadiusX, float bottomRadiusZ,
                 float topHeight, float step)
{
    glBegin(GL_TRIANGLE_STRIP);
    for (float angle = RingStart + step; angle > 0.0f; angle -= step) {
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        const float t = angle * RingTexScale;
        glNormal3f(c, 0.0f, s);
        glTexCoord2f(1.0f, t);
        glVertex3f(topRadiusX * c, topHeight, topRadiusZ * s);
        glNormal3f(c, 0.0f, s);
        glTexCoord2f(0.0f, t);
        glVertex3f(bottomRadiusX * c, 0.0f, bottomRadiusZ * s);
    }
    glEnd();
}

namespace {

void drawConeFan(float apexHeight, float rimHeight, float step)
{
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0.0f, -1.0f, 0.0f);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3f(0.0f, apexHeight, 0.0f);
    for (float angle = RingStart + step; angle > 0.0f; angle -= step) {
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        glNormal3f(c, 0.0f, s);
        glTexCoord2f(0.5f * c + 0.5f, 0.5f * s + 0.5f);
        glVertex3f(c, rimHeight, s);
    }
    glEnd();
}

} // namespace

void drawCone(float step) { drawConeFan(1.0f, 0.0f, step); }

void drawInvertedCone(float step) { drawConeFan(0.0f, 1.0f, step); }

void drawSphere(float radius, int bands, int segments)
{
    const double bandAngle = Pi / bands;
    for (int i = 0; i < bands; ++i) {
        const double a = i * bandAngle;
        const double b = a + bandAngle;
        const float tA = 1.0f - float(i) / float(bands);
        const float tB = 1.0f - float(i + 1) / float(bands);
        float s = 0.0f;
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= segments; ++j) {
            // The last column sits exactly on the first so the strip closes.
            const double p = j == segments ? 0.0 : j * 2.0 * Pi / segments;
            const float nxA = float(-std::sin(p) * std::sin(a));
            const float nyA = float(std::cos(p) * std::sin(a));
            const float nzA = float(std::cos(a));
            glTexCoord2f(s, tA);
            glNormal3f(nxA, nyA, nzA);
            glVertex3f(radius * nxA, radius * nyA, radius * nzA);
            const float nxB = float(-std::sin(p) * std::sin(b));
            const float nyB = float(std::cos(p) * std::sin(b));
            const float nzB = float(std::cos(b));
            glTexCoord2f(s, tB);
            glNormal3f(nxB, nyB, nzB);
            glVertex3f(radius * nxB, radius * nyB, radius * nzB);
            s += 1.0f / float(segments);
        }
        glEnd();
    }
}

void drawTreeTrunk(float step)
{
    glColor3f(1.0f, 1.0f, 1.0f);
    bindTexture(TextureSlot::Bark);
    glPushMatrix();
    glColor3f(0.7f, 0.2f, 0.0f);
    glTranslatef(0.0f, -0.3f, 0.0f);
    glScalef(0.2f, 0.6f, 0.2f);
    drawTube(1.0f, 1.0f, step);
    glPopMatrix();
}

void drawTreeCrown(float step)
{
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glEnable(GL_BLEND);
    bindTexture(TextureSlot::TreeBase);
    glPushMatrix();
    glScalef(0.9f, 0.8f, 0.9f);
    drawCone(step);
    glPopMatrix();
    bindTexture(TextureSlot::Tree);
    // Each tier is smaller, turned a quarter and raised on the one below.
    static const float rise[4] = {0.2f, 0.3f, 0.4f, 0.4f};
    for (float d : rise) {
        glScalef(0.85f, 0.8f, 0.85f);
        glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
        glTranslatef(0.0f, d, 0.0f);
        drawCone(step);
    }
    glPopMatrix();
    glDisable(GL_BLEND);
}

void drawShrubTrunk(float step)
{
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    bindTexture(TextureSlot::Bark);
    drawSegment(0.4f, 0.4f, 0.6f, 0.6f, 0.4f, step);
    glTranslatef(0.0f, 0.4f, 0.0f);
    drawSegment(0.0f, 0.0f, 0.4f, 0.4f, 3.5f, step);
    glPopMatrix();
}

void drawShrubCrown(float step)
{
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glEnable(GL_BLEND);
    glTranslatef(0.0f, 0.4f, 0.0f);
    bindTexture(TextureSlot::TreeBase);
    glTranslatef(0.0f, 1.0f, 0.0f);
    glPushMatrix();
    glScalef(2.0f, 2.0f, 2.0f);
    drawCone(step);
    glPopMatrix();
    glTranslatef(0.0f, 1.0f, 0.0f);
    glPushMatrix();
    glScalef(1.5f, 1.5f, 1.5f);
    drawCone(step);
    glPopMatrix();
    glTranslatef(0.0f, 0.8f, 0.0f);
    // The small tip is always drawn fine: it is too small to save anything.
    drawCone(0.4f);
    glDisable(GL_BLEND);
    glPopMatrix();
}

void drawSphereAsset() { drawSphere(0.1f, 6, 13); }

void drawSentryBody()
{
    bindTexture(TextureSlot::Pyramid);
    glColor3f(0.8f, 0.8f, 1.0f);
    glPushMatrix();
    glTranslatef(0.0f, -0.4f, 0.0f);
    drawSegment(0.2f, 0.2f, 0.2f, 0.2f, 1.6f, 1.0f);
    glTranslatef(0.0f, 1.6f, 0.0f);
    drawSegment(0.3f, 0.3f, 0.2f, 0.2f, 0.3f, 1.0f);
    glPopMatrix();
}

namespace {

// Round pieces are compiled at two angular steps: fine near the eye, coarse
// at a distance.
constexpr float FineStep = 1.0f;
constexpr float CoarseStep = 2.0f;

struct SceneryListRecipe {
    GLuint* list;
    void (*draw)(float step);
    float step;
};

void drawSphereFromStep(float) { drawSphereAsset(); }
void drawSentryFromStep(float) { drawSentryBody(); }

// In compile order; the list names are handed out in this order too.
const SceneryListRecipe SceneryLists[SceneryListCount] = {
    {&TreeTrunkList, drawTreeTrunk, FineStep},
    {&TreeTrunkCoarseList, drawTreeTrunk, CoarseStep},
    {&TreeCrownList, drawTreeCrown, FineStep},
    {&TreeCrownCoarseList, drawTreeCrown, CoarseStep},
    {&ShrubTrunkList, drawShrubTrunk, FineStep},
    {&ShrubTrunkCoarseList, drawShrubTrunk, CoarseStep},
    {&ShrubCrownList, drawShrubCrown, FineStep},
    {&ShrubCrownCoarseList, drawShrubCrown, CoarseStep},
    {&SphereList, drawSphereFromStep, FineStep},
    {&SentryList, drawSentryFromStep, FineStep},
};

} // namespace

void compileSceneryLists()
{
    const GLuint first = glGenLists(SceneryListCount);
    for (int i = 0; i < SceneryListCount; ++i)
        *SceneryLists[i].list = first + GLuint(i);
    for (const SceneryListRecipe& recipe : SceneryLists) {
        glNewList(*recipe.list, GL_COMPILE);
        recipe.draw(recipe.step);
        glEndList();
    }
}
