#include "platform/content_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

namespace {

ContentFailure openFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ContentFailure::Missing;
    case ENXIO:   // a socket, or a FIFO nobody writes to, on some systems
    case ENODEV:
        return ContentFailure::NotRegular;
    case ENOMEM:
        return ContentFailure::OutOfMemory;
    default:
        return ContentFailure::Unreadable;
    }
}

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

ContentFailure readOpenFile(int descriptor, size_t limit, std::string& bytes)
{
    struct stat info {};
    if (fstat(descriptor, &info) != 0)
        return ContentFailure::Unreadable;
    if (!S_ISREG(info.st_mode))
        return ContentFailure::NotRegular;
    if (info.st_size < 0 || uint64_t(info.st_size) > limit)
        return ContentFailure::TooLarge;
    return readWhole(descriptor, size_t(info.st_size), bytes);
}

} // namespace

ContentFailure readContentFile(const char* path, size_t limit, std::string& bytes)
{
    bytes.clear();
    // Without O_NONBLOCK opening a FIFO waits for a writer, for ever.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return openFailure(errno);
    const ContentFailure failure = readOpenFile(descriptor, limit, bytes);
    close(descriptor);
    if (failure != ContentFailure::None) {
        bytes.clear();
        bytes.shrink_to_fit();
    }
    return failure;
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
    }
    return "failed";
}

void reportContentFailure(const char* path, ContentFailure failure)
{
    std::fprintf(stderr, "thornwick: %s: %s\n", path, contentFailureReason(failure));
}
