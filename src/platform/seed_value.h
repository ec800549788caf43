// The world seeds a person may name: thornwick-capture's --seed and the
// browser page's ?seed= take the same texts and grow the same world for
// each. A seed is a whole number from 0 to 4294967295 in plain decimal
// digits; a sign, a space, a fraction or a larger number is refused, not
// wrapped or clipped, since strtoul would read "4294967296" as 0 where long
// is 64 bits and as 4294967295 where it is 32 (WebAssembly).
#pragma once

#include <cstdint>

inline bool parseSeed(const char* text, unsigned& out)
{
    if (!text || !*text)
        return false;
    uint64_t value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        value = value * 10 + uint64_t(*p - '0');
        if (value > 0xFFFFFFFFu)
            return false;
    }
    out = unsigned(value);
    return true;
}
