// The browser build's entry point: the WebGL context on the page's canvas,
// the fixed GL state, then the browser's main loop, which calls the display
// callback at every refresh for as long as the game runs. The page passes
// its URL's choices as arguments: --seed N grows that world; the test-only
// --dt S, --frames K, --place X,Z[,HEADING], --keys SCRIPT, --size WxH and
// --silent mirror thornwick-capture's options.
#include "app/frame_loop.h"
#include "app/player_placement.h"
#include "characters/character_list.h"
#include "platform/gamepad.h"
#include "platform/web/web.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct WebRun {
    bool seeded = false;
    unsigned seed = 0;
    bool stepped = false;
    double dt = 0.0;
    int frames = 0;
    bool place = false;
    PlayerPlacement placement;
    std::string keys;
    int width = 0;
    int height = 0;
    bool silent = false;
};

WebRun Run;
int DisplayCalls = 0;

bool parseValue(const std::string& option, const char* value, WebRun& run)
{
    char* end = nullptr;
    if (option == "--seed") {
        run.seed = unsigned(std::strtoul(value, &end, 10));
        run.seeded = true;
    } else if (option == "--dt") {
        run.dt = std::strtod(value, &end);
        run.stepped = run.dt >= 0.0;
    } else if (option == "--frames") {
        run.frames = int(std::strtol(value, &end, 10));
    } else if (option == "--place") {
        return parsePlacement(value, run.placement) && (run.place = true);
    } else if (option == "--keys") {
        run.keys = value;
        return true;
    } else if (option == "--size") {
        return std::sscanf(value, "%dx%d", &run.width, &run.height) == 2 && run.width > 0 && run.height > 0;
    } else {
        return false;
    }
    return end && !*end && end != value;
}

// A bad choice in the URL is reported and left out; the game still starts.
void parseArguments(int argc, char** argv, WebRun& run)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--silent") {
            run.silent = true;
            continue;
        }
        if (i + 1 >= argc || !parseValue(option, argv[i + 1], run))
            std::fprintf(stderr, "thornwick: ignoring %s\n", option.c_str());
        else
            ++i;
    }
}

// One refresh: the display callback, then what a test run asked for once
// the world stands. The frames are counted as thornwick-capture counts them:
// the loading screen, then frame 1 (the world build) to frame K.
// The last frame of a test run stays on the canvas: the loop goes on
// without drawing (stopping it would end the program, and the page would
// take that for the game's end).
void webFrame()
{
    if (Run.frames > 0 && DisplayCalls > Run.frames)
        return;
    displayFrame();
    ++DisplayCalls;
    if (Run.place && GamePhase == 3) {
        placePlayer(Run.placement);
        Run.place = false;
    }
    if (Run.frames > 0 && DisplayCalls == Run.frames + 1)
        announceFramesDone();
}

// Runs last of the exit handlers (Escape quits through std::exit): the game
// is already released, so the loop stops and the page takes over.
void endWebGame()
{
    stopWebMainLoop();
    announceGameEnd();
}

} // namespace

// For the page and its tests: how far the game has come, and where the
// player stands.
extern "C" {
EMSCRIPTEN_KEEPALIVE int thornwick_frames() { return webFrameCount(); }
EMSCRIPTEN_KEEPALIVE int thornwick_phase() { return GamePhase; }
EMSCRIPTEN_KEEPALIVE float thornwick_player(int what)
{
    if (Characters.main.empty())
        return 0.0f;
    const Character* player = Characters.player();
    return what == 0 ? player->x : what == 1 ? player->z : what == 2 ? player->y : player->heading;
}
}

int main(int argc, char** argv)
{
    parseArguments(argc, argv, Run);
    // As thornwick-capture's SDL_AUDIODRIVER=none: no sound, so the quest
    // does not wait for the introduction and a scene repeats exactly.
    if (Run.silent)
        setenv("SDL_AUDIODRIVER", "none", 1);
    if (Run.seeded)
        setWebSeed(Run.seed);
    if (Run.stepped)
        setWebStep(Run.dt);
    if (!setWebKeyScript(Run.keys))
        std::fprintf(stderr, "thornwick: ignoring the key script '%s'\n", Run.keys.c_str());
    if (!createWebContext(Run.frames > 0)) {
        std::fprintf(stderr, "thornwick: this browser offers no WebGL 2\n");
        return 1;
    }
    installWebKeys();
    // Exit handlers run last first: the game is released, then the pads
    // close, then the page hears that the game has ended.
    std::atexit(endWebGame);
    if (openGamepads())
        std::atexit(closeGamepads);
    std::atexit(releaseGame);
    initGlState();
    if (Run.width > 0)
        fixCanvasSize(Run.width, Run.height, reshapeWindow);
    else
        followCanvasSize(reshapeWindow);
    runWebMainLoop(webFrame);
    return 0;
}
