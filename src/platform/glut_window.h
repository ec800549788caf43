// The GLUT back end's own set-up and window handling, called by the game's
// main (glut_backend.cpp and glut_window.cpp).
#pragma once

// Registers the keyboard callbacks that latch short key taps, and F11 and
// Alt+Enter, which toggle full screen.
void installKeyCallbacks();

// Closing the window through the window manager ends the game as Escape
// does: exit status 0, the exit handlers run while the window still exists.
void installCloseCallback();

// Between full screen (cursor hidden) and an 800 x 600 window centred on the
// screen (cursor shown). The reshape callback follows either way.
void toggleFullScreen();

// With the window's context current: asks the driver to wait for the
// display before each swap, and reads the display's refresh rate for the
// frames the driver does not wait for.
void startFramePacing();

// Right after each swap: sleeps away the rest of a frame that finished
// early where the driver does not wait.
void paceFrame();
