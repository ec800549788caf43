// The browser back end's own set-up, called by the browser build's main
// (web_main.cpp): the WebGL context on the page's canvas, the keyboard, the
// canvas's size and full screen, the main loop, and the fixed step and key
// script of test runs. web_backend.cpp owns this state and implements
// backend.h and keys.h for the browser.
#pragma once

#include <string>

// A WebGL 2 context on the page's canvas, made current, with the GL layer
// (web_gl.h) ready on it. keepFrames keeps each finished frame in the canvas
// until the next, so a test can read it. False when the browser has no WebGL 2.
// The back end then follows the context: when the browser takes it away
// (a driver reset, a crashed GPU process), the clock stops, and when it
// comes back the GL layer rebuilds what it had made.
bool createWebContext(bool keepFrames);

// True while the browser has taken the picture away: no frame may run. The
// clock does not count that time, so the first frame after is an ordinary one.
bool webPictureLost();

// Listens to the browser's keyboard: the game's keys, held or tapped for less
// than a frame, and F11 and Alt+Enter, which toggle full screen until Escape
// has ended the game. Keys that would scroll the page under the game are
// held back from the browser.
void installWebKeys();

// The canvas fills the browser window (or the screen) and follows its size;
// the callback hears each new size in pixels, the current one at once.
void followCanvasSize(void (*reshape)(int width, int height));

// A canvas of exactly this size in pixels, whatever the window, for tests;
// a side larger than the browser can draw is cut to what it draws, and
// width and height say the size taken.
void fixCanvasSize(int& width, int& height, void (*reshape)(int width, int height));

// The world's seed; unless set, the clock's seconds, as for the desktop game.
void setWebSeed(unsigned seed);
// The seed the world grew from; 0 before it has.
unsigned webWorldSeed();

// A virtual clock that advances this many seconds at every swap, as the
// headless back end's does, in place of the real clock (tests).
void setWebStep(double seconds);

// Scripted keys over swap numbers, held on top of the keyboard and pads
// (web_key_script.h). False on a malformed script.
bool setWebKeyScript(const std::string& script);

int webFrameCount();

// Calls frame at every display refresh until stopWebMainLoop.
void runWebMainLoop(void (*frame)());

// Stops calling the frame and listening to the keyboard and the window, so
// the page is the page's again.
void stopWebMainLoop();

// Tells the page: the game has ended (Escape), or a test's frames are done,
// or (as JSON) the choices of its address the game took.
void announceGameEnd();
void announceFramesDone();
void announceOptions(const char* json);
