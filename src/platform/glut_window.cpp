// The game window's modes and its closing through the window manager: the
// parts of the GLUT back end that go beyond a frame's keys.
#include "platform/glut_window.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int WindowedWidth = 800;
constexpr int WindowedHeight = 600;

void onWindowClosed() { std::exit(0); }

} // namespace

void installCloseCallback() { glutCloseFunc(onWindowClosed); }

void toggleFullScreen()
{
    if (!glutGet(GLUT_FULL_SCREEN)) {
        // Without a window manager freeglut fills the screen from where the
        // window stands, which must be the corner as at start.
        glutPositionWindow(0, 0);
        glutFullScreen();
        glutSetCursor(GLUT_CURSOR_NONE);
        return;
    }
    glutLeaveFullScreen();
    glutReshapeWindow(WindowedWidth, WindowedHeight);
    glutPositionWindow(std::max(0, (glutGet(GLUT_SCREEN_WIDTH) - WindowedWidth) / 2),
                       std::max(0, (glutGet(GLUT_SCREEN_HEIGHT) - WindowedHeight) / 2));
    glutSetCursor(GLUT_CURSOR_INHERIT);
}
