// The headless back end's interface for the suites that run under node,
// which have no GL: createHeadlessContext always fails, so a test that needs
// a context fails rather than draws. The rest is the headless back end's
// virtual clock, seed and held or scripted keys, without pads.
#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/key_script.h"

#include <cmath>

namespace {

unsigned Seed = 1;
int64_t Step = 33333333;
int64_t VirtualClock = 0;
int Frames = 0;
bool Held[int(Key::Count)] = {};
KeyScript Script;

int64_t nanosecondsOf(double seconds) { return int64_t(std::llround(seconds * 1e9)); }

} // namespace

bool createHeadlessContext(int, int) { return false; }

void setHeadlessSeed(unsigned seed) { Seed = seed; }
void setHeadlessStep(double seconds) { Step = nanosecondsOf(seconds); }
void setHeadlessClock(double seconds) { VirtualClock = nanosecondsOf(seconds); }
int headlessFrameCount() { return Frames; }

void swapFrameBuffers()
{
    ++Frames;
    VirtualClock += Step;
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

bool keyDown(Key key) { return Held[int(key)] || Script.holds(key, Frames); }

bool setKeyScript(const std::string& script) { return Script.parse(script); }
