// The scenery pass's cost per frame: both spiral passes around the player's
// start in the generated world of seed 7, drawn in the headless context.

#include "bench.h"

#include "app/frame_loop.h"
#include "app/world_build.h"
#include "assets/asset_tables.h"
#include "platform/headless/headless.h"
#include "world/scenery.h"
#include "world/terrain_grid.h"
#include "world/world_generator.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

namespace {

constexpr float StartX = 385.0f;
constexpr float StartZ = 395.0f;

// The game's projection, and a view from behind and above the start point.
void lookAtStart()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(35.0, 800.0 / 600.0, 0.01, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float ground = heightAt(StartX, StartZ);
    gluLookAt(StartX, ground + 4.0, StartZ - 10.0, StartX, ground + 1.5, StartZ, 0.0, 1.0, 0.0);
}

void benchScenery(BenchReport& report)
{
    if (!createHeadlessContext(800, 600)) {
        report.line("scenery: no headless GL context");
        return;
    }
    initGlState();
    buildWorldAssets();
    generateWorld(7);
    lookAtStart();
    FrameDelta = 1.0f / 60.0f;

    // Warm up: the obstacle lists reach their size, the driver its caches.
    for (int i = 0; i < 5; ++i)
        drawScenery(StartX, StartZ);
    glFinish();

    const int frames = 60;
    const std::vector<double> submit = timeRuns(frames, [] {
        drawScenery(StartX, StartZ);
        glFlush();
    });
    glFinish();
    const std::vector<double> finished = timeRuns(frames, [] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawScenery(StartX, StartZ);
        glFinish();
    });

    char counts[160];
    std::snprintf(counts, sizeof counts, "scenery obstacles at the start: %zu circles, %zu boxes",
                  sceneryCircles.size(), sceneryBoxes.size());
    report.line(counts);
    report.line("scenery per frame (drawScenery, commands issued): " + describeTimes(submit));
    report.line("scenery per frame (clear + drawScenery + glFinish): " + describeTimes(finished));
}

BenchRegistration reg(40, "scenery", benchScenery);

} // namespace
