#include "platform/notice.h"

#include <SDL2/SDL.h>

namespace {
bool DialogsEnabled = false;
std::vector<Notice> Recorded;
}

void enableNoticeDialogs(bool enabled) { DialogsEnabled = enabled; }

void showNotice(const std::string& text, const std::string& caption)
{
    Recorded.push_back({text, caption});
    if (DialogsEnabled)
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr);
}

const std::vector<Notice>& recordedNotices() { return Recorded; }

void clearRecordedNotices() { Recorded.clear(); }
