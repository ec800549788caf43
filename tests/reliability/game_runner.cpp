// reliability_game_runner: the headless game in the current directory, run
// for a number of frames with a key script that walks, fights and changes
// shape, so that every kind of content is loaded, played and drawn. Prints
// each notice the game showed as "notice<TAB>caption<TAB>text", then
// "frames N", and releases the game as Escape would.
#include "app/frame_loop.h"
#include "platform/headless.h"
#include "platform/notice.h"

#include <cstdio>
#include <cstdlib>

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
    // the shape changes play the orc and goblin animation sets.
    setKeyScript("UP:5-280,CTRL:40-90,8:100-102,K:100-102,2:110-111,CTRL:120-160,"
                 "6:170-171,CTRL:180-220,4:230-231,CTRL:240-260,1:270-271,3:272-290,SPACE:60-70");
    if (!createHeadlessContext(400, 300)) {
        std::fprintf(stderr, "reliability_game_runner: no headless OpenGL context\n");
        return 1;
    }
    initGlState();
    reshapeWindow(400, 300);
    displayFrame();  // the loading screen
    int ran = 0;
    for (; ran < frames; ++ran)
        displayFrame();  // the world build with the first frame, then one frame each
    for (const Notice& notice : recordedNotices())
        std::printf("notice\t%s\t%s\n", notice.caption.c_str(), notice.text.c_str());
    std::printf("frames %d\n", ran);
    std::fflush(stdout);
    releaseAllKeys();
    releaseGame();
    return 0;
}
