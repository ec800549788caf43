#include "platform/key_script.h"

#include <cstdlib>

namespace {

bool parseFrame(const std::string& text, int& out)
{
    if (text.empty())
        return false;
    char* tail = nullptr;
    out = int(std::strtol(text.c_str(), &tail, 10));
    return *tail == '\0';
}

bool parseRange(const std::string& item, KeyScript::Range& range)
{
    const size_t colon = item.find(':');
    if (colon == std::string::npos)
        return false;
    const size_t dash = item.find('-', colon);
    if (dash == std::string::npos || !keyFromScriptName(item.substr(0, colon), range.key))
        return false;
    return parseFrame(item.substr(colon + 1, dash - colon - 1), range.first) &&
           parseFrame(item.substr(dash + 1), range.last) && range.last >= range.first;
}

} // namespace

bool keyFromScriptName(const std::string& name, Key& out)
{
    static const struct {
        const char* name;
        Key key;
    } Names[] = {
        {"ESC", Key::Escape}, {"LEFT", Key::Left}, {"UP", Key::Up}, {"RIGHT", Key::Right},
        {"DOWN", Key::Down}, {"CTRL", Key::Control}, {"SPACE", Key::Space}, {"1", Key::Digit1},
        {"2", Key::Digit2}, {"3", Key::Digit3}, {"4", Key::Digit4}, {"6", Key::Digit6},
        {"7", Key::Digit7}, {"8", Key::Digit8}, {"K", Key::K}, {"Z", Key::Z}};
    for (const auto& entry : Names)
        if (name == entry.name) {
            out = entry.key;
            return true;
        }
    return false;
}

bool KeyScript::parse(const std::string& text)
{
    std::vector<Range> parsed;
    size_t start = 0;
    while (!text.empty() && start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        Range range{};
        if (!parseRange(text.substr(start, end - start), range))
            return false;
        parsed.push_back(range);
        start = end + 1;
    }
    ranges = parsed;
    return true;
}

bool KeyScript::holds(Key key, int frame) const
{
    for (const Range& range : ranges)
        if (range.key == key && frame >= range.first && frame <= range.last)
            return true;
    return false;
}
