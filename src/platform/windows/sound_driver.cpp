// Windows' sound drivers print nothing of their own: there is nothing to
// quiet (sound_driver.h).
#include "platform/sound_driver.h"

void quietSoundDriverMessages() {}
