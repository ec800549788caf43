// reliability_game_runner: the headless game in the current directory, run
// for a number of frames with a key script that walks, fights and changes
// shape, so that every kind of content is loaded, played and drawn; then
// Escape, which ends it as it ends the game: status 0 through the exit
// handlers. On the way out it prints each notice the game showed as
// "notice<TAB>caption<TAB>text", then "frames N" and "running after S"
// (seconds from the start to the end of the first running frame).
#include "app/frame_loop.h"
#include "platform/headless/headless.h"
#include "platform/notice.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

const Clock::time_point Started = Clock::now();
int Ran = 0;
double RunningAfter = -1.0;

void printReport()
{
    for (const Notice& notice : recordedNotices())
        std::printf("notice\t%s\t%s\n", notice.caption.c_str(), notice.text.c_str());
    std::printf("frames %d\nrunning after %.3f\n", Ran, RunningAfter);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    if (frames < 1) {
        std::fprintf(stderr, "usage: reliability_game_runner FRAMES\n");
        return 2;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setHeadlessSeed(5);
    setHeadlessStep(1.0 / 30.0);
    // Walk and fight as a villager, then as an orc, a goblin and a dragon;
    // the shape changes play the orc and goblin animation sets. The frame
    // after the last is run with Escape held.
    const std::string escape = std::to_string(frames + 1);
    setKeyScript("UP:5-280,CTRL:40-90,8:100-102,K:100-102,2:110-111,CTRL:120-160,"
                 "6:170-171,CTRL:180-220,4:230-231,CTRL:240-260,1:270-271,3:272-290,SPACE:60-70,"
                 "ESC:" + escape + "-" + escape);
    if (!createHeadlessContext(400, 300)) {
        std::fprintf(stderr, "reliability_game_runner: no headless OpenGL context\n");
        return 1;
    }
    // As the game's main: the report last, the game released first.
    std::atexit(printReport);
    std::atexit(releaseGame);
    initGlState();
    reshapeWindow(400, 300);
    displayFrame();  // the loading screen
    displayFrame();  // the world build with the first frame
    RunningAfter = std::chrono::duration<double>(Clock::now() - Started).count();
    for (Ran = 1; Ran < frames; ++Ran)
        displayFrame();
    displayFrame();  // Escape held: the game ends here
    std::fprintf(stderr, "reliability_game_runner: Escape did not end the game\n");
    return 3;
}
