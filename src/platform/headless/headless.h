// The headless back end: an offscreen OpenGL context on Mesa's surfaceless
// EGL platform, a virtual clock, scripted keys and a fixed seed. Tests and
// tools link it instead of the GLUT back end.
#pragma once

#include "platform/keys.h"

#include <string>

// Creates (once) an 800 x 600 compatibility-profile context with a 24-bit
// depth buffer and makes it current. Later calls with another size make a new
// pbuffer of that size. Returns false when no context can be made.
bool createHeadlessContext(int width = 800, int height = 600);

void setHeadlessSeed(unsigned seed);
// Seconds the virtual clock advances at every swap.
void setHeadlessStep(double seconds);
void setHeadlessClock(double seconds);
int headlessFrameCount();

// Keys: held by hand (tests) or by a script of "KEY:first-last" ranges over
// frame numbers, comma separated, e.g. "UP:0-120,CTRL:130-140". Frame n is
// the frame being run after n swaps. Returns false on a malformed script.
void setKeyHeld(Key key, bool held);
void releaseAllKeys();
bool setKeyScript(const std::string& script);
