// One tick's worth of character steps over a generated world, with the camera
// at the player's start: the player's update and every other character's
// think, sweeping both lists as the game tick does (removing the finished).
// Also the nearest-character query on its own, one per character, since the
// steps call it for every character and it scans the whole list.

#include "bench.h"

#include "app/camera.h"
#include "characters/character_list.h"
#include "world/world_generator.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr float TickStep = 1.0f / 60.0f;
constexpr int Worlds = 3;
constexpr int TicksPerWorld = 120;

void startWorld()
{
    generateWorld(7);
    Character* player = Characters.player();
    CameraEye = {player->x, player->z};
    CameraForward = {-1.0f, 0.0f};   // along the player's start heading
}

void characterSweep(float dt)
{
    Character* player = Characters.player();
    player->destX = player->x;
    player->destZ = player->z;
    player->set(Active);
    player->viewX = player->x;
    player->viewZ = player->z;
    if (!player->update(dt)) {
        player->strength *= 0.75f;
        player->health = 50.0f;
    }
    for (size_t i = 1; i < Characters.main.size();) {
        if (Characters.main[i]->think(dt))
            ++i;
        else
            Characters.removeMain(i);
    }
    for (size_t i = 0; i < Characters.second.size();) {
        if (Characters.second[i]->think(dt))
            ++i;
        else
            Characters.removeSecond(i);
    }
}

// Every character updated, as if the whole world were in view: the cost the
// view test saves, and the bound on a tick.
void updateEveryone(float dt)
{
    for (size_t i = 0; i < Characters.main.size();) {
        if (Characters.main[i]->update(dt) || i == 0)
            ++i;
        else
            Characters.removeMain(i);
    }
    for (size_t i = 0; i < Characters.second.size();) {
        if (Characters.second[i]->update(dt))
            ++i;
        else
            Characters.removeSecond(i);
    }
}

double queryPass()
{
    float sum = 0.0f;
    for (const Character* c : Characters.main) {
        float distance;
        Characters.findNearestNotOfKind(c->x, c->y, c->z, -1, distance);
        sum += distance;
    }
    return sum;
}

std::string countLine(size_t active, size_t all, size_t fires)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "  world 7: %zu characters (%zu active near the start), %zu fires after the all-in-view run", all,
                  active, fires);
    return text;
}

void benchTick(BenchReport& report)
{
    std::vector<double> ticks;
    std::vector<double> queries;
    std::vector<double> updates;
    size_t active = 0, all = 0, fires = 0;
    for (int w = 0; w < Worlds; ++w) {
        // A fresh world for every batch, so that the world measured is the
        // one the game starts with, not one that has drifted for minutes.
        startWorld();
        characterSweep(TickStep);
        std::vector<double> batch = timeRuns(TicksPerWorld, [] { characterSweep(TickStep); });
        ticks.insert(ticks.end(), batch.begin(), batch.end());
        volatile double sink = 0.0;
        batch = timeRuns(TicksPerWorld, [&] { sink = sink + queryPass(); });
        queries.insert(queries.end(), batch.begin(), batch.end());
        all = Characters.main.size();
        active = 0;
        for (const Character* c : Characters.main)
            active += c->has(Active);
        startWorld();
        for (Character* c : Characters.main)
            c->set(Active);
        batch = timeRuns(TicksPerWorld, [] { updateEveryone(TickStep); });
        updates.insert(updates.end(), batch.begin(), batch.end());
        fires = Characters.second.size();
    }
    std::sort(ticks.begin(), ticks.end());
    std::sort(queries.begin(), queries.end());
    std::sort(updates.begin(), updates.end());
    report.line("character tick (update + think, all characters): " + describeTimes(ticks));
    report.line("character update of every character, all in view: " + describeTimes(updates));
    report.line("nearest-character query, one per character: " + describeTimes(queries));
    report.line(countLine(active, all, fires));
    Characters.clear();
}

BenchRegistration registration(30, "character tick", benchTick);

} // namespace
