// The game's entry point: one GLUT window, the fixed GL state, then GLUT's
// main loop, which calls the display callback for as long as the game runs.
#include "app/frame_loop.h"
#include "assets/image_files.h"
#include "platform/gamepad.h"
#include "platform/glut/glut_window.h"
#include "platform/notice.h"

#include <GL/freeglut.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(800, 600);
    glutCreateWindow("Thornwick");
    installFrameCallbacks(reshapeWindow, displayFrame);
    installKeyCallbacks();
    installCloseCallback();
    enableNoticeDialogs(true);
    // Pads close after the game is released (exit handlers run last first).
    if (openGamepads())
        std::atexit(closeGamepads);
    // Registered after glutInit so it runs before freeglut's own exit
    // handler, while the context and the audio device still exist.
    std::atexit(releaseGame);
    initGlState();
    startFramePacing();
    startFullScreen();
    glutMainLoop();
    glDeleteTextures(TextureCount, TextureTable);
    return 0;
}
