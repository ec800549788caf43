// The running game's costs, each measured in a fresh process launched as the
// game launches (seed 7, headless): the game tick at the player's start and
// at the orc camp, one running frame over a scripted walk at 800 x 600 and
// at the full-screen 1920 x 1080, whole and split by phase, and the peak
// resident memory of a launch and that walk.

#include "bench.h"

#include "app/camera.h"
#include "app/frame_loop.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "world/terrain_grid.h"
#include "world/world_generator.h"

#include <GL/gl.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr unsigned BenchSeed = 7;
constexpr double FrameStep = 1.0 / 30.0;
constexpr int WalkFrames = 600;
constexpr int WalkRuns = 3;
// Frames count from the loading screen's swap; the walk passes meadow,
// forest and water.
constexpr const char* WalkKeys = "UP:2-240,LEFT:240-270,UP:270-420,RIGHT:420-470,UP:470-602";

constexpr int TickWorlds = 3;
constexpr int TicksPerWorld = 120;
constexpr float CampX = 400.0f;
constexpr float CampZ = 150.0f;

struct WalkSize {
    int width, height;
    const char* plainChild;
    const char* phasedChild;
};

const WalkSize WalkSizes[] = {
    {800, 600, "frames-plain", "frames-phased"},
    {1920, 1080, "frames-plain-1080", "frames-phased-1080"},
};

const char* const PhaseNames[FramePhaseCount] = {
    "camera and fog", "tick", "terrain", "characters", "water", "scenery", "blended characters", "overlay",
};

// The game's own start: loading screen, then the world build and the first
// running frame.
bool launchGame(const char* keys, int width = 800, int height = 600)
{
    setHeadlessSeed(BenchSeed);
    setHeadlessStep(FrameStep);
    if (!createHeadlessContext(width, height) || !setKeyScript(keys))
        return false;
    initGlState();
    reshapeWindow(width, height);
    displayFrame();
    displayFrame();
    return true;
}

double millisecondsSince(double start) { return (steadySeconds() - start) * 1000.0; }

// One line per frame: the whole frame, then each phase, in milliseconds.
int phasedWalkChild(const WalkSize& size)
{
    if (!launchGame(WalkKeys, size.width, size.height))
        return 1;
    MeasureFramePhases = true;
    for (int frame = 0; frame < WalkFrames; ++frame) {
        const double start = steadySeconds();
        runFrame();
        std::printf("%.6f", millisecondsSince(start));
        for (double seconds : FramePhaseSeconds)
            std::printf(" %.6f", seconds * 1000.0);
        std::printf("\n");
    }
    std::printf("%.3f\n", peakResidentMiB());
    std::fflush(stdout);
    releaseGame();
    return 0;
}

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

// The frames as the game runs them: no fence but the swap's glFinish. Each
// line: the frame's wall time, then the processor time of all the process's
// threads (the game's and the rasteriser's), which another load on the
// machine disturbs far less.
int plainWalkChild(const WalkSize& size)
{
    if (!launchGame(WalkKeys, size.width, size.height))
        return 1;
    std::printf("%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    for (int frame = 0; frame < WalkFrames; ++frame) {
        const double start = steadySeconds();
        const double cpuStart = cpuSeconds();
        runFrame();
        const double cpu = (cpuSeconds() - cpuStart) * 1000.0;
        std::printf("%.6f %.6f\n", millisecondsSince(start), cpu);
    }
    std::printf("%.3f\n", peakResidentMiB());
    std::fflush(stdout);
    releaseGame();
    return 0;
}

void placePlayer(float x, float z)
{
    Character* player = Characters.player();
    player->x = x;
    player->z = z;
    player->y = heightAt(x, z);
}

// The whole game tick, no keys held, the camera following the player as in
// a frame. Each batch starts from a freshly generated world. Prints the tick
// times, then the characters active after the last tick.
int tickChild(bool atCamp)
{
    if (!launchGame(""))
        return 1;
    size_t active = 0;
    for (int world = 0; world < TickWorlds; ++world) {
        generateWorld(BenchSeed);
        if (atCamp)
            placePlayer(CampX, CampZ);
        for (int tick = 0; tick <= TicksPerWorld; ++tick) {
            GameCamera.follow();
            const double start = steadySeconds();
            Characters.gameTick(float(FrameStep));
            const double ms = millisecondsSince(start);
            if (tick > 0)   // the first settles the snapshot and camera
                std::printf("%.6f\n", ms);
        }
        active = 0;
        for (const Character* c : Characters.main)
            active += c->has(Active);
    }
    std::printf("active %zu of %zu\n", active, Characters.main.size());
    std::fflush(stdout);
    releaseGame();
    return 0;
}

BenchChildRegistration phasedChild(WalkSizes[0].phasedChild, [] { return phasedWalkChild(WalkSizes[0]); });
BenchChildRegistration plainChild(WalkSizes[0].plainChild, [] { return plainWalkChild(WalkSizes[0]); });
BenchChildRegistration phasedFullChild(WalkSizes[1].phasedChild, [] { return phasedWalkChild(WalkSizes[1]); });
BenchChildRegistration plainFullChild(WalkSizes[1].plainChild, [] { return plainWalkChild(WalkSizes[1]); });
BenchChildRegistration startTickChild("tick-start", [] { return tickChild(false); });
BenchChildRegistration campTickChild("tick-camp", [] { return tickChild(true); });

std::vector<double> sorted(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

std::string medianAndTail(const std::vector<double>& sortedMs)
{
    char text[160];
    std::snprintf(text, sizeof text, "median %.3f ms, p99 %.3f ms (n %zu)", median(sortedMs),
                  percentile(sortedMs, 99.0), sortedMs.size());
    return text;
}

std::string format(const char* pattern, double a, double b)
{
    char text[200];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

void benchTickAt(BenchReport& report, const char* childName, const char* place, const char* goal)
{
    const ChildRun child = runBenchChild(childName);
    std::istringstream in(child.output);
    std::vector<double> ticks;
    std::string line;
    std::string counts;
    while (std::getline(in, line)) {
        if (line.rfind("active", 0) == 0)
            counts = line;
        else
            ticks.push_back(std::strtod(line.c_str(), nullptr));
    }
    if (!child.ok || ticks.empty()) {
        report.line(std::string("game tick at ") + place + ": the child run failed");
        return;
    }
    report.line(std::string("game tick (Characters.gameTick, full population) at ") + place + ": " +
                describeTimes(sorted(ticks)) + goal + ", " + counts);
}

void benchTick(BenchReport& report)
{
    benchTickAt(report, "tick-start", "the player's start", " (goal < 0.5 ms)");
    benchTickAt(report, "tick-camp", "the orc camp (400, 150)", "");
}

// Reads WalkFrames rows of `columns` numbers and the peak memory after them,
// after the renderer's name where one is asked for.
bool readWalk(const ChildRun& child, int columns, std::vector<std::vector<double>>& into, double& peakMiB,
              std::string* renderer = nullptr)
{
    if (!child.ok)
        return false;
    std::istringstream in(child.output);
    if (renderer && !std::getline(in, *renderer))
        return false;
    for (int frame = 0; frame < WalkFrames; ++frame)
        for (int c = 0; c < columns; ++c)
            if (!(in >> into[size_t(c)].emplace_back()))
                return false;
    return bool(in >> peakMiB);
}

struct PlainWalks {
    std::vector<std::vector<double>> frames{2};   // wall, processor
    std::vector<double> runMedians;
    std::vector<double> peaks;
};

bool addPlainWalk(const WalkSize& size, PlainWalks& walks, std::string& renderer)
{
    std::vector<std::vector<double>> one(2);
    double peak = 0.0;
    if (!readWalk(runBenchChild(size.plainChild), 2, one, peak, &renderer))
        return false;
    walks.runMedians.push_back(median(sorted(one[0])));
    for (int c = 0; c < 2; ++c)
        walks.frames[size_t(c)].insert(walks.frames[size_t(c)].end(), one[size_t(c)].begin(), one[size_t(c)].end());
    walks.peaks.push_back(peak);
    return true;
}

std::string sizeName(const WalkSize& size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

void reportPlainWalks(BenchReport& report, const WalkSize& size, const PlainWalks& walks)
{
    const std::vector<double> runMedians = sorted(walks.runMedians);
    report.line("frame at " + sizeName(size) + ", software GL, scripted walk of 600 frames x " +
                std::to_string(WalkRuns) + " runs: " + medianAndTail(sorted(walks.frames[0])) +
                format(" (run medians %.3f..%.3f ms)", runMedians.front(), runMedians.back()));
    report.line("  processor time per frame, all threads: " + medianAndTail(sorted(walks.frames[1])));
}

void reportPhasedWalks(BenchReport& report, const WalkSize& size)
{
    std::vector<std::vector<double>> phased(1 + FramePhaseCount);
    double peak = 0.0;
    for (int run = 0; run < WalkRuns; ++run)
        if (!readWalk(runBenchChild(size.phasedChild), 1 + FramePhaseCount, phased, peak)) {
            report.line("frame phases: the child run failed");
            return;
        }
    report.line("frame at " + sizeName(size) + " with a glFinish after every phase: " +
                medianAndTail(sorted(phased[0])));
    for (int p = 0; p < FramePhaseCount; ++p)
        report.line(std::string("  ") + PhaseNames[p] + ": " + medianAndTail(sorted(phased[size_t(p) + 1])));
}

// The two sizes' runs take turns, so a change in the machine's load falls on
// both and their ratio holds.
void benchFrames(BenchReport& report)
{
    PlainWalks walks[2];
    std::string renderer;
    for (int run = 0; run < WalkRuns; ++run)
        for (int s = 0; s < 2; ++s)
            if (!addPlainWalk(WalkSizes[s], walks[s], renderer)) {
                report.line("frame: the child run failed");
                return;
            }
    report.line("frame renderer: " + renderer);
    for (int s = 0; s < 2; ++s)
        reportPlainWalks(report, WalkSizes[s], walks[s]);
    const double ratio = median(sorted(walks[1].frames[0])) / median(sorted(walks[0].frames[0]));
    report.line(format("  1920x1080 frame against the 800x600 one: %.2fx", ratio, 0.0));

    for (const WalkSize& size : WalkSizes)
        reportPhasedWalks(report, size);

    std::vector<double> peaks = sorted(walks[0].peaks);
    report.line(format("peak resident memory (VmHWM), launch + 600 frames at 800x600: %.1f MiB (runs up to %.1f MiB)",
                       median(peaks), peaks.back()) +
                " (goal < 100 MB)");
}

BenchRegistration tickRegistration(35, "game tick", benchTick);
BenchRegistration frameRegistration(50, "frame", benchFrames);

} // namespace
