// What the platform's sound drivers say on their own. SDL reaches ALSA
// through a library that prints its errors to standard error, eight lines
// when there is no sound card; the game says once, itself, that it runs
// without sound.
#pragma once

// Silences the sound driver's own error lines. Call before the audio
// subsystem starts; harmless where there is no such driver.
void quietSoundDriverMessages();
