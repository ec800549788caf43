// The GLUT back end's keys, frame swap, clock and seed; F11 and Alt+Enter
// are read here and carried out by glut_window.cpp.
#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/glut/glut_window.h"
#include "platform/keys.h"
#include "platform/real_clock.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <ctime>
#include <iterator>

namespace {

// X keysyms of each key, in the order of Key; the first that maps to a
// keycode on the server is used.
const KeySym KeySyms[int(Key::Count)][2] = {
    {XK_Escape, 0}, {XK_Left, 0}, {XK_Up, 0}, {XK_Right, 0}, {XK_Down, 0},
    {XK_Control_L, XK_Control_R}, {XK_space, 0}, {XK_1, 0}, {XK_2, 0}, {XK_3, 0},
    {XK_4, 0}, {XK_6, 0}, {XK_7, 0}, {XK_8, 0}, {XK_k, 0}, {XK_z, 0}};

KeyCode KeyCodes[int(Key::Count)][2] = {};
bool KeyCodesCached = false;
bool Latched[int(Key::Count)] = {};
// The server's key map, read once per frame rather than once per key.
char KeyMap[32] = {};
unsigned KeyMapFrame = ~0u;
unsigned FrameNumber = 0;

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

void latch(Key key) { Latched[int(key)] = true; }

// With Control held, letters and digits arrive as control characters
// (Control+3 is 27, like Escape), so the character alone never decides.
void latchCharacter(unsigned char c, bool control)
{
    if (control) {
        switch (c) {
        case 11: latch(Key::K); return;
        case 26: latch(Key::Z); return;
        case 27: latch(Key::Digit3); return;
        case 28: latch(Key::Digit4); return;
        case 30: latch(Key::Digit6); return;
        case 31: latch(Key::Digit7); return;
        case 127: latch(Key::Digit8); return;
        default: break;
        }
    }
    switch (c) {
    case 27: if (!control) latch(Key::Escape); return;
    case ' ': latch(Key::Space); return;
    case '1': latch(Key::Digit1); return;
    case '2': latch(Key::Digit2); return;
    case '3': latch(Key::Digit3); return;
    case '4': latch(Key::Digit4); return;
    case '6': latch(Key::Digit6); return;
    case '7': latch(Key::Digit7); return;
    case '8': latch(Key::Digit8); return;
    case 'k': case 'K': latch(Key::K); return;
    case 'z': case 'Z': latch(Key::Z); return;
    default: return;
    }
}

void onKeyboard(unsigned char c, int, int)
{
    const int modifiers = glutGetModifiers();
    if (c == '\r' && (modifiers & GLUT_ACTIVE_ALT)) {
        if (!ToggleKeyWatch)
            toggleFullScreen();
        return;
    }
    latchCharacter(c, (modifiers & GLUT_ACTIVE_CTRL) != 0);
}

void onSpecial(int key, int, int)
{
    switch (key) {
    case GLUT_KEY_LEFT: latch(Key::Left); return;
    case GLUT_KEY_UP: latch(Key::Up); return;
    case GLUT_KEY_RIGHT: latch(Key::Right); return;
    case GLUT_KEY_DOWN: latch(Key::Down); return;
    case GLUT_KEY_CTRL_L:
    case GLUT_KEY_CTRL_R: latch(Key::Control); return;
    case GLUT_KEY_F11:
        if (!ToggleKeyWatch)
            toggleFullScreen();
        return;
    default: return;
    }
}

// With the window created and its context current; without XKB's
// detectable auto-repeat GLUT's own callbacks count the presses.
void watchToggleKeys()
{
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (!display || window == None)
        return;
    ToggleKeyWatch = XOpenDisplay(DisplayString(display));
    if (!ToggleKeyWatch)
        return;
    Bool detectable = False;
    if (!XkbSetDetectableAutoRepeat(ToggleKeyWatch, True, &detectable) || !detectable) {
        XCloseDisplay(ToggleKeyWatch);
        ToggleKeyWatch = nullptr;
        return;
    }
    XSelectInput(ToggleKeyWatch, window, KeyPressMask | KeyReleaseMask | FocusChangeMask);
    XFlush(ToggleKeyWatch);
}

bool isToggleKey(XKeyEvent& key)
{
    const KeySym symbol = XLookupKeysym(&key, 0);
    return symbol == XK_F11 ||
           ((symbol == XK_Return || symbol == XK_KP_Enter) && (key.state & Mod1Mask));
}

} // namespace

void installKeyCallbacks()
{
    glutIgnoreKeyRepeat(1);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    watchToggleKeys();
}

// A key released while the window had no focus never says so, hence the
// forgetting on each change of focus.
void readToggleKeys()
{
    if (!ToggleKeyWatch)
        return;
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
                toggleFullScreen();
        }
    }
}

bool keyDown(Key key)
{
    const int k = int(key);
    bool down = Latched[k] || padKeyDown(key);
    Latched[k] = false;
    Display* display = glXGetCurrentDisplay();
    if (!display)
        return down;
    if (!KeyCodesCached)
        cacheKeyCodes(display);
    if (KeyMapFrame != FrameNumber) {
        XQueryKeymap(display, KeyMap);
        KeyMapFrame = FrameNumber;
    }
    for (KeyCode code : KeyCodes[k])
        if (code && (KeyMap[code / 8] & (1 << (code % 8))))
            down = true;
    return down;
}

void swapFrameBuffers()
{
    glutSwapBuffers();
    paceFrame();
    // Read after the pacing sleep, so the next frame sees the pads as they are.
    pollGamepads();
    ++FrameNumber;
}

void requestRedisplay() { glutPostRedisplay(); }

// Counted from the program's first reading, not from boot.
int64_t clockNanoseconds() { return realClockNanoseconds(); }

unsigned worldSeed() { return unsigned(std::time(nullptr)); }
