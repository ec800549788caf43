// The GLUT back end's own set-up and window handling, called by the game's
// main (glut_backend.cpp and glut_window.cpp).
#pragma once

// With the window created and its context current: registers the keyboard
// callbacks that latch short key taps, and starts reading F11 and Alt+Enter,
// which toggle full screen.
void installKeyCallbacks();

// Once a frame, before the window is brought to its mode: each press of F11
// or Alt+Enter since the last call toggles full screen, in order, and a held
// key's repeats do not. The presses are read on a connection of the back
// end's own where the server allows (GLUT drops some presses of a key struck
// faster than it reads them), else GLUT's callbacks toggle.
void readToggleKeys();

// Closing the window through the window manager ends the game as Escape
// does: exit status 0, the exit handlers run while the window still exists.
void installCloseCallback();

// Registers the game's reshape and display callbacks behind the back end's
// own, which bring the window to the mode its keys asked for before each
// frame, and hold back the first frame (the loading picture, drawn once)
// until the window has that mode's size, for two seconds at most.
void installFrameCallbacks(void (*reshape)(int width, int height), void (*display)());

// Full screen with the cursor hidden, as the game starts.
void startFullScreen();

// Asks for the other mode: full screen (cursor hidden) or an 800 x 600 window
// centred on the screen (cursor shown). The window follows before the next
// frame, so toggles within one frame add up: two leave it as it was.
void toggleFullScreen();

// With the window's context current: asks the driver to wait for the
// display before each swap, and reads the display's refresh rate for the
// frames the driver does not wait for.
void startFramePacing();

// Right after each swap: sleeps away the rest of a frame that finished
// early where the driver does not wait.
void paceFrame();
