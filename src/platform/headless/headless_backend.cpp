// The headless back end's clock, seed, keys and frame swap; the offscreen
// context it draws in is made by headless_context.cpp.
#include "platform/backend.h"
#include "platform/gamepad.h"
#include "platform/headless/headless.h"
#include "platform/key_script.h"

#include <GL/gl.h>

#include <cmath>

namespace {

unsigned Seed = 1;
// The virtual clock in nanoseconds, as the real one counts.
int64_t Step = 33333333;
int64_t VirtualClock = 0;
int Frames = 0;
bool Held[int(Key::Count)] = {};
KeyScript Script;

int64_t nanosecondsOf(double seconds) { return int64_t(std::llround(seconds * 1e9)); }

} // namespace

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
