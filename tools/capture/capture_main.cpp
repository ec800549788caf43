// thornwick-capture: runs the game's phase machine and frames headless, with a
// fixed seed, a fixed time step and scripted keys, writes PNG shots of chosen
// frames and prints how long the update and draw halves of a frame took.
#include "app/frame_loop.h"
#include "app/player_placement.h"
#include "platform/headless/headless.h"
#include "platform/seed_value.h"
#include "png_file.h"
#include "soak.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

struct Options {
    unsigned seed = 1;
    int frames = 1;
    double dt = 1.0 / 30.0;
    std::set<int> shots;
    std::string keys;
    std::string out = ".";
    int width = 800;
    int height = 600;
    bool place = false;
    PlayerPlacement placement;
};

void usage()
{
    std::fprintf(stderr,
                 "usage: thornwick-capture [--seed N] [--frames K] [--dt S] [--shots 1,60,300]\n"
                 "                         [--keys \"UP:0-120,CTRL:130-140\"] [--out DIR] [--size 800x600]\n"
                 "                         [--place X,Z[,HEADING]]\n"
                 "Runs K game frames headless in the current directory (which must hold the\n"
                 "game's content) and writes DIR/frame-NNNNN.png for each frame listed in --shots.\n"
                 "--place puts the player at (X, Z) on the ground, facing HEADING radians, once the\n"
                 "world is built. --seed N grows world N, a whole number from 0 to 4294967295.\n");
}

bool parseNumberList(const char* text, std::set<int>& out)
{
    const char* p = text;
    while (*p) {
        char* end = nullptr;
        const long value = std::strtol(p, &end, 10);
        if (end == p || value < 1)
            return false;
        out.insert(int(value));
        p = end;
        if (*p == ',')
            ++p;
        else if (*p)
            return false;
    }
    return true;
}

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return false;
        if (i + 1 >= argc) {
            std::fprintf(stderr, "thornwick-capture: %s needs a value\n", arg.c_str());
            return false;
        }
        const char* value = argv[++i];
        char* end = nullptr;
        if (arg == "--seed") {
            if (parseSeed(value, options.seed))
                continue;
        } else if (arg == "--frames") {
            options.frames = int(std::strtol(value, &end, 10));
            if (options.frames < 1)
                end = nullptr;
        } else if (arg == "--dt") {
            options.dt = std::strtod(value, &end);
            if (!(options.dt >= 0.0))
                end = nullptr;
        } else if (arg == "--shots") {
            if (!parseNumberList(value, options.shots)) {
                std::fprintf(stderr, "thornwick-capture: bad --shots list '%s'\n", value);
                return false;
            }
            continue;
        } else if (arg == "--keys") {
            options.keys = value;
            continue;
        } else if (arg == "--place") {
            if (!parsePlacement(value, options.placement)) {
                std::fprintf(stderr, "thornwick-capture: bad --place '%s' (X,Z within 0..499)\n", value);
                return false;
            }
            options.place = true;
            continue;
        } else if (arg == "--out") {
            options.out = value;
            continue;
        } else if (arg == "--size") {
            if (std::sscanf(value, "%dx%d", &options.width, &options.height) != 2 || options.width < 1 ||
                options.height < 1) {
                std::fprintf(stderr, "thornwick-capture: bad --size '%s'\n", value);
                return false;
            }
            continue;
        } else {
            std::fprintf(stderr, "thornwick-capture: unknown option %s\n", arg.c_str());
            return false;
        }
        if (!end || *end) {
            std::fprintf(stderr, "thornwick-capture: bad value '%s' for %s\n", value, arg.c_str());
            return false;
        }
    }
    return true;
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void printSummary(const char* name, std::vector<double> times)
{
    if (times.empty())
        return;
    std::sort(times.begin(), times.end());
    std::printf("%s: median %.3f ms, worst %.3f ms over %zu frames\n", name, times[times.size() / 2],
                times.back(), times.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (isSoakCommand(argc, argv))
        return soakMain(argc, argv);
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage();
        return 2;
    }
    if (!setKeyScript(options.keys)) {
        std::fprintf(stderr, "thornwick-capture: bad --keys script '%s'\n", options.keys.c_str());
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(options.out, error);
    if (error) {
        std::fprintf(stderr, "thornwick-capture: cannot create %s\n", options.out.c_str());
        return 1;
    }
    // Headless runs play sound on SDL's dummy driver unless told otherwise.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setHeadlessSeed(options.seed);
    setHeadlessStep(options.dt);
    if (!createHeadlessContext(options.width, options.height)) {
        std::fprintf(stderr, "thornwick-capture: no headless OpenGL context (EGL surfaceless)\n");
        return 1;
    }

    initGlState();
    reshapeWindow(options.width, options.height);
    displayFrame();  // the loading screen
    displayFrame();  // the world build and the first running frame
    if (options.place)
        placePlayer(options.placement);
    std::vector<double> updateTimes;
    std::vector<double> drawTimes;
    for (int frame = 1; frame <= options.frames; ++frame) {
        if (frame > 1) {
            const auto start = std::chrono::steady_clock::now();
            updateFrame();
            updateTimes.push_back(millisecondsSince(start));
            const auto drawStart = std::chrono::steady_clock::now();
            drawFrame();
            drawTimes.push_back(millisecondsSince(drawStart));
        }
        if (options.shots.count(frame)) {
            char name[32];
            std::snprintf(name, sizeof name, "frame-%05d.png", frame);
            const std::string path = options.out + "/" + name;
            if (!writeFramebufferPng(path, options.width, options.height)) {
                std::fprintf(stderr, "thornwick-capture: cannot write %s\n", path.c_str());
                return 1;
            }
            std::printf("wrote %s\n", path.c_str());
        }
    }
    printSummary("update", updateTimes);
    printSummary("draw", drawTimes);
    releaseGame();
    return 0;
}
