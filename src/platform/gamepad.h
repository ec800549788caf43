// Gamepads through SDL's game controller API, read once per frame into the
// key states the game tick polls (keyDown), so a pad is one more keyboard.
// The open pads and the mapping table are owned by gamepad.cpp.
#pragma once

#include "platform/keys.h"

// Opens SDL's game controller subsystem (and nothing else of SDL). Pads
// open as they arrive, those already plugged in at the first poll. False
// when SDL offers no controllers: the keyboard then plays alone.
bool openGamepads();

// Closes the pads and the subsystem; afterwards no pad holds any key.
void closeGamepads();

// Reads the pads' arrivals, departures and states. The back ends call it once
// per frame; does nothing until openGamepads has succeeded.
void pollGamepads();

// True while a pad holds a button or direction mapped to the key, as of the
// last poll, and also at the poll after a press that began and ended between
// two polls.
bool padKeyDown(Key key);

// Axis values past this (a quarter of the range) count as pressed.
constexpr int PadDeadZone = 8192;
