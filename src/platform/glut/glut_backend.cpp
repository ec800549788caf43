// The GLUT back end's keys, frame swap, clock and seed; F11 and Alt+Enter
// are read here and carried out by glut_window.cpp. What GLUT does not tell
// comes from the window system (window_system.h).
#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/glut/glut_window.h"
#include "platform/glut/window_system.h"
#include "platform/keys.h"
#include "platform/real_clock.h"

#include <GL/freeglut.h>

#include <ctime>

namespace {

bool Latched[int(Key::Count)] = {};
unsigned FrameNumber = 0;
// The window system counts the presses of F11 and Alt+Enter; else GLUT's
// callbacks do.
bool ToggleKeysWatched = false;

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
        if (!ToggleKeysWatched)
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
        if (!ToggleKeysWatched)
            toggleFullScreen();
        return;
    default: return;
    }
}

} // namespace

void installKeyCallbacks()
{
    glutIgnoreKeyRepeat(1);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    ToggleKeysWatched = watchToggleKeys();
}

void readToggleKeys()
{
    for (int presses = takeToggleKeyPresses(); presses > 0; --presses)
        toggleFullScreen();
}

bool keyDown(Key key)
{
    const int k = int(key);
    const bool down = Latched[k] || padKeyDown(key) || systemKeyHeld(key, FrameNumber);
    Latched[k] = false;
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
