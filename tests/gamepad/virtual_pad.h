// A gamepad for tests without hardware: SDL's virtual joystick, shaped like
// a standard controller so that SDL offers it as a game controller.
#pragma once

#include <SDL2/SDL.h>

struct VirtualPad {
    SDL_Joystick* joystick = nullptr;

    // Plugs the pad in (SDL's controller subsystem must be open), sticks
    // centred, triggers at rest, no button down. False when SDL refuses.
    bool attach();
    // Pulls it out; the game sees it gone at its next poll.
    void detach();
    ~VirtualPad() { detach(); }

    void press(SDL_GameControllerButton button, bool down = true);
    // A stick axis, -32768..32767 as SDL reports it (y grows downwards).
    void tilt(SDL_GameControllerAxis axis, int value);
    // A trigger, 0 at rest to 1 pulled fully.
    void pull(SDL_GameControllerAxis trigger, double amount);
    // Lets SDL read the pad now, as it does when a real pad's events arrive
    // between two frames.
    static void deliver() { SDL_JoystickUpdate(); }
};
