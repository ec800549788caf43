// What the GLUT back end reads from the window system beneath GLUT, where
// GLUT does not tell: the keyboard's state, presses of the full-screen keys,
// the display's refresh, the monitors' sizes. X11 on Linux
// (linux/x11_window_system.cpp), Win32 on Windows
// (windows/win32_window_system.cpp); one is linked with the GLUT back end.
// Each call is made with the game window's context current.
#pragma once

#include "platform/keys.h"

// Whether the keyboard holds the key now. The keyboard is read once per
// frame: frame changes with every swap.
bool systemKeyHeld(Key key, unsigned frame);

// Starts counting the presses of F11 and Alt+Enter apart from GLUT, where
// GLUT's own callbacks would drop some; false where those callbacks count
// every press themselves and are to be trusted.
bool watchToggleKeys();

// The presses of F11 or Alt+Enter counted since the last call, each once
// however long it is held. Always 0 unless watchToggleKeys succeeded.
int takeToggleKeyPresses();

// Asks the driver to wait for the display before each swap; false where it
// offers no way to.
bool requestSwapInterval();

// The refresh rate in hertz of the display the window is on; 0 where the
// system does not tell.
double displayRefreshRate();

// Whether width x height is the size of one of the monitors: a window
// manager fills one monitor, not the whole screen.
bool isMonitorSize(int width, int height);
