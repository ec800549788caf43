// Modal notices for load failures. The game shows a blocking message box
// when a display is available; headless runs and tests write the caption and
// text to standard error and record them so tests can read them back.
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
