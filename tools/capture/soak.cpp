// The soak run: hours of simulated play at a fixed step under a random key
// script, with the world's invariants checked after every game tick.
//
// Software GL cannot draw a day of frames in reasonable time, so the game is
// updated every step and drawn every 30th step (once per simulated second).
// The drawing still rebuilds the scenery obstacle lists that the characters
// collide with, and every drawing path runs.
#include "soak.h"

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/sky.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "platform/seed_value.h"
#include "world/scenery.h"
#include "world/terrain_grid.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double Step = 1.0 / 30.0;
constexpr int StepsPerSecond = 30;
constexpr int DrawEvery = 30;

// The frame timer keeps its readings as floats, so a delta is the exact
// clock minus a reading rounded to single precision. Below 2^17 seconds
// (36 simulated hours) a float's spacing is at most 2^-7 s, so a delta is
// off the step by at most half of that.
constexpr double TimerRounding = 1.0 / 256.0;
constexpr double MinDelta = Step - TimerRounding - 1e-6;
constexpr double MaxDelta = Step + TimerRounding + 1e-6;
// While the player lies dormant or dying the world runs ten times faster.
constexpr double FastForward = 10.0;

// Fastest horizontal movement a character makes by itself in one update:
// a dragon's walk (30 per second) plus a knock-back (10 per second). Fires
// (6), birds (12) and the backward walk (6) are slower.
constexpr double FastestMove = 30.0 + 10.0;
// A tree or shrub circle pushes a character out to its radius plus this.
constexpr double CircleClearance = 0.8;
// Memory after the first minute. The live heap (what the game and the GL
// driver hold allocated) moves with the number of characters, by a few tens
// of MiB between a quiet world and a forest fire, and must not grow beyond
// that. Resident memory also keeps what the allocator took for the largest
// peak of the live heap so far, which a later, larger fire can raise; beyond
// that growth of the heap's arena, only the GL driver's caches for the GL
// state met later in play (night, under water) may add to it.
constexpr double LiveHeapSlackBytes = 32.0 * 1024 * 1024;
constexpr double ResidentSlackBytes = 16.0 * 1024 * 1024;

constexpr int MaxReportedFaults = 20;

struct Options {
    double minutes = 0.0;
    unsigned seed = 1;
    int width = 800;
    int height = 600;
};

// One random key or pair of keys: pressed for up to maxHold steps, then
// released for up to maxGap steps.
struct KeyHabit {
    Key key;
    Key with;       // a second key pressed together (Key::Count for none)
    int maxHold;
    int maxGap;
};

// Escape is never pressed: it ends the process.
constexpr KeyHabit Habits[] = {
    {Key::Up, Key::Count, 150, 60},        // walking most of the time
    {Key::Down, Key::Count, 30, 300},
    {Key::Left, Key::Count, 45, 120},
    {Key::Right, Key::Count, 45, 120},
    {Key::Space, Key::Count, 20, 150},
    {Key::Control, Key::Count, 90, 150},
    {Key::Digit1, Key::Count, 3, 900},     // the shape changes, every half minute or so
    {Key::Digit2, Key::Count, 3, 900},
    {Key::Digit4, Key::Count, 3, 900},
    {Key::Digit6, Key::Count, 3, 900},
    {Key::Digit3, Key::Count, 60, 600},    // healing
    {Key::Z, Key::Count, 10, 300},
    {Key::K, Key::Digit7, 2, 3600},        // cheats: strength, now and then
    {Key::K, Key::Digit8, 2, 1800},        // cheats: full power
};
constexpr int HabitCount = int(sizeof Habits / sizeof Habits[0]);

struct KeyPlayer {
    std::mt19937 random;
    std::array<bool, HabitCount> pressed{};
    std::array<long, HabitCount> nextChange{};

    explicit KeyPlayer(unsigned seed) : random(seed)
    {
        for (int i = 0; i < HabitCount; ++i)
            nextChange[i] = draw(Habits[i].maxGap);
    }

    long draw(int most) { return 1 + long(random() % unsigned(most)); }

    void play(long step)
    {
        bool held[int(Key::Count)] = {};
        for (int i = 0; i < HabitCount; ++i) {
            if (step >= nextChange[i]) {
                pressed[i] = !pressed[i];
                nextChange[i] = step + draw(pressed[i] ? Habits[i].maxHold : Habits[i].maxGap);
            }
            if (pressed[i]) {
                held[int(Habits[i].key)] = true;
                if (Habits[i].with != Key::Count)
                    held[int(Habits[i].with)] = true;
            }
        }
        for (int k = 0; k < int(Key::Count); ++k)
            setKeyHeld(Key(k), held[k]);
    }
};

// How many end-of-tick snapshots a fire of the given starting health can be
// seen in: it loses 30 x dt per update, is stepped in the tick that made it,
// and is removed by the first update that finds its health below 0.
int fireLifetimeTicks(double health) { return int(std::floor(health / (30.0 * MinDelta))) + 1; }

// Sum of the last `length` values written into a ring.
struct RingSum {
    std::vector<long> values;
    size_t next = 0;
    long sum = 0;

    explicit RingSum(int length) : values(size_t(length), 0) {}
    void push(long value)
    {
        sum += value - values[next];
        values[next] = value;
        next = (next + 1) % values.size();
    }
};

double residentBytes()
{
    long pages = 0, resident = 0;
    FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file)
        return 0.0;
    if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(file);
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

double mebibytes(double bytes) { return bytes / (1024.0 * 1024.0); }

// The allocator's view: the bytes allocated now, and all the allocator holds
// (under AddressSanitizer its own allocator, with the freed blocks waiting in
// quarantine).
#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime's allocator interface.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
extern "C" size_t __sanitizer_get_heap_size();
double heapInUse() { return double(__sanitizer_get_current_allocated_bytes()); }
double heapArena() { return double(__sanitizer_get_heap_size()); }
#else
double heapInUse() { return double(mallinfo2().uordblks); }
double heapArena() { return double(mallinfo2().arena + mallinfo2().hblkhd); }
#endif

// The view test of a character's thinking: out of view, nothing of its
// update runs, so a fire there does not burn down.
bool inView(const Character& c)
{
    const double limit = double(ViewDistance) * double(ViewDistance);
    const float offsets[5][2] = {
        {0, 0}, {WrapPeriod, 0}, {-WrapPeriod, 0}, {0, WrapPeriod}, {0, -WrapPeriod}};
    for (const auto& offset : offsets) {
        const double dx = double(c.x + offset[0]) - CameraEye.x;
        const double dz = double(c.z + offset[1]) - CameraEye.z;
        if (dx * dx + dz * dz < limit)
            return true;
    }
    return false;
}

bool finite(const Character& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) && std::isfinite(c.health);
}

// Where a character stood at the end of the previous tick.
struct Place {
    const Character* who;
    float x, y, z;
};

// Out of view nothing of a character's update runs: its position is not
// wrapped, and the queries do not find it, so nobody pushes it. It stays
// where it was when it last moved, and was checked then; only a bird flock
// drifts along z, keeping x and its height. So the position check applies to
// the characters that moved in this tick.
bool movedSince(const Character& c, const Place& before)
{
    if (c.kind == BirdFlock)
        return c.x != before.x || c.y != before.y;
    return c.x != before.x || c.y != before.y || c.z != before.z;
}

struct Soak {
    long faults = 0;
    long step = 0;

    // The character bounds, from the world as built.
    size_t mainBound = 0;
    long playerOrbs = 0;
    float playerHealthBefore = 0.0f;
    RingSum dragonFires{fireLifetimeTicks(40.0)};
    RingSum burningFires{fireLifetimeTicks(10.0)};
    RingSum frozenFires{fireLifetimeTicks(40.0)};

    size_t mostMain = 0;
    size_t mostFires = 0;
    long mostFrozen = 0;
    long fireBoundAtMost = 0;
    double worstExcursion = 0.0;
    double worstAllowance = 0.0;
    std::vector<Place> mainBefore, firesBefore;

    void fault(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void deriveBounds();
    void countFireMakers();
    void checkTick();
    void checkCharacter(const Character& c, size_t index, bool fire, double allowance, bool moved);
    void checkList(const std::vector<Character*>& list, std::vector<Place>& before, bool fire,
                   double allowance);
};

void Soak::fault(const char* format, ...)
{
    ++faults;
    if (faults > MaxReportedFaults)
        return;
    std::fprintf(stderr, "soak: step %ld (%.2f s): ", step, double(step) * Step);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

// The main list can only grow by:
// - the twelve orcs of the quest (two spawns of six);
// - power orbs: one for each death of an orc, zombie, dragon or goblin. A
//   dead one of those kinds stays in the list for ever with its health below
//   zero, so it never dies again; a killed villager comes back once as a
//   zombie. So each character of the first population but the player, and
//   each quest orc, leaves at most one orb in the whole run. The player comes
//   back with 50 health each time and can die again and again; an orb left
//   out of view does not age, so each of the player's deaths in one of
//   those shapes counts (playerOrbs);
// - burning trees and shrubs: one for each Tree or Shrub cell a fire reaches,
//   and the cell becomes Empty. Nothing makes new Tree or Shrub cells, so
//   there are never more than the world started with.
void Soak::deriveBounds()
{
    const auto& main = Characters.main;
    size_t mayLeaveOrb = 0;
    for (size_t i = 1; i < main.size(); ++i) {
        const uint32_t kind = main[i]->kind;
        if (kind == Orc || kind == Zombie || kind == Dragon || kind == Goblin || kind == Villager ||
            kind == DormantZombie)
            ++mayLeaveOrb;
    }
    size_t vegetation = 0;
    for (int cell = 0; cell < WorldSize * WorldSize; ++cell)
        if (kindGrid[cell] == Tree || kindGrid[cell] == Shrub)
            ++vegetation;
    constexpr size_t QuestOrcs = 12;
    mainBound = main.size() + QuestOrcs + (mayLeaveOrb + QuestOrcs) + vegetation;
    playerHealthBefore = main.front()->health;
    std::fprintf(stderr,
                 "soak: %zu characters at start, %zu may leave an orb, %zu Tree/Shrub cells: "
                 "main list bound %zu; fires live at most %zu (dragon) and %zu (burning) ticks\n",
                 main.size(), mayLeaveOrb, vegetation, mainBound, dragonFires.values.size(),
                 burningFires.values.size());
}

// A fire loses health only in its own update, which runs only while it is
// in view. So a fire alive now was either made within its lifetime in ticks,
// or it missed an update within that many ticks, and was then out of view
// at the end of that tick (the camera and the view distance move only
// before the tick, and a fire that is not updated does not move). The fire
// bound is the makers of the last lifetime's ticks plus the fires out of
// view at the end of each of those ticks.
//
// Fires are made only in a character's update: one per update by a dragon in
// Attack, one per update by a Burning character. Burning is set only by a
// fire's step, which runs after every character of the main list, and
// burning vegetation is added then too; so the characters that can make a
// burning fire in the next tick are those Burning now. The dragons of the
// next tick are those now, plus the player, who may take dragon shape in the
// tick before its update.
void Soak::countFireMakers()
{
    long dragons = 0, burning = 0;
    for (const Character* c : Characters.main) {
        if (c->kind == Dragon)
            ++dragons;
        if (c->has(Burning))
            ++burning;
    }
    if (Characters.main.empty() || Characters.player()->kind != Dragon)
        ++dragons;
    dragonFires.push(dragons);
    burningFires.push(burning);
    long frozen = 0;
    for (const Character* c : Characters.second)
        if (!inView(*c))
            ++frozen;
    frozenFires.push(frozen);
    mostFrozen = std::max(mostFrozen, frozen);
}

void Soak::checkCharacter(const Character& c, size_t index, bool fire, double allowance, bool moved)
{
    if (!finite(c)) {
        fault("%s %zu (kind %u) has position (%g, %g, %g) and health %g", fire ? "fire" : "character",
              index, c.kind, c.x, c.y, c.z, c.health);
        return;
    }
    if (!moved)
        return;
    const double excursion =
        std::max({-double(c.x), -double(c.z), double(c.x) - WrapPeriod, double(c.z) - WrapPeriod});
    if (excursion > worstExcursion) {
        worstExcursion = excursion;
        worstAllowance = allowance;
    }
    if (excursion > allowance)
        fault("%s %zu (kind %u) at (%g, %g) is %.3f outside the world (allowed %.3f)",
              fire ? "fire" : "character", index, c.kind, c.x, c.z, excursion, allowance);
}

// How far outside 0..499 a point lies (0 inside), by its worst coordinate.
double outside(double x, double z) { return std::max({0.0, -x, -z, x - WrapPeriod, z - WrapPeriod}); }

// The scenery pass places the obstacles around the camera at the unwrapped
// positions of the cells it draws, which lie outside 0..499 where the camera
// looks across the world's edge or stands outside it (far behind a giant
// player). A box takes a character whose centre is inside it grown by the
// character's radius and puts it on a side of that grown box; a circle takes
// one within its radius plus CircleClearance and puts it on that circle.
// Starting from the characters' reach before the scenery passes, an obstacle
// counts when its grown area reaches into that reach, and then its far side
// widens the reach, until no obstacle widens it further (pushes can chain
// from one obstacle to the next).
double obstacleReach(double reach, double largestRadius)
{
    for (bool widened = true; widened;) {
        widened = false;
        auto consider = [&](double x0, double z0, double x1, double z1) {
            const double nearest = std::max({0.0, -x1, -z1, x0 - WrapPeriod, z0 - WrapPeriod});
            const double farthest = std::max(outside(x0, z0), outside(x1, z1));
            if (nearest < reach && farthest > reach) {
                reach = farthest;
                widened = true;
            }
        };
        for (const SceneryBox& b : sceneryBoxes)
            consider(b.minX - largestRadius, b.minZ - largestRadius, b.maxX + largestRadius,
                     b.maxZ + largestRadius);
        for (const SceneryCircle& c : sceneryCircles) {
            const double r = c.radius + CircleClearance;
            consider(c.x - r, c.z - r, c.x + r, c.z + r);
        }
    }
    return reach;
}

// After a tick. Every update wraps the position into 0..499 first. Then the
// character moves by at most its own walk and knock-back, FastestMove x dt,
// and the scenery passes may carry it as far as the obstacles reach
// (obstacleReach). Then pushing apart: every character updated in the tick
// pushes its nearest one, and itself, to half their summed radii from their
// midpoint, which moves each by at most the larger radius. A character may
// be the nearest of many (a giant player of cheated strength is the nearest
// of everybody around it), so it may be pushed once by each character that
// was updated, that is in view. Quest orcs are placed at up to 500 after the
// updates, inside the allowance.
void Soak::checkTick()
{
    const double dt = FrameDelta;
    if (!(dt >= MinDelta && dt <= FastForward * MaxDelta))
        fault("frame delta %g outside %g..%g", dt, MinDelta, FastForward * MaxDelta);

    double largestRadius = 0.0;
    long pushers = 0;
    for (const Character* c : Characters.main) {
        largestRadius = std::max(largestRadius, double(c->radius()));
        if (inView(*c))
            ++pushers;
    }
    const double allowance =
        obstacleReach(FastestMove * dt, largestRadius) + double(pushers + 1) * largestRadius;

    checkList(Characters.main, mainBefore, false, allowance);
    checkList(Characters.second, firesBefore, true, allowance);
    const auto& main = Characters.main;
    const auto& fires = Characters.second;

    // The player's health falls below 0 in the tick it dies, and a shape
    // changes only while the health is above 0, so the shape now is the
    // shape it died in.
    const Character& player = *main.front();
    if (playerHealthBefore >= 0.0f && player.health < 0.0f &&
        (player.kind == Orc || player.kind == Zombie || player.kind == Dragon || player.kind == Goblin))
        ++playerOrbs;
    playerHealthBefore = player.health;
    if (main.size() > mainBound + size_t(playerOrbs))
        fault("%zu characters in the main list, bound %zu", main.size(), mainBound + size_t(playerOrbs));
    const long fireBound = dragonFires.sum + burningFires.sum + frozenFires.sum;
    if (long(fires.size()) > fireBound)
        fault("%zu fires, bound %ld", fires.size(), fireBound);
    mostMain = std::max(mostMain, main.size());
    if (fires.size() >= mostFires) {
        mostFires = fires.size();
        fireBoundAtMost = fireBound;
    }
}

// A list keeps its order: removal closes the gap and new characters are
// appended, so walking the old and the new list together pairs every
// survivor with its last place.
void Soak::checkList(const std::vector<Character*>& list, std::vector<Place>& before, bool fire,
                     double allowance)
{
    size_t old = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const Character& c = *list[i];
        while (old < before.size() && before[old].who != &c)
            ++old;
        const bool moved = old == before.size() || movedSince(c, before[old]);
        checkCharacter(c, i, fire, allowance, moved);
    }
    before.clear();
    for (const Character* c : list)
        before.push_back({c, c->x, c->y, c->z});
}

bool parseSoakOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        char* end = nullptr;
        if (arg == "--soak") {
            options.minutes = std::strtod(value, &end);
            if (!(options.minutes > 0.0))
                return false;
        } else if (arg == "--seed") {
            if (!parseSeed(value, options.seed))
                return false;
            continue;
        } else if (arg == "--size") {
            if (std::sscanf(value, "%dx%d", &options.width, &options.height) != 2 || options.width < 1 ||
                options.height < 1)
                return false;
            continue;
        } else {
            return false;
        }
        if (!end || *end)
            return false;
    }
    return argc % 2 == 1;
}

} // namespace

bool isSoakCommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--soak") == 0)
            return true;
    return false;
}

int soakMain(int argc, char** argv)
{
    Options options;
    if (!parseSoakOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: thornwick-capture --soak MINUTES [--seed N] [--size WxH]\n"
                             "Plays MINUTES of simulated time headless at 1/30 s a step under a random\n"
                             "key script seeded with N, checking the world after every step.\n");
        return 2;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setHeadlessSeed(options.seed);
    setHeadlessStep(Step);
    if (!createHeadlessContext(options.width, options.height)) {
        std::fprintf(stderr, "thornwick-capture: no headless OpenGL context (EGL surfaceless)\n");
        return 1;
    }
    initGlState();
    reshapeWindow(options.width, options.height);
    displayFrame();  // the loading screen
    displayFrame();  // the world build and the first running frame

    // From here the clock is set by hand: it moves one step per update, not
    // per swap, since most steps are not drawn.
    setHeadlessStep(0.0);
    Soak soak;
    soak.deriveBounds();
    soak.countFireMakers();
    KeyPlayer keys(options.seed);

    const long steps = std::lround(options.minutes * 60.0 * StepsPerSecond);
    const long firstMinute = 60L * StepsPerSecond;
    long draws = 0;
    double rssAtMinute = 0.0, heapAtMinute = 0.0, arenaAtMinute = 0.0;
    double rssMost = 0.0;
    // Two swaps have moved the clock to 2 steps; the first running frame's
    // tick read it at 1 step.
    for (soak.step = 1; soak.step <= steps; ++soak.step) {
        keys.play(soak.step);
        setHeadlessClock(double(soak.step + 1) * Step);
        updateFrame();
        soak.checkTick();
        soak.countFireMakers();
        if (soak.step % DrawEvery == 0) {
            drawFrame();
            ++draws;
        }
        if (soak.step % firstMinute == 0) {
            const double rss = residentBytes();
            if (soak.step == firstMinute) {
                rssAtMinute = rss;
                heapAtMinute = heapInUse();
                arenaAtMinute = heapArena();
            }
            rssMost = std::max(rssMost, rss);
            if (soak.step % (10 * firstMinute) == 0)
                std::fprintf(stderr,
                             "soak: %ld simulated minutes, %zu characters, %zu fires, RSS %.1f MiB, "
                             "heap in use %.1f of %.1f MiB\n",
                             soak.step / firstMinute, Characters.main.size(), Characters.second.size(),
                             mebibytes(rss), mebibytes(heapInUse()), mebibytes(heapArena()));
        }
    }
    const double rssEnd = residentBytes();
    rssMost = std::max(rssMost, rssEnd);

    // Judged at the end, not at the peak: a leak only grows, while a storm of
    // fires raises the peak for a while (and under AddressSanitizer freed
    // blocks wait in its quarantine before they are reused).
    const double heapEnd = heapInUse();
    const double arenaGrowth = std::max(0.0, heapArena() - arenaAtMinute);
    if (steps >= firstMinute && heapEnd > heapAtMinute + LiveHeapSlackBytes)
        soak.fault("live heap grew from %.1f MiB at 1 minute to %.1f MiB (allowed %.1f MiB more)",
                   mebibytes(heapAtMinute), mebibytes(heapEnd), mebibytes(LiveHeapSlackBytes));
    if (steps >= firstMinute && rssEnd > rssAtMinute + arenaGrowth + ResidentSlackBytes)
        soak.fault("resident memory grew from %.1f MiB at 1 minute to %.1f MiB (allowed %.1f MiB more: "
                   "%.1f MiB of heap arena, %.1f MiB slack)",
                   mebibytes(rssAtMinute), mebibytes(rssEnd), mebibytes(arenaGrowth + ResidentSlackBytes),
                   mebibytes(arenaGrowth), mebibytes(ResidentSlackBytes));

    const long ran = std::min(soak.step, steps);
    const char* audio = std::getenv("SDL_AUDIODRIVER");
    std::printf("soak: seed %u, %.1f simulated minutes, %ld updates at 1/30 s, %ld draws at %dx%d (every %dth "
                "update), sound driver %s, characters max %zu (bound %zu + %ld player deaths), fires max %zu (bound %ld; "
                "at most %ld out of view), worst step outside the world %.3f (allowed %.3f), RSS %.1f MiB "
                "at 1 min, %.1f MiB at end (max %.1f), live heap %.1f MiB at 1 min, %.1f MiB at end, "
                "faults %ld\n",
                options.seed, double(ran) / (60.0 * StepsPerSecond), ran, draws, options.width,
                options.height, DrawEvery, audio ? audio : "default", soak.mostMain,
                soak.mainBound, soak.playerOrbs, soak.mostFires, soak.fireBoundAtMost, soak.mostFrozen,
                soak.worstExcursion, soak.worstAllowance, mebibytes(rssAtMinute), mebibytes(rssEnd),
                mebibytes(rssMost), mebibytes(heapAtMinute), mebibytes(heapEnd), soak.faults);
    std::fflush(stdout);
    releaseAllKeys();
    releaseGame();
    return soak.faults == 0 ? 0 : 1;
}
