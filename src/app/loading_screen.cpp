#include "app/loading_screen.h"

#include "app/frame_loop.h"
#include "platform/backend.h"

#include <GL/gl.h>

void drawLoadingScreen()
{
    glViewport(0, 0, WindowSize[0], WindowSize[1]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    swapFrameBuffers();
    requestRedisplay();
    GamePhase = 2;
}
