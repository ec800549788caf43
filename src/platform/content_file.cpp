#include "platform/content_file.h"
#include "platform/content_open.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

namespace {

// Reads until size bytes are in or the file ends sooner (it may have shrunk
// since it was measured); a short file is the parser's to judge.
ContentFailure readWhole(int descriptor, size_t size, std::string& bytes)
{
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return ContentFailure::OutOfMemory;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t got = read(descriptor, bytes.data() + done, size - done);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return ContentFailure::Unreadable;
        }
        done += size_t(got);
    }
    bytes.resize(done);
    return ContentFailure::None;
}

} // namespace

ContentFailure readContentFileStart(const char* path, size_t limit, size_t most, std::string& bytes,
                                    uint64_t& size)
{
    bytes.clear();
    int descriptor = -1;
    size = 0;
    ContentFailure failure = openContentFile(path, descriptor, size);
    if (failure != ContentFailure::None)
        return failure;
    failure = size > limit ? ContentFailure::TooLarge
                           : readWhole(descriptor, size_t(std::min<uint64_t>(size, most)), bytes);
    close(descriptor);
    if (failure != ContentFailure::None) {
        bytes.clear();
        bytes.shrink_to_fit();
    }
    return failure;
}

ContentFailure readContentFile(const char* path, size_t limit, std::string& bytes)
{
    uint64_t size = 0;
    return readContentFileStart(path, limit, limit, bytes, size);
}

const char* contentFailureReason(ContentFailure failure)
{
    switch (failure) {
    case ContentFailure::None: return "loaded";
    case ContentFailure::Missing: return "missing";
    case ContentFailure::NotRegular: return "not a regular file";
    case ContentFailure::TooLarge: return "too large";
    case ContentFailure::Unreadable: return "cannot be read";
    case ContentFailure::Truncated: return "truncated";
    case ContentFailure::WrongFormat: return "wrong format";
    case ContentFailure::OutOfMemory: return "out of memory";
    case ContentFailure::TooLong: return "too long";
    case ContentFailure::Empty: return "empty";
    case ContentFailure::TopDown: return "stored top-down";
    case ContentFailure::TooLargeForGl: return "too large for a texture";
    }
    return "failed";
}

void reportContentFailure(const char* path, ContentFailure failure)
{
    std::fprintf(stderr, "thornwick: %s: %s\n", path, contentFailureReason(failure));
}
