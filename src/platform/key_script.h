// Keys played from a script, for the headless back end's tests and tools and
// the browser build's test runs, in the language of thornwick-capture's
// --keys: "KEY:first-last" ranges over frame numbers, comma separated, e.g.
// "UP:0-120,CTRL:130-140", where frame n is the frame being run after n
// swaps. Each back end that plays scripts owns one.
#pragma once

#include "platform/keys.h"

#include <string>
#include <vector>

struct KeyScript {
    struct Range {
        Key key;
        int first;
        int last;
    };
    std::vector<Range> ranges;

    // False on a malformed script, which leaves the ranges as they were.
    bool parse(const std::string& text);
    bool holds(Key key, int frame) const;
};

// The script's name of a key ("ESC", "LEFT", "CTRL", "1", "K" ...).
bool keyFromScriptName(const std::string& name, Key& out);
