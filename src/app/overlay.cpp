#include "app/overlay.h"

#include "app/game_tick.h"

#include <GL/gl.h>

namespace {

constexpr float BarHalfHeight = 0.04f;
constexpr float BarDepth = -4.0f;

// One flat bar growing to the right from its origin, 0.08 high.
void drawBar(float red, float green, float blue, float originX, float originY, float width)
{
    glPushMatrix();
    glColor3f(red, green, blue);
    glTranslatef(originX, originY, BarDepth);
    glBegin(GL_QUADS);
    glVertex3f(0.0f, -BarHalfHeight, 0.0f);
    glVertex3f(width, -BarHalfHeight, 0.0f);
    glVertex3f(width, BarHalfHeight, 0.0f);
    glVertex3f(0.0f, BarHalfHeight, 0.0f);
    glEnd();
    glPopMatrix();
}

} // namespace

// Drawn in eye space under the game's perspective: the player's bars stacked
// at the lower left, the target's at the upper right. Fog and lighting are off
// so the colours hold at night and under water.
void drawOverlay()
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);

    if (PlayerSnapshot.health >= 0.0f)
        drawBar(1.0f, 0.0f, 0.0f, -1.5f, -1.0f, PlayerSnapshot.health * 0.02f);
    drawBar(0.0f, 0.0f, 1.0f, -1.5f, -1.08f, PlayerPower * 0.01f);
    if (PlayerSnapshot.targetHealth > 0.0f)
        drawBar(0.7f, 0.0f, 0.0f, 1.0f, 1.09f, PlayerSnapshot.targetHealth * 0.02f);
    drawBar(0.0f, 1.0f, 0.0f, -1.5f, -1.16f, PlayerSnapshot.strength * 0.6f);

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_FOG);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}
