// Modal notices for load failures. The game shows a blocking message box;
// every notice is also recorded so tests can read them back. What failed
// and why is named on standard error by the loader, not here.
#pragma once

#include <string>
#include <vector>

struct Notice {
    std::string text;
    std::string caption;
};

void showNotice(const std::string& text, const std::string& caption);

// Message boxes are opt-in: only the game's main turns them on.
void enableNoticeDialogs(bool enabled);

const std::vector<Notice>& recordedNotices();
void clearRecordedNotices();
