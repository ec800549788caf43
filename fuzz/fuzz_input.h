// The two kinds of stream a fuzz input is read through: a seekable string
// stream, as a file behaves, and a stream over the bytes that cannot seek,
// which sends the readers down their length-unknown paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <streambuf>
#include <string>

struct UnseekableBytes : std::streambuf {
    UnseekableBytes(const uint8_t* data, size_t size)
    {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }
};

inline std::istringstream seekableStream(const uint8_t* data, size_t size)
{
    return std::istringstream(std::string(reinterpret_cast<const char*>(data), size));
}

// Stops the run the way a crash would, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)    \
    do {                         \
        if (!(condition))        \
            __builtin_trap();    \
    } while (0)
