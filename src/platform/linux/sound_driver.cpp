#include "platform/sound_driver.h"

#include <dlfcn.h>

namespace {

// ALSA's error handler, as its header declares it.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error,
                                  const char* format, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler);

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

} // namespace

// SDL loads ALSA at run time, by the same name; loading it first and keeping
// it loaded means SDL gets this very library with the quiet handler set.
void quietSoundDriverMessages()
{
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa)
        return;
    auto setHandler = reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler)
        setHandler(ignoreAlsaError);
}
