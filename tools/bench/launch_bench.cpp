// What a player waits on: from starting the process to the first running
// frame, headless, with the generated content in the run directory. Each run
// is a fresh process (the runner re-executed), so the EGL context, the
// content files and the sound device are opened cold as at a real launch.
// The child stamps the end of each start-up step on the system-wide
// monotonic clock; the parent knows when it spawned it.

#include "bench.h"

#include "app/frame_loop.h"
#include "app/sound_system.h"
#include "app/world_build.h"
#include "assets/asset_tables.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "world/world_generator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int Launches = 9;
constexpr unsigned LaunchSeed = 7;

// The start-up steps in the order the game takes them; the world build is
// split into the three steps of buildWorld.
enum LaunchStep {
    StepProcess, StepContext, StepLoadingScreen, StepAssets, StepWorld, StepSound, StepFirstFrame,
    LaunchStepCount
};

const char* const LaunchStepNames[LaunchStepCount] = {
    "process start to main",
    "EGL context and GL state",
    "loading screen",
    "buildWorldAssets",
    "generateWorld",
    "Sound.loadTable (dummy driver)",
    "first running frame",
};

// Prints the end of every step as seconds on the monotonic clock.
int launchChild()
{
    double stamps[LaunchStepCount];
    stamps[StepProcess] = steadySeconds();
    setHeadlessSeed(LaunchSeed);
    setHeadlessStep(1.0 / 30.0);
    if (!createHeadlessContext(800, 600))
        return 1;
    initGlState();
    reshapeWindow(800, 600);
    stamps[StepContext] = steadySeconds();
    displayFrame();
    stamps[StepLoadingScreen] = steadySeconds();
    // The world phase of displayFrame, one buildWorld step at a time.
    buildWorldAssets();
    stamps[StepAssets] = steadySeconds();
    generateWorld(worldSeed());
    stamps[StepWorld] = steadySeconds();
    Sound.loadTable();
    stamps[StepSound] = steadySeconds();
    GamePhase = 3;
    reshapeWindow(WindowSize[0], WindowSize[1]);
    runFrame();   // its swap ends with glFinish
    stamps[StepFirstFrame] = steadySeconds();
    for (double stamp : stamps)
        std::printf("%.9f\n", stamp);
    std::fflush(stdout);
    releaseGame();
    return 0;
}

BenchChildRegistration child("launch", launchChild);

std::vector<double> sorted(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

void benchLaunch(BenchReport& report)
{
    std::vector<double> steps[LaunchStepCount];
    std::vector<double> totals;
    std::vector<double> wholeProcess;
    for (int run = 0; run < Launches; ++run) {
        const ChildRun child = runBenchChild("launch");
        std::istringstream in(child.output);
        double stamps[LaunchStepCount] = {};
        int read = 0;
        while (read < LaunchStepCount && in >> stamps[read])
            ++read;
        if (!child.ok || read != LaunchStepCount) {
            report.line("launch: the child run failed");
            return;
        }
        double previous = child.spawnedAt;
        for (int s = 0; s < LaunchStepCount; ++s) {
            steps[s].push_back((stamps[s] - previous) * 1000.0);
            previous = stamps[s];
        }
        totals.push_back((stamps[StepFirstFrame] - child.spawnedAt) * 1000.0);
        wholeProcess.push_back(child.wallMs);
    }
    report.line("launch to first running frame (fresh process, seed 7, 800x600): " +
                describeTimes(sorted(totals)) + " (goal < 500 ms)");
    for (int s = 0; s < LaunchStepCount; ++s)
        report.line(std::string("  ") + LaunchStepNames[s] + ": " + describeTimes(sorted(steps[s])));
    report.line("  whole process, with release and exit: " + describeTimes(sorted(wholeProcess)));
}

BenchRegistration registration(25, "launch", benchLaunch);

} // namespace
