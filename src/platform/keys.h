// Keyboard polling: the keys the game reads, and whether each is down.
// The GLUT back end reads the system's keyboard (the X server's key map, or
// Windows' key states) and latches short taps; the headless back end plays a
// script; the browser's hears the page's key events.
#pragma once

enum class Key {
    Escape, Left, Up, Right, Down, Control, Space,
    Digit1, Digit2, Digit3, Digit4, Digit6, Digit7, Digit8, K, Z,
    Count
};

// True while the key is held, and also on the first poll after a press that
// was shorter than a frame.
bool keyDown(Key key);
