// Included ahead of the tools' and the suites' sources in the Windows build
// (cmake/windows-tests.cmake): the few POSIX calls they make, in Windows'
// terms, so the same files compile for both. Memory the soak cannot read
// there reads as none.
#pragma once

#include <direct.h>
#include <io.h>
#include <malloc.h>
#include <stdlib.h>

#include <cstddef>
#include <cstring>

inline int setenv(const char* name, const char* value, int overwrite)
{
    if (!overwrite && getenv(name))
        return 0;
    return _putenv_s(name, value);
}

inline char* mkdtemp(char* pattern)
{
    const size_t length = std::strlen(pattern);
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0)
        return nullptr;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::memcpy(pattern + length - 6, "XXXXXX", 6);
        if (_mktemp_s(pattern, length + 1) != 0)
            return nullptr;
        if (_mkdir(pattern) == 0)
            return pattern;
    }
    return nullptr;
}

#ifndef _SC_PAGESIZE
#define _SC_PAGESIZE 30
inline long sysconf(int) { return 4096; }
#endif

struct mallinfo2 {
    size_t arena, ordblks, smblks, hblks, hblkhd, usmblks, fsmblks, uordblks, fordblks, keepcost;
};
inline struct mallinfo2 mallinfo2() { return {}; }
