// The running game's costs, each measured in a fresh process launched as the
// game launches (seed 7, 800 x 600, headless): the game tick at the player's
// start and at the orc camp, one running frame over a scripted walk, whole
// and split by phase, and the peak resident memory of a launch and that walk.

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

const char* const PhaseNames[FramePhaseCount] = {
    "camera and fog", "tick", "terrain", "characters", "water", "scenery", "blended characters", "overlay",
};

// The game's own start: loading screen, then the world build and the first
// running frame.
bool launchGame(const char* keys)
{
    setHeadlessSeed(BenchSeed);
    setHeadlessStep(FrameStep);
    if (!createHeadlessContext(800, 600) || !setKeyScript(keys))
        return false;
    initGlState();
    reshapeWindow(800, 600);
    displayFrame();
    displayFrame();
    return true;
}

double millisecondsSince(double start) { return (steadySeconds() - start) * 1000.0; }

// One line per frame: the whole frame, then each phase, in milliseconds.
int phasedWalkChild()
{
    if (!launchGame(WalkKeys))
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
int plainWalkChild()
{
    if (!launchGame(WalkKeys))
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

BenchChildRegistration phasedChild("frames-phased", phasedWalkChild);
BenchChildRegistration plainChild("frames-plain", plainWalkChild);
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

void benchFrames(BenchReport& report)
{
    std::vector<std::vector<double>> plain(2);
    std::vector<double> runMedians;
    std::vector<double> peaks;
    std::string renderer;
    for (int run = 0; run < WalkRuns; ++run) {
        std::vector<std::vector<double>> one(2);
        double peak = 0.0;
        if (!readWalk(runBenchChild("frames-plain"), 2, one, peak, &renderer)) {
            report.line("frame: the child run failed");
            return;
        }
        runMedians.push_back(median(sorted(one[0])));
        for (int c = 0; c < 2; ++c)
            plain[size_t(c)].insert(plain[size_t(c)].end(), one[size_t(c)].begin(), one[size_t(c)].end());
        peaks.push_back(peak);
    }
    runMedians = sorted(runMedians);
    report.line("frame renderer: " + renderer);
    report.line("frame at 800x600, software GL, scripted walk of 600 frames x " + std::to_string(WalkRuns) +
                " runs: " + medianAndTail(sorted(plain[0])) +
                format(" (run medians %.3f..%.3f ms)", runMedians.front(), runMedians.back()));
    report.line("  processor time per frame, all threads: " + medianAndTail(sorted(plain[1])));

    std::vector<std::vector<double>> phased(1 + FramePhaseCount);
    double peak = 0.0;
    for (int run = 0; run < WalkRuns; ++run)
        if (!readWalk(runBenchChild("frames-phased"), 1 + FramePhaseCount, phased, peak)) {
            report.line("frame phases: the child run failed");
            return;
        }
    report.line("frame with a glFinish after every phase: " + medianAndTail(sorted(phased[0])));
    for (int p = 0; p < FramePhaseCount; ++p)
        report.line(std::string("  ") + PhaseNames[p] + ": " + medianAndTail(sorted(phased[size_t(p) + 1])));

    peaks = sorted(peaks);
    report.line(format("peak resident memory (VmHWM), launch + 600 frames: %.1f MiB (runs up to %.1f MiB)",
                       median(peaks), peaks.back()) +
                " (goal < 100 MB)");
}

BenchRegistration tickRegistration(35, "game tick", benchTick);
BenchRegistration frameRegistration(50, "frame", benchFrames);

} // namespace
