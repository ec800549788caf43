// The services a window back end provides to the game. Three back ends
// exist, each in a folder of its own, and one is linked into each program:
// GLUT for the game (glut/, over X11 on Linux and Win32 on Windows), headless
// for tests and tools (headless/, in an EGL or a WGL context) and the
// browser's (web/). No virtual calls.
#pragma once

#include <cstdint>

// Presents the finished frame (double buffering) and, for the headless back
// end, counts it and advances the virtual clock.
void swapFrameBuffers();

// Asks for another display callback. The headless back end does nothing:
// its driver loop calls displayFrame itself.
void requestRedisplay();

// Monotonic clock in integer nanoseconds, for the frame timer: steps are
// taken from these readings, exact however long the session has run.
int64_t clockNanoseconds();

// The seed of the world's random generator: the clock for the game, a given
// number for headless runs.
unsigned worldSeed();
