// The GLUT back end's window system on Linux: the X server's key map, a
// connection of its own for the full-screen keys, GLX's swap control and
// XRandR's modes and monitors.
#include "platform/glut/window_system.h"

#include <GL/glx.h>
#include <GL/glxext.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

// What the game ends with when the X server goes away, so that a launcher or
// a script can tell a lost display from Escape or a closed window (0).
constexpr int DisplayLostStatus = 1;

// Xlib calls this once a connection to the server is broken (the server
// ended, or the link to it) and ends the process if it returns. Its default
// exits through the exit handlers, and there freeglut's own, closing the
// window on the lost display, ran the game's close callback, whose status 0
// then stood. Nothing can be drawn or released on the display any more, so
// the game ends at once, the device's sound and files closed by the system.
int endOnLostDisplay(Display* display)
{
    std::fprintf(stderr, "thornwick: lost the X display %s\n", DisplayString(display));
    std::fflush(stderr);
    std::_Exit(DisplayLostStatus);
}

// Set before main, so that it covers GLUT's connection from glutInit on, and
// the full-screen keys' own; Xlib keeps one handler for all connections.
[[maybe_unused]] const XIOErrorHandler XlibOwnLostDisplayHandler = XSetIOErrorHandler(endOnLostDisplay);

// X keysyms of each key, in the order of Key; the first that maps to a
// keycode on the server is used.
const KeySym KeySyms[int(Key::Count)][2] = {
    {XK_Escape, 0}, {XK_Left, 0}, {XK_Up, 0}, {XK_Right, 0}, {XK_Down, 0},
    {XK_Control_L, XK_Control_R}, {XK_space, 0}, {XK_1, 0}, {XK_2, 0}, {XK_3, 0},
    {XK_4, 0}, {XK_6, 0}, {XK_7, 0}, {XK_8, 0}, {XK_k, 0}, {XK_z, 0}};

KeyCode KeyCodes[int(Key::Count)][2] = {};
bool KeyCodesCached = false;
// The server's key map, read once per frame rather than once per key.
char KeyMap[32] = {};
unsigned KeyMapFrame = ~0u;

// A connection of our own that is sent the window's key events with
// detectable auto-repeat (a held key repeats its press but not its release),
// which each connection sets for itself and freeglut's does not. Freeglut
// takes a release for a repeat when the key is down again by the time it
// reads the release, and so drops a release and a press of a key struck
// faster than it reads them; here every press counts.
Display* ToggleKeyWatch = nullptr;
bool WatchedKeyDown[256] = {};

void cacheKeyCodes(Display* display)
{
    for (int k = 0; k < int(Key::Count); ++k)
        for (int i = 0; i < 2; ++i)
            KeyCodes[k][i] = KeySyms[k][i] ? XKeysymToKeycode(display, KeySyms[k][i]) : 0;
    KeyCodesCached = true;
}

bool isToggleKey(XKeyEvent& key)
{
    const KeySym symbol = XLookupKeysym(&key, 0);
    return symbol == XK_F11 ||
           ((symbol == XK_Return || symbol == XK_KP_Enter) && (key.state & Mod1Mask));
}

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

} // namespace

bool systemKeyHeld(Key key, unsigned frame)
{
    Display* display = glXGetCurrentDisplay();
    if (!display)
        return false;
    if (!KeyCodesCached)
        cacheKeyCodes(display);
    if (KeyMapFrame != frame) {
        XQueryKeymap(display, KeyMap);
        KeyMapFrame = frame;
    }
    for (KeyCode code : KeyCodes[int(key)])
        if (code && (KeyMap[code / 8] & (1 << (code % 8))))
            return true;
    return false;
}

// Without XKB's detectable auto-repeat GLUT's own callbacks count the presses.
bool watchToggleKeys()
{
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || window == None)
        return false;
    ToggleKeyWatch = XOpenDisplay(DisplayString(display));
    if (!ToggleKeyWatch)
        return false;
    Bool detectable = False;
    if (!XkbSetDetectableAutoRepeat(ToggleKeyWatch, True, &detectable) || !detectable) {
        XCloseDisplay(ToggleKeyWatch);
        ToggleKeyWatch = nullptr;
        return false;
    }
    XSelectInput(ToggleKeyWatch, window, KeyPressMask | KeyReleaseMask | FocusChangeMask);
    XFlush(ToggleKeyWatch);
    return true;
}

// A key released while the window had no focus never says so, hence the
// forgetting on each change of focus.
int takeToggleKeyPresses()
{
    int presses = 0;
    if (!ToggleKeyWatch)
        return presses;
    while (XPending(ToggleKeyWatch)) {
        XEvent event;
        XNextEvent(ToggleKeyWatch, &event);
        if (event.type == FocusIn || event.type == FocusOut) {
            std::fill(std::begin(WatchedKeyDown), std::end(WatchedKeyDown), false);
        } else if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
        } else if (event.type == KeyPress || event.type == KeyRelease) {
            bool& down = WatchedKeyDown[event.xkey.keycode & 255];
            const bool repeat = event.type == KeyPress && down;
            down = event.type == KeyPress;
            if (event.type == KeyPress && !repeat && isToggleKey(event.xkey))
                ++presses;
        }
    }
    return presses;
}

// Swap interval 1 through the first extension the driver offers.
bool requestSwapInterval()
{
    Display* display = glXGetCurrentDisplay();
    if (!display)
        return false;
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

// The rate of the primary output's display, else of the first one lit.
double displayRefreshRate()
{
    Display* display = glXGetCurrentDisplay();
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XRRQueryExtension(display, &eventBase, &errorBase))
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

bool isMonitorSize(int width, int height)
{
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
