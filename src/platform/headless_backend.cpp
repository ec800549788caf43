#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/headless.h"
#include "platform/key_script.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cmath>

namespace {

EGLDisplay Display = EGL_NO_DISPLAY;
EGLConfig Config = nullptr;
EGLContext Context = EGL_NO_CONTEXT;
EGLSurface Surface = EGL_NO_SURFACE;
int SurfaceWidth = 0;
int SurfaceHeight = 0;

unsigned Seed = 1;
// The virtual clock in nanoseconds, as the real one counts.
int64_t Step = 33333333;
int64_t VirtualClock = 0;
int Frames = 0;
bool Held[int(Key::Count)] = {};
KeyScript Script;

int64_t nanosecondsOf(double seconds) { return int64_t(std::llround(seconds * 1e9)); }

bool openDisplay()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return false;
    Display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (Display == EGL_NO_DISPLAY || !eglInitialize(Display, nullptr, nullptr))
        return false;
    const EGLint attributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
        EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(Display, attributes, &Config, 1, &count) || count < 1)
        return false;
    if (!eglBindAPI(EGL_OPENGL_API))
        return false;
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    Context = eglCreateContext(Display, Config, EGL_NO_CONTEXT, contextAttributes);
    return Context != EGL_NO_CONTEXT;
}

} // namespace

bool createHeadlessContext(int width, int height)
{
    if (Context == EGL_NO_CONTEXT && !openDisplay())
        return false;
    if (Surface != EGL_NO_SURFACE && width == SurfaceWidth && height == SurfaceHeight)
        return eglMakeCurrent(Display, Surface, Surface, Context);
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(Display, Config, size);
    if (surface == EGL_NO_SURFACE)
        return false;
    if (!eglMakeCurrent(Display, surface, surface, Context)) {
        eglDestroySurface(Display, surface);
        return false;
    }
    if (Surface != EGL_NO_SURFACE)
        eglDestroySurface(Display, Surface);
    Surface = surface;
    SurfaceWidth = width;
    SurfaceHeight = height;
    return true;
}

void setHeadlessSeed(unsigned seed) { Seed = seed; }
void setHeadlessStep(double seconds) { Step = nanosecondsOf(seconds); }
void setHeadlessClock(double seconds) { VirtualClock = nanosecondsOf(seconds); }
int headlessFrameCount() { return Frames; }

void swapFrameBuffers()
{
    glFinish();
    ++Frames;
    VirtualClock += Step;
    pollGamepads();
}

void requestRedisplay() {}

int64_t clockNanoseconds() { return VirtualClock; }

unsigned worldSeed() { return Seed; }

void setKeyHeld(Key key, bool held) { Held[int(key)] = held; }

void releaseAllKeys()
{
    for (bool& held : Held)
        held = false;
    Script.ranges.clear();
}

bool keyDown(Key key)
{
    if (Held[int(key)])
        return true;
    if (Script.holds(key, Frames))
        return true;
    // No pad is read until a test opens them (openGamepads).
    return padKeyDown(key);
}

bool setKeyScript(const std::string& script) { return Script.parse(script); }
