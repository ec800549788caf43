#include "app/loading_screen.h"

#include "app/frame_loop.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "platform/backend.h"

#include <GL/gl.h>

// The projection is still GL's identity here (the reshape callback leaves it
// alone until the world runs), so the quad is given in device coordinates and
// stretches the picture over the whole window, its first stored row at the
// bottom. Without the picture the quad shows white.
void drawLoadingScreen()
{
    const int slot = int(TextureSlot::LoadScreen);
    loadBmpTexture("Images/LoadScreen.bmp", TextureTable, slot);
    glViewport(0, 0, WindowSize[0], WindowSize[1]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);

    glBindTexture(GL_TEXTURE_2D, TextureTable[slot]);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glEnd();

    glEnable(GL_FOG);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);

    swapFrameBuffers();
    requestRedisplay();
    GamePhase = 2;
}
