// The browser build's entry point: the WebGL context on the page's canvas,
// the fixed GL state, then the browser's main loop, which calls the display
// callback at every refresh for as long as the game runs. The page passes
// its address's choices as arguments, each one word, --name=value (or
// --silent), so no value can be taken for an option of its own: --seed=N
// grows that world; the test-only --dt, --frames, --place, --keys and
// --size mirror thornwick-capture's options, and --silent its
// SDL_AUDIODRIVER=none. A value that is refused leaves its option unset.
#include "app/frame_loop.h"
#include "app/frame_timer.h"
#include "app/player_placement.h"
#include "characters/character_list.h"
#include "platform/gamepad.h"
#include "platform/seed_value.h"
#include "platform/web/web.h"

#include <emscripten.h>

#include <cmath>
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

// The most frames a test run may ask for: about four days at 60 a second.
constexpr long MostFrames = 20000000;
// Any canvas side is taken (and then cut to the browser's limit) up to this.
constexpr long MostPixels = 999999999;

bool allDigits(const char* text)
{
    if (!*text)
        return false;
    for (const char* p = text; *p; ++p)
        if (*p < '0' || *p > '9')
            return false;
    return true;
}

// A positive whole number up to most, in plain digits.
bool parseCount(const char* text, long most, long& out)
{
    if (!allDigits(text) || std::strlen(text) > 9)
        return false;
    out = std::strtol(text, nullptr, 10);
    return out >= 1 && out <= most;
}

// A number as C reads it, the whole text, finite; no leading space or sign
// of its own (strtod would skip a space and take "inf").
bool parseFinite(const char* text, double& out)
{
    if (!*text || !(std::strchr("0123456789.-", *text)))
        return false;
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && !*end && std::isfinite(out);
}

bool parseStep(const char* text, double& out) { return parseFinite(text, out) && out > 0.0; }

// "X,Z[,HEADING]": two or three finite numbers, X and Z within the world.
bool parsePlace(const char* text, PlayerPlacement& out)
{
    const std::string place = text;
    int count = 0;
    size_t start = 0;
    for (;;) {
        const size_t comma = place.find(',', start);
        const std::string number = place.substr(start, comma == std::string::npos ? comma : comma - start);
        double value = 0.0;
        if (!parseFinite(number.c_str(), value) || ++count > 3)
            return false;
        if (comma == std::string::npos)
            return count >= 2 && parsePlacement(text, out);
        start = comma + 1;
    }
}

// "WxH", each side a whole number of pixels; the browser's limit comes later.
bool parseSize(const char* text, int& width, int& height)
{
    const char* x = std::strchr(text, 'x');
    if (!x)
        return false;
    const std::string w(text, size_t(x - text));
    long parsedWidth = 0;
    long parsedHeight = 0;
    if (!parseCount(w.c_str(), MostPixels, parsedWidth) || !parseCount(x + 1, MostPixels, parsedHeight))
        return false;
    width = int(parsedWidth);
    height = int(parsedHeight);
    return true;
}

// Why a value of the option is refused ("" when it is taken); null for an
// option the game does not know. A refused value may leave run half set:
// the caller tries each on a copy.
const char* parseOption(const std::string& name, const char* value, WebRun& run)
{
    if (name == "seed") {
        run.seeded = parseSeed(value, run.seed);
        return run.seeded ? "" : "a whole number from 0 to 4294967295";
    }
    if (name == "dt") {
        run.stepped = parseStep(value, run.dt);
        return run.stepped ? "" : "a number of seconds above 0";
    }
    if (name == "frames") {
        long count = 0;
        run.frames = parseCount(value, MostFrames, count) ? int(count) : 0;
        return run.frames > 0 ? "" : "a whole number of frames from 1";
    }
    if (name == "place") {
        run.place = parsePlace(value, run.placement);
        return run.place ? "" : "X,Z[,HEADING] with X and Z within 0..499";
    }
    if (name == "keys") {
        const bool taken = *value && setWebKeyScript(value);
        run.keys = taken ? value : "";
        return taken ? "" : "a key script such as UP:0-120,CTRL:130-140";
    }
    if (name == "size")
        return parseSize(value, run.width, run.height) ? "" : "WIDTHxHEIGHT in pixels";
    return nullptr;
}

// A refused choice is named once and left out; the game still starts.
void parseArguments(int argc, char** argv, WebRun& run)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--silent") {
            run.silent = true;
            continue;
        }
        const size_t equals = argument.find('=');
        if (argument.rfind("--", 0) != 0 || equals == std::string::npos) {
            std::fprintf(stderr, "thornwick: ignoring %s\n", argument.c_str());
            continue;
        }
        const std::string name = argument.substr(2, equals - 2);
        const char* value = argv[i] + equals + 1;
        WebRun tried = run;
        const char* refusal = parseOption(name, value, tried);
        if (refusal && !*refusal)
            run = tried;
        else if (refusal)
            std::fprintf(stderr, "thornwick: ignoring %s=%s (not %s)\n", name.c_str(), value, refusal);
        else
            std::fprintf(stderr, "thornwick: ignoring the unknown option %s\n", name.c_str());
    }
}

void appendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    out += '"';
}

// The choices the game took, as JSON for the page: null for those unset.
std::string describeRun(const WebRun& run)
{
    char buffer[160];
    std::string out = "{\"seed\":";
    out += run.seeded ? std::to_string(run.seed) : "null";
    std::snprintf(buffer, sizeof buffer, ",\"dt\":%.17g", run.dt);
    out += run.stepped ? buffer : ",\"dt\":null";
    out += ",\"frames\":" + (run.frames > 0 ? std::to_string(run.frames) : std::string("null"));
    std::snprintf(buffer, sizeof buffer, ",\"place\":[%.9g,%.9g,%.9g]", double(run.placement.x),
                  double(run.placement.z), double(run.placement.heading));
    out += run.place ? buffer : ",\"place\":null";
    out += ",\"keys\":";
    if (run.keys.empty())
        out += "null";
    else
        appendJsonString(out, run.keys);
    out += ",\"size\":";
    out += run.width > 0 ? "\"" + std::to_string(run.width) + "x" + std::to_string(run.height) + "\"" : "null";
    out += run.silent ? ",\"silent\":true}" : ",\"silent\":false}";
    return out;
}

// One refresh: the display callback, then what a test run asked for once
// the world stands. The frames are counted as thornwick-capture counts them:
// the loading screen, then frame 1 (the world build) to frame K.
// The last frame of a test run stays on the canvas: the loop goes on
// without drawing (stopping it would end the program, and the page would
// take that for the game's end). Without a picture nothing is stepped, so
// nothing happens to the player unseen.
void webFrame()
{
    if (Run.frames > 0 && DisplayCalls > Run.frames)
        return;
    if (webPictureLost())
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

// For the page and its tests: how far the game has come, the player, the
// seed its world grew from, and the last step.
extern "C" {
EMSCRIPTEN_KEEPALIVE int thornwick_frames() { return webFrameCount(); }
EMSCRIPTEN_KEEPALIVE int thornwick_phase() { return GamePhase; }
EMSCRIPTEN_KEEPALIVE float thornwick_player(int what)
{
    if (Characters.main.empty())
        return 0.0f;
    const Character* player = Characters.player();
    switch (what) {
    case 0: return player->x;
    case 1: return player->z;
    case 2: return player->y;
    case 3: return player->heading;
    default: return player->health;
    }
}
EMSCRIPTEN_KEEPALIVE double thornwick_world_seed() { return double(webWorldSeed()); }
// The time between the last two frames as the game's clock measured it, in
// seconds.
EMSCRIPTEN_KEEPALIVE float thornwick_step() { return GameTimer.delta(); }
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
    // A size beyond what the browser draws is cut to it, and reported so.
    if (Run.width > 0)
        fixCanvasSize(Run.width, Run.height, reshapeWindow);
    else
        followCanvasSize(reshapeWindow);
    announceOptions(describeRun(Run).c_str());
    runWebMainLoop(webFrame);
    return 0;
}
