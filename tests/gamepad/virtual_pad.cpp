#include "virtual_pad.h"

bool VirtualPad::attach()
{
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
    desc.name = "Thornwick test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        return false;
    joystick = SDL_JoystickOpen(index);
    if (!joystick)
        return false;
    // A virtual trigger spans the whole axis range: its lowest value is at rest.
    pull(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0.0);
    pull(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.0);
    return true;
}

void VirtualPad::detach()
{
    if (!joystick)
        return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    SDL_JoystickClose(joystick);
    joystick = nullptr;
}

void VirtualPad::press(SDL_GameControllerButton button, bool down)
{
    SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualPad::tilt(SDL_GameControllerAxis axis, int value)
{
    SDL_JoystickSetVirtualAxis(joystick, axis, Sint16(value));
}

void VirtualPad::pull(SDL_GameControllerAxis trigger, double amount)
{
    SDL_JoystickSetVirtualAxis(joystick, trigger, Sint16(-32768 + int(amount * 65535.0)));
}
