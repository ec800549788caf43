// The game window's modes, its first frame, its closing through the window
// manager, and frame pacing: the parts of the GLUT back end that go beyond a
// frame's keys.
#include "platform/frame_pacing.h"
#include "platform/glut/glut_window.h"
#include "platform/glut/window_system.h"
#include "platform/real_clock.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr int WindowedWidth = 800;
constexpr int WindowedHeight = 600;

// A window manager that will not fill the screen must not keep the loading
// picture back for longer than this.
constexpr int FirstFrameWaitMs = 2000;
constexpr int FirstFrameRetryMs = 10;

FramePacer Pacer;

void (*GameReshape)(int, int) = nullptr;
void (*GameDisplay)() = nullptr;
int GameWindow = 0;

// The mode the presses of F11 and Alt+Enter ask for. glutGet(GLUT_FULL_SCREEN)
// tells the mode freeglut last set, which it carries out only between frames.
bool WantFullScreen = true;

int ReshapedWidth = 0;
int ReshapedHeight = 0;
bool ReshapedToFullScreen = false;
bool BlankSinceReshape = false;
bool FirstFrameShown = false;
bool FirstFrameRetryPending = false;
int FirstDisplayAt = -1;

void onWindowClosed() { std::exit(0); }

// The size of the whole screen or of one lit monitor on it: a window manager
// fills one monitor, freeglut alone the whole screen.
bool fillsAScreen(int width, int height)
{
    return (width == glutGet(GLUT_SCREEN_WIDTH) && height == glutGet(GLUT_SCREEN_HEIGHT)) ||
           isMonitorSize(width, height);
}

void enterFullScreen()
{
    // Without a window manager freeglut fills the screen from where the
    // window stands, which must be the corner as at start.
    glutPositionWindow(0, 0);
    glutFullScreen();
    glutSetCursor(GLUT_CURSOR_NONE);
}

void leaveFullScreen()
{
    glutLeaveFullScreen();
    glutReshapeWindow(WindowedWidth, WindowedHeight);
    glutPositionWindow(std::max(0, (glutGet(GLUT_SCREEN_WIDTH) - WindowedWidth) / 2),
                       std::max(0, (glutGet(GLUT_SCREEN_HEIGHT) - WindowedHeight) / 2));
    glutSetCursor(GLUT_CURSOR_INHERIT);
}

// At most one change a frame: freeglut carries out the last one before the
// next display call, so its mode is then up to date.
void bringWindowToWantedMode()
{
    if ((glutGet(GLUT_FULL_SCREEN) != 0) == WantFullScreen)
        return;
    if (WantFullScreen)
        enterFullScreen();
    else
        leaveFullScreen();
}

void onReshape(int width, int height)
{
    ReshapedWidth = width;
    ReshapedHeight = height;
    if (!FirstFrameShown) {
        ReshapedToFullScreen = fillsAScreen(width, height);
        BlankSinceReshape = false;
    }
    GameReshape(width, height);
}

void retryFirstFrame(int)
{
    FirstFrameRetryPending = false;
    glutPostWindowRedisplay(GameWindow);
}

// The first display call comes before the window has taken the size of its
// mode (freeglut reports first the size it was created with), and the
// loading picture is drawn only once, over the size last reported.
bool windowHasItsSize()
{
    const int now = glutGet(GLUT_ELAPSED_TIME);
    if (FirstDisplayAt < 0)
        FirstDisplayAt = now;
    if (now - FirstDisplayAt >= FirstFrameWaitMs)
        return true;
    if (WantFullScreen)
        return ReshapedToFullScreen;
    return ReshapedWidth == WindowedWidth && ReshapedHeight == WindowedHeight;
}

// A driver may take the window's size only at a swap (Mesa's software one
// does), and would draw the first frame at the size of the window created.
void swapBlankFrame()
{
    float clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glutSwapBuffers();
}

// True once the window has its size and a blank frame has gone out since.
bool readyForFirstFrame()
{
    if (!windowHasItsSize())
        return false;
    if (BlankSinceReshape)
        return true;
    swapBlankFrame();
    BlankSinceReshape = true;
    return false;
}

void onDisplay()
{
    readToggleKeys();
    bringWindowToWantedMode();
    if (!FirstFrameShown) {
        if (!readyForFirstFrame()) {
            if (!FirstFrameRetryPending)
                glutTimerFunc(FirstFrameRetryMs, retryFirstFrame, 0);
            FirstFrameRetryPending = true;
            return;
        }
        FirstFrameShown = true;
    }
    GameDisplay();
}

} // namespace

void installCloseCallback() { glutCloseFunc(onWindowClosed); }

void installFrameCallbacks(void (*reshape)(int width, int height), void (*display)())
{
    GameReshape = reshape;
    GameDisplay = display;
    GameWindow = glutGetWindow();
    glutReshapeFunc(onReshape);
    glutDisplayFunc(onDisplay);
}

void startFullScreen()
{
    WantFullScreen = true;
    enterFullScreen();
}

void toggleFullScreen() { WantFullScreen = !WantFullScreen; }

void startFramePacing()
{
    const bool swapWaits = requestSwapInterval();
    Pacer.start(displayRefreshRate(), swapWaits);
}

void paceFrame()
{
    const double rest = Pacer.afterSwap(realClockSeconds());
    if (rest > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double>(rest));
}
