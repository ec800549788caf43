// The game window's modes, its first frame, its closing through the window
// manager, and frame pacing: the parts of the GLUT back end that go beyond a
// frame's keys.
#include "platform/frame_pacing.h"
#include "platform/glut/glut_window.h"
#include "platform/real_clock.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <GL/glxext.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
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

// Whole-word search of a space-separated extension list.
bool hasExtension(const char* list, const char* name)
{
    const size_t length = std::strlen(name);
    for (const char* at = list; at && (at = std::strstr(at, name)); at += length)
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

template <typename Function>
Function glxFunction(const char* name)
{
    return reinterpret_cast<Function>(glXGetProcAddress(reinterpret_cast<const GLubyte*>(name)));
}

// Swap interval 1 through the first extension the driver offers; false when
// it offers none.
bool requestSwapInterval(Display* display)
{
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (hasExtension(extensions, "GLX_EXT_swap_control")) {
        if (auto swapInterval = glxFunction<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT")) {
            swapInterval(display, glXGetCurrentDrawable(), 1);
            return true;
        }
    }
    if (hasExtension(extensions, "GLX_MESA_swap_control")) {
        auto swapInterval = glxFunction<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA");
        if (swapInterval && swapInterval(1) == 0)
            return true;
    }
    if (hasExtension(extensions, "GLX_SGI_swap_control")) {
        auto swapInterval = glxFunction<PFNGLXSWAPINTERVALSGIPROC>("glXSwapIntervalSGI");
        if (swapInterval && swapInterval(1) == 0)
            return true;
    }
    return false;
}

double modeRate(const XRRScreenResources& resources, RRMode id)
{
    for (int i = 0; i < resources.nmode; ++i) {
        const XRRModeInfo& mode = resources.modes[i];
        if (mode.id != id || mode.hTotal == 0 || mode.vTotal == 0)
            continue;
        double lines = mode.vTotal;
        if (mode.modeFlags & RR_DoubleScan)
            lines *= 2.0;
        if (mode.modeFlags & RR_Interlace)
            lines /= 2.0;
        return double(mode.dotClock) / (double(mode.hTotal) * lines);
    }
    return 0.0;
}

// The refresh rate of the primary output's display, else of the first one
// lit; 0 where XRandR does not tell (the pacer then assumes 60).
double displayRefreshRate(Display* display)
{
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase))
        return 0.0;
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (!resources)
        return 0.0;
    const RROutput primary = XRRGetOutputPrimary(display, root);
    double rate = 0.0;
    for (int i = 0; i < resources->ncrtc; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (!crtc)
            continue;
        const bool showsPrimary = std::find(crtc->outputs, crtc->outputs + crtc->noutput, primary) !=
                                  crtc->outputs + crtc->noutput;
        const double crtcRate = crtc->mode != None ? modeRate(*resources, crtc->mode) : 0.0;
        XRRFreeCrtcInfo(crtc);
        if (crtcRate > 0.0 && (rate == 0.0 || showsPrimary))
            rate = crtcRate;
        if (crtcRate > 0.0 && showsPrimary)
            break;
    }
    XRRFreeScreenResources(resources);
    return rate;
}

// The size of the whole screen or of one lit monitor on it: a window manager
// fills one monitor, freeglut alone the whole screen.
bool fillsAScreen(int width, int height)
{
    if (width == glutGet(GLUT_SCREEN_WIDTH) && height == glutGet(GLUT_SCREEN_HEIGHT))
        return true;
    Display* display = glXGetCurrentDisplay();
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XRRQueryExtension(display, &eventBase, &errorBase))
        return false;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources)
        return false;
    bool fills = false;
    for (int i = 0; i < resources->ncrtc && !fills; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (!crtc)
            continue;
        fills = crtc->mode != None && int(crtc->width) == width && int(crtc->height) == height;
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return fills;
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
    Display* display = glXGetCurrentDisplay();
    if (!display) {
        Pacer.start(0.0, false);
        return;
    }
    const bool swapWaits = requestSwapInterval(display);
    Pacer.start(displayRefreshRate(display), swapWaits);
}

void paceFrame()
{
    const double rest = Pacer.afterSwap(realClockSeconds());
    if (rest > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double>(rest));
}
