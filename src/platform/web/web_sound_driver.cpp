// The browser's sound is Web Audio, which prints nothing of its own: there
// is no driver to quiet (sound_driver.h).
#include "platform/sound_driver.h"

void quietSoundDriverMessages() {}
