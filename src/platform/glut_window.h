// The GLUT back end's own set-up, called by the game's main.
#pragma once

// Registers the keyboard callbacks that latch short key taps.
void installKeyCallbacks();
