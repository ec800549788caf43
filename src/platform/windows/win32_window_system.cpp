// The GLUT back end's window system on Windows: the keyboard polled as the
// system keeps it, WGL's swap control, the display settings' refresh rate
// and the monitor the window is on. Freeglut reads each key press from its
// own message with the key's previous state, so its callbacks count every
// press of F11 and Alt+Enter and no repeat: nothing to watch apart.
#include "platform/glut/window_system.h"

#include <windows.h>

#include <GL/gl.h>

namespace {

// Virtual-key codes of each key, in the order of Key.
const int VirtualKeys[int(Key::Count)] = {
    VK_ESCAPE, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_CONTROL, VK_SPACE,
    '1', '2', '3', '4', '6', '7', '8', 'K', 'Z'};

bool Held[int(Key::Count)] = {};
unsigned HeldFrame = ~0u;

HWND gameWindow() { return WindowFromDC(wglGetCurrentDC()); }

// The system's keyboard is everyone's: keys count only while the game's
// window is the one typed into.
void readKeyboard()
{
    const HWND window = gameWindow();
    const bool focused = window && GetForegroundWindow() == window;
    for (int k = 0; k < int(Key::Count); ++k)
        Held[k] = focused && (GetAsyncKeyState(VirtualKeys[k]) & 0x8000) != 0;
}

bool monitorOfWindow(MONITORINFOEXW& info)
{
    const HMONITOR monitor = MonitorFromWindow(gameWindow(), MONITOR_DEFAULTTOPRIMARY);
    info = {};
    info.cbSize = sizeof info;
    return monitor && GetMonitorInfoW(monitor, &info);
}

} // namespace

bool systemKeyHeld(Key key, unsigned frame)
{
    if (HeldFrame != frame) {
        readKeyboard();
        HeldFrame = frame;
    }
    return Held[int(key)];
}

bool watchToggleKeys() { return false; }

int takeToggleKeyPresses() { return 0; }

bool requestSwapInterval()
{
    using SwapInterval = BOOL(WINAPI*)(int);
    auto swapInterval =
        reinterpret_cast<SwapInterval>(reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    return swapInterval && swapInterval(1);
}

// 0 and 1 stand for the hardware's default rate, which the system does not
// name.
double displayRefreshRate()
{
    MONITORINFOEXW monitor;
    const wchar_t* device = monitorOfWindow(monitor) ? monitor.szDevice : nullptr;
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(device, ENUM_CURRENT_SETTINGS, &mode) || mode.dmDisplayFrequency <= 1)
        return 0.0;
    return double(mode.dmDisplayFrequency);
}

bool isMonitorSize(int width, int height)
{
    MONITORINFOEXW monitor;
    if (!monitorOfWindow(monitor))
        return false;
    const RECT& r = monitor.rcMonitor;
    return r.right - r.left == width && r.bottom - r.top == height;
}
