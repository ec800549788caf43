#include "platform/gamepad.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

namespace {

// The pad's mapping, the one place it is written. Buttons and the d-pad:
struct PadButtonKey {
    SDL_GameControllerButton button;
    Key key;
};
const PadButtonKey ButtonKeys[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, Key::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, Key::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, Key::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, Key::Right},
    {SDL_CONTROLLER_BUTTON_A, Key::Space},
    {SDL_CONTROLLER_BUTTON_X, Key::Control},
    {SDL_CONTROLLER_BUTTON_B, Key::Digit1},
    {SDL_CONTROLLER_BUTTON_Y, Key::Digit2},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, Key::Digit4},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, Key::Digit6},
};

// The left stick and the triggers, pressed past the dead zone in the given
// direction (SDL's stick y grows downwards; triggers only grow).
struct PadAxisKey {
    SDL_GameControllerAxis axis;
    int direction;
    Key key;
};
const PadAxisKey AxisKeys[] = {
    {SDL_CONTROLLER_AXIS_LEFTY, -1, Key::Up},
    {SDL_CONTROLLER_AXIS_LEFTY, +1, Key::Down},
    {SDL_CONTROLLER_AXIS_LEFTX, -1, Key::Left},
    {SDL_CONTROLLER_AXIS_LEFTX, +1, Key::Right},
    {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, +1, Key::Control},
    {SDL_CONTROLLER_AXIS_TRIGGERLEFT, +1, Key::Digit3},
};

// Back and Start held together are Escape; either alone does nothing, so a
// stray press on the sofa cannot end the game.
const SDL_GameControllerButton EscapeChord[] = {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_START};

bool Opened = false;
std::vector<SDL_GameController*> Pads;
bool PadKeys[int(Key::Count)] = {};

bool pastDeadZone(int value, int direction) { return value * direction > PadDeadZone; }

bool isOpen(SDL_JoystickID id)
{
    return std::any_of(Pads.begin(), Pads.end(), [id](SDL_GameController* pad) {
        return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id;
    });
}

void openPad(int deviceIndex)
{
    if (!SDL_IsGameController(deviceIndex) || isOpen(SDL_JoystickGetDeviceInstanceID(deviceIndex)))
        return;
    if (SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex))
        Pads.push_back(pad);
}

void closePad(SDL_JoystickID id)
{
    for (size_t i = 0; i < Pads.size(); ++i)
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(Pads[i])) == id) {
            SDL_GameControllerClose(Pads[i]);
            Pads.erase(Pads.begin() + long(i));
            return;
        }
}

// A press seen only as an event (it began and ended since the last poll)
// still counts once, as a short key tap does.
void latchEvent(const SDL_Event& event, bool keys[])
{
    if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        for (const PadButtonKey& entry : ButtonKeys)
            if (entry.button == event.cbutton.button)
                keys[int(entry.key)] = true;
    } else if (event.type == SDL_CONTROLLERAXISMOTION) {
        for (const PadAxisKey& entry : AxisKeys)
            if (entry.axis == event.caxis.axis && pastDeadZone(event.caxis.value, entry.direction))
                keys[int(entry.key)] = true;
    }
}

void readHeld(SDL_GameController* pad, bool keys[])
{
    for (const PadButtonKey& entry : ButtonKeys)
        if (SDL_GameControllerGetButton(pad, entry.button))
            keys[int(entry.key)] = true;
    for (const PadAxisKey& entry : AxisKeys)
        if (pastDeadZone(SDL_GameControllerGetAxis(pad, entry.axis), entry.direction))
            keys[int(entry.key)] = true;
    bool chord = true;
    for (SDL_GameControllerButton button : EscapeChord)
        chord = chord && SDL_GameControllerGetButton(pad, button);
    if (chord)
        keys[int(Key::Escape)] = true;
}

} // namespace

bool openGamepads()
{
    if (Opened)
        return true;
    // SDL's controller subsystem brings its event queue, which would catch
    // SIGINT and SIGTERM and turn them into quit events nobody reads: the
    // game could then no longer be stopped by Ctrl+C, kill or the session's
    // end. The signals keep their usual effect.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    // SDL announces the pads already plugged in as arrivals at the first poll.
    Opened = true;
    return true;
}

void closeGamepads()
{
    if (!Opened)
        return;
    for (SDL_GameController* pad : Pads)
        SDL_GameControllerClose(pad);
    Pads.clear();
    std::fill(std::begin(PadKeys), std::end(PadKeys), false);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    Opened = false;
}

void pollGamepads()
{
    if (!Opened)
        return;
    bool keys[int(Key::Count)] = {};
    // Nothing else in the game reads SDL's event queue; this drains it.
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_CONTROLLERDEVICEADDED)
            openPad(event.cdevice.which);
        else if (event.type == SDL_CONTROLLERDEVICEREMOVED)
            closePad(event.cdevice.which);
        else
            latchEvent(event, keys);
    }
    // Held keys come from the pads still plugged in, so a pad pulled out
    // mid-press lets go of everything it held.
    for (SDL_GameController* pad : Pads)
        readHeld(pad, keys);
    std::copy(std::begin(keys), std::end(keys), std::begin(PadKeys));
}

bool padKeyDown(Key key) { return PadKeys[int(key)]; }
