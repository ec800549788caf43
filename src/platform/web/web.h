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
bool createWebContext(bool keepFrames);

// Listens to the browser's keyboard: the game's keys, held or tapped for less
// than a frame, and F11 and Alt+Enter, which toggle full screen.
void installWebKeys();

// The canvas fills the browser window (or the screen) and follows its size;
// the callback hears each new size in pixels, the current one at once.
void followCanvasSize(void (*reshape)(int width, int height));

// A canvas of exactly this size in pixels, whatever the window, for tests.
void fixCanvasSize(int width, int height, void (*reshape)(int width, int height));

// The world's seed; unless set, the clock's seconds, as for the desktop game.
void setWebSeed(unsigned seed);

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

// Tells the page: the game has ended (Escape), or a test's frames are done.
void announceGameEnd();
void announceFramesDone();
